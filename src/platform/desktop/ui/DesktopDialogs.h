#pragma once

#include <QPointer>

#include "base/Platform.h"

class QWidget;

namespace pelaryn {

// The game's windows and boxes as Qt shows them, each owned by the main window.
class DesktopDialogs : public Dialogs {
 public:
  explicit DesktopDialogs(QWidget& owner) : owner_(owner) {}

  void MessageBox(std::string_view title, std::string_view text) override;
  std::string InputBox(std::string_view title, std::string_view prompt) override;
  void ShowRanking(GameState& state) override;
  void ShowSettings(SettingsHost& host) override;
  void ShowAbout() override;
  void ShowManual(const std::string& path) override;
  void ReportError(std::string_view text) override;

 private:
  QWidget& owner_;
};

}  // namespace pelaryn
