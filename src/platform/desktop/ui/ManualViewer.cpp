#include "platform/desktop/ui/ManualViewer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace pelaryn {

ManualViewer::ManualViewer(const std::string& path, QWidget* owner) : QTextBrowser(owner) {
  // A window of its own, yet closed along with the game's window.
  setWindowFlag(Qt::Window);
  setObjectName(QStringLiteral("manual"));
  setWindowTitle(QCoreApplication::translate("ManualViewer", "ヴェルガード 説明書"));
  setOpenExternalLinks(true);
  resize(640, 560);
  const QString file = QString::fromStdString(path);
  const QFileInfo info(file);
  if (info.isFile() && info.isReadable()) {
    setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
  } else {
    setHtml(
        QCoreApplication::translate("ManualViewer",
                                    "<h3>説明書が見つかりません</h3><p>%1</p><p>The manual was not "
                                    "found.</p>")
            .arg(file.toHtmlEscaped()));
  }
}

}  // namespace pelaryn
