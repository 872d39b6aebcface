#pragma once

#include <QDialog>
#include <functional>
#include <string>

namespace pelaryn {

class Surface;

struct VersionNumbers {
  int Major = 0;
  int Minor = 0;
};

// The program's own version, as the build names it.
VersionNumbers ProgramVersion();

// "version 0.99": both numbers in decimal without leading zeros (minor 7 reads ".7").
std::string VersionLine(VersionNumbers version);

// The about box: title, version line, picture and credit. It beeps once each time it opens,
// through `beep` (the system beep in the game).
class FrmVersion : public QDialog {
  Q_OBJECT

 public:
  FrmVersion(const Surface& picture, VersionNumbers version, std::function<void()> beep,
             QWidget* owner);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::function<void()> beep_;
};

}  // namespace pelaryn
