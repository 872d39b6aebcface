#include "platform/desktop/ui/DesktopDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QString>
#include <algorithm>
#include <filesystem>

#include "platform/desktop/ui/CoreTexts.h"
#include "platform/desktop/ui/FileDialog.h"
#include "platform/desktop/ui/FrmConfig.h"
#include "platform/desktop/ui/FrmRanking.h"
#include "platform/desktop/ui/FrmVersion.h"
#include "platform/desktop/ui/ManualViewer.h"
#include "render/Pictures.h"

namespace pelaryn {

DesktopDialogs::DesktopDialogs(QWidget& owner, const Pictures& pictures, std::string programFolder,
                               std::function<void()> beep)
    : owner_(owner),
      pictures_(pictures),
      programFolder_(std::move(programFolder)),
      beep_(beep ? std::move(beep) : [] { QApplication::beep(); }) {}

void DesktopDialogs::MessageBox(const Message& message) {
  QMessageBox box(QMessageBox::NoIcon, MessageTitleText(message.Id), MessageBodyText(message),
                  QMessageBox::Ok, &owner_);
  // A two-word result would otherwise get a box barely wider than its button. Only a short text
  // is widened: Qt wraps a longer one inside the widened label and cuts its end off.
  int widest = 0;
  for (const QString& line : box.text().split(QLatin1Char('\n'))) {
    widest = std::max(widest, box.fontMetrics().horizontalAdvance(line.trimmed()));
  }
  if (widest < 160) box.setStyleSheet(QStringLiteral("QLabel { min-width: 160px; }"));
  box.exec();
}

std::string DesktopDialogs::InputBox(const Message& prompt) {
  QInputDialog box(&owner_);
  box.setWindowTitle(MessageTitleText(prompt.Id));
  box.setLabelText(MessageBodyText(prompt));
  box.setInputMode(QInputDialog::TextInput);
  box.setOkButtonText(QCoreApplication::translate("DesktopDialogs", "OK"));
  box.setCancelButtonText(QCoreApplication::translate("DesktopDialogs", "キャンセル"));
  return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : std::string();
}

void DesktopDialogs::ShowRanking(GameState& state) {
  FrmRanking window(state, englishPictures_ ? pictures_.EnglishRankLogo : pictures_.RankLogo,
                    &owner_, OnlineSetup ? OnlineSetup() : OnlineRankingSetup{});
  window.exec();
  if (AfterRanking) AfterRanking(state);
  if (window.Chosen() && PlayOnline) PlayOnline(window.Chosen(), window.ChosenCaption());
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
  // The manual of the language the windows speak, where the program has one beside it.
  std::filesystem::path file(path);
  const std::filesystem::path translated =
      file.parent_path() /
      QCoreApplication::translate("DesktopDialogs", "pelaryn.html").toStdString();
  std::error_code error;
  if (file.filename() == "pelaryn.html" && std::filesystem::is_regular_file(translated, error)) {
    file = translated;
  }
  if (manual_ && manual_->property("path").toString() != QString::fromStdString(file.string())) {
    manual_->close();
    manual_ = nullptr;
  }
  if (!manual_) {
    manual_ = new ManualViewer(file.string(), &owner_);
    manual_->setProperty("path", QString::fromStdString(file.string()));
    manual_->setAttribute(Qt::WA_DeleteOnClose);
  }
  manual_->show();
  manual_->raise();
  manual_->activateWindow();
}

void DesktopDialogs::ReportError(const Message& message) {
  ReportError(MessageBodyText(message));
}

void DesktopDialogs::ReportError(const QString& text) {
  QMessageBox::warning(&owner_, QStringLiteral("pelaryn"), text);
}

}  // namespace pelaryn
