#pragma once

#include <QImage>
#include <QWidget>
#include <array>

#include "platform/desktop/SharpScale.h"

namespace pelaryn {

class Surface;

// Shows the play-field surface, enlarged sharply with its aspect kept, and keeps the table of
// held keys that the game polls.
class PlayField : public QWidget {
  Q_OBJECT

 public:
  explicit PlayField(QWidget* parent = nullptr);

  void Show(const Surface& field);
  bool KeyDown(int virtualKey) const;
  void ReleaseAllKeys();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  const Surface* field_ = nullptr;
  // The surface's pixels seen as an image, rebuilt only when the game hands over another one.
  QImage view_;
  SharpScaler scaler_;
  std::array<bool, 256> down_{};
  // The key each physical key pressed, so that its release clears the same one even when
  // NumLock or a modifier changed in between.
  std::array<uint8_t, 1024> keyOfScanCode_{};
};

}  // namespace pelaryn
