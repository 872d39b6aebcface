#include "platform/desktop/ui/DesktopDialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QString>

namespace pelaryn {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void DesktopDialogs::MessageBox(std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), FromUtf8(text), QMessageBox::Ok, &owner_);
  box.exec();
}

std::string DesktopDialogs::InputBox(std::string_view title, std::string_view prompt) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(&owner_, FromUtf8(title), FromUtf8(prompt), QLineEdit::Normal, {}, &ok);
  return ok ? text.toStdString() : std::string();
}

void DesktopDialogs::ShowRanking(GameState&) {}

void DesktopDialogs::ShowSettings(SettingsHost&) {}

void DesktopDialogs::ShowAbout() {}

void DesktopDialogs::ShowManual(const std::string&) {}

void DesktopDialogs::ReportError(std::string_view text) {
  QMessageBox::warning(&owner_, QStringLiteral("pelaryn"), FromUtf8(text));
}

}  // namespace pelaryn
