#include "platform/desktop/ui/DesktopDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QString>

#include "platform/desktop/ui/FileDialog.h"
#include "platform/desktop/ui/FrmConfig.h"
#include "platform/desktop/ui/FrmRanking.h"
#include "platform/desktop/ui/FrmVersion.h"
#include "platform/desktop/ui/ManualViewer.h"
#include "render/Pictures.h"

namespace pelaryn {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DesktopDialogs::DesktopDialogs(QWidget& owner, const Pictures& pictures, std::string programFolder,
                               std::function<void()> beep)
    : owner_(owner),
      pictures_(pictures),
      programFolder_(std::move(programFolder)),
      beep_(beep ? std::move(beep) : [] { QApplication::beep(); }) {}

void DesktopDialogs::MessageBox(std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), FromUtf8(text), QMessageBox::Ok, &owner_);
  // A two-word result would otherwise get a box barely wider than its button.
  box.setStyleSheet(QStringLiteral("QLabel { min-width: 160px; }"));
  box.exec();
}

std::string DesktopDialogs::InputBox(std::string_view title, std::string_view prompt) {
  QInputDialog box(&owner_);
  box.setWindowTitle(FromUtf8(title));
  box.setLabelText(FromUtf8(prompt));
  box.setInputMode(QInputDialog::TextInput);
  box.setCancelButtonText(QStringLiteral("キャンセル"));
  return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : std::string();
}

void DesktopDialogs::ShowRanking(GameState& state) {
  FrmRanking window(state, pictures_.RankLogo, &owner_);
  window.exec();
  if (AfterRanking) AfterRanking(state);
}

void DesktopDialogs::ShowSettings(SettingsHost& host) {
  FrmConfig window(host, programFolder_, ShowOpenFileDialog, &owner_);
  window.exec();
}

void DesktopDialogs::ShowAbout() {
  FrmVersion window(pictures_.About, ProgramVersion(), beep_, &owner_);
  window.exec();
}

void DesktopDialogs::ShowManual(const std::string& path) {
  if (!manual_) {
    manual_ = new ManualViewer(path, &owner_);
    manual_->setAttribute(Qt::WA_DeleteOnClose);
  }
  manual_->show();
  manual_->raise();
  manual_->activateWindow();
}

void DesktopDialogs::ReportError(std::string_view text) {
  QMessageBox::warning(&owner_, QStringLiteral("pelaryn"), FromUtf8(text));
}

}  // namespace pelaryn
