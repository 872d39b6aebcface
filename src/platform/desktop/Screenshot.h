#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

namespace pelaryn {

// `$XDG_PICTURES_DIR/pelaryn` (the home folder's `pelaryn` when the system names no pictures
// folder).
QString ScreenshotFolder();

// Saves `field` as a PNG at 1× and, when `scale` is above 1, enlarged by `scale` with every
// pixel a sharp square, both named by `when` ("pelaryn-2026-12-08-125300.png" and
// "…-2x.png"; a second shot within the same second gets "-2", "-3", …). Returns the files
// written; on failure none are left behind and `why` says what went wrong.
QStringList SaveScreenshot(const QImage& field, int scale, const QString& folder,
                           const QDateTime& when, QString& why);

}  // namespace pelaryn
