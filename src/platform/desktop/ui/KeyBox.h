#pragma once

#include <QPushButton>

#include "platform/desktop/KeyBindings.h"

namespace pelaryn {

// A box that takes the next key pressed in it. Clicked (or Space), it listens: a key binds,
// Backspace clears, Esc or leaving the box gives up; the menu's keys are refused. A box for a
// pad button listens the same way while its window watches the pad.
class KeyBox : public QPushButton {
  Q_OBJECT

 public:
  // `prompt` is shown while the box listens.
  KeyBox(QString prompt, QWidget* parent);

  bool Listening() const { return listening_; }
  // Shows `caption` unless listening.
  void SetCaption(const QString& caption);
  void StopListening();
  // Wide enough for the prompt as well as the caption, so that neither is cut.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void KeyChosen(KeyCode key);
  void Cleared();
  void Refused(KeyCode key);
  void ListeningChanged(bool listening);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void StartListening();

  const QString prompt_;
  bool listening_ = false;
  QString caption_;
};

}  // namespace pelaryn
