#pragma once

#include <QTextBrowser>
#include <string>

namespace pelaryn {

// The player's manual in a window of its own beside the game, which does not wait for it.
class ManualViewer : public QTextBrowser {
  Q_OBJECT

 public:
  ManualViewer(const std::string& path, QWidget* owner);
};

}  // namespace pelaryn
