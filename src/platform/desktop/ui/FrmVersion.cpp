#include "platform/desktop/ui/FrmVersion.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "platform/desktop/ui/SurfaceImage.h"

namespace pelaryn {

VersionNumbers ProgramVersion() {
  return {PELARYN_VERSION_MAJOR, PELARYN_VERSION_MINOR};
}

std::string VersionLine(VersionNumbers version) {
  return "version " + std::to_string(version.Major) + "." + std::to_string(version.Minor);
}

FrmVersion::FrmVersion(const Surface& picture, VersionNumbers version, std::function<void()> beep,
                       QWidget* owner)
    : QDialog(owner), beep_(std::move(beep)) {
  setObjectName(QStringLiteral("frmVersion"));
  setWindowTitle(tr("バージョン情報"));
  setModal(true);

  auto* image1 = new QLabel(this);
  image1->setObjectName(QStringLiteral("Image1"));
  image1->setPixmap(ToPixmap(picture));
  image1->setFixedSize(picture.Width(), picture.Height());

  auto* lblTitle = new QLabel(tr("ヴェルガード"), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont titleFont(QStringLiteral("IPAPGothic"));
  titleFont.setPointSize(12);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);

  auto* lblVersion = new QLabel(QString::fromStdString(VersionLine(version)), this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  auto* lblEditor = new QLabel(tr("プログラム・絵・音楽　pelaryn 開発チーム"), this);
  lblEditor->setObjectName(QStringLiteral("lblEditor"));

  auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  cmdOK->setMinimumWidth(80);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(16);
  grid->addWidget(image1, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(lblTitle, 0, 1);
  grid->addWidget(lblVersion, 1, 1);
  grid->addWidget(lblEditor, 2, 1);
  grid->addWidget(cmdOK, 3, 0, 1, 2, Qt::AlignRight);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

void FrmVersion::showEvent(QShowEvent* event) {
  // Only the opening beeps, not the window system showing it again after a minimise.
  if (!event->spontaneous() && beep_) beep_();
  QDialog::showEvent(event);
}

}  // namespace pelaryn
