#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "base/Platform.h"
#include "platform/desktop/ui/OnlineRanking.h"

class QWidget;

namespace pelaryn {

struct Pictures;
class ManualViewer;

// The game's windows and boxes as Qt shows them, each owned by the main window.
class DesktopDialogs : public Dialogs {
 public:
  // `beep` sounds the about box's beep (the system beep unless a test counts it).
  DesktopDialogs(QWidget& owner, const Pictures& pictures, std::string programFolder,
                 std::function<void()> beep = {});

  void MessageBox(const Message& message) override;
  std::string InputBox(const Message& prompt) override;
  void ShowRanking(GameState& state) override;
  void ShowSettings(SettingsHost& host) override;
  void ShowAbout() override;
  void ShowManual(const std::string& path) override;
  void ReportError(const Message& message) override;
  // A failure of the desktop's own, worded by it.
  void ReportError(const QString& text);
  // The windows' pictures that carry words (the ranking window's heading) in English, while
  // the windows speak it.
  void SetEnglishPictures(bool on) { englishPictures_ = on; }

  // Runs once the ranking window has closed, with the ranking as it left it (初期化 may have
  // reset it).
  std::function<void(const GameState&)> AfterRanking;
  // The score board's address and the player's own runs, asked each time the window opens;
  // without it the online tab has no address.
  std::function<OnlineRankingSetup()> OnlineSetup;
  // A board's run chosen in the ranking window to be played, once the window has closed.
  std::function<void(std::shared_ptr<const Replay>, const QString& caption)> PlayOnline;

 private:
  QWidget& owner_;
  const Pictures& pictures_;
  std::string programFolder_;
  std::function<void()> beep_;
  bool englishPictures_ = false;
  QPointer<ManualViewer> manual_;
};

}  // namespace pelaryn
