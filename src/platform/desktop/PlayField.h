#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>

#include "platform/desktop/KeyBindings.h"
#include "platform/desktop/SharpScale.h"

namespace pelaryn {

class Surface;

// Shows the play-field surface, enlarged sharply with its aspect kept, and keeps the table of
// held keys that the game polls, each of the player's keys standing for the game's key it is
// bound to.
class PlayField : public QWidget {
  Q_OBJECT

 public:
  explicit PlayField(QWidget* parent = nullptr);

  void Show(const Surface& field);
  bool KeyDown(int virtualKey) const;
  void ReleaseAllKeys();
  // Keys held now are let go, so that none stays down under a meaning it no longer has.
  void SetKeyBindings(const KeyBindings& keys);

  // The picture on screen now, at 1× (null before the first frame), and the whole-number
  // enlargement it is shown at.
  QImage Snapshot() const;
  int WholeScale() const;

  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // A physical key held now: the scan code it came with (0 when the window system gives none),
  // the key it was, and the game's key it stands for.
  struct Held {
    quint32 ScanCode = 0;
    KeyCode Key = 0;
    int VirtualKey = 0;
  };
  Held* FindHeld(quint32 scanCode, KeyCode key);

  const Surface* field_ = nullptr;
  // The surface's pixels seen as an image, rebuilt only when the game hands over another one.
  QImage view_;
  SharpScaler scaler_;
  KeyBindings keys_ = KeyBindings::Defaults();
  // More keys than anyone holds at once; a key past them is not seen.
  std::array<Held, 16> held_{};
};

}  // namespace pelaryn
