#include "platform/desktop/Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QStandardPaths>

namespace pelaryn {
namespace {

// The same second twice is two shots; past a hundred something else is wrong.
constexpr int kMaxSameSecond = 100;

bool Write(const QImage& image, const QString& path, QString& why) {
  QImageWriter writer(path, "png");
  if (writer.write(image)) return true;
  why = writer.errorString();
  return false;
}

}  // namespace

QString ScreenshotFolder() {
  QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (pictures.isEmpty()) pictures = QDir::homePath();
  return pictures + QStringLiteral("/pelaryn");
}

QStringList SaveScreenshot(const QImage& field, int scale, const QString& folder,
                           const QDateTime& when, QString& why) {
  if (field.isNull()) {
    why = QCoreApplication::translate("Screenshot", "画面がまだありません");
    return {};
  }
  if (!QDir().mkpath(folder)) {
    why = QCoreApplication::translate("Screenshot", "%1 を作れません").arg(folder);
    return {};
  }
  if (!QFileInfo(folder).isWritable()) {
    why = QCoreApplication::translate("Screenshot", "%1 に書き込めません").arg(folder);
    return {};
  }
  const QString stem =
      folder + QStringLiteral("/pelaryn-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
  QString base;
  for (int n = 1; n <= kMaxSameSecond && base.isEmpty(); ++n) {
    const QString candidate = n == 1 ? stem : stem + QStringLiteral("-%1").arg(n);
    if (!QFileInfo::exists(candidate + QStringLiteral(".png")) &&
        !QFileInfo::exists(candidate + QStringLiteral("-%1x.png").arg(scale))) {
      base = candidate;
    }
  }
  if (base.isEmpty()) {
    why = QCoreApplication::translate("Screenshot", "同じ名前のファイルが多すぎます");
    return {};
  }
  QStringList written;
  const QString plain = base + QStringLiteral(".png");
  if (!Write(field, plain, why)) return {};
  written << plain;
  if (scale > 1) {
    const QString enlarged = base + QStringLiteral("-%1x.png").arg(scale);
    const QImage big =
        field.scaled(field.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!Write(big, enlarged, why)) {
      QFile::remove(plain);
      return {};
    }
    written << enlarged;
  }
  return written;
}

}  // namespace pelaryn
