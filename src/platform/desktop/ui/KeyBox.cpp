#include "platform/desktop/ui/KeyBox.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionButton>

namespace pelaryn {

KeyBox::KeyBox(QString prompt, QWidget* parent) : QPushButton(parent), prompt_(std::move(prompt)) {
  connect(this, &QPushButton::clicked, this, [this] {
    if (!listening_) StartListening();
  });
}

QSize KeyBox::sizeHint() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  const QSize prompt = style()->sizeFromContents(
      QStyle::CT_PushButton, &option, fontMetrics().size(Qt::TextShowMnemonic, prompt_), this);
  return QPushButton::sizeHint().expandedTo(prompt).expandedTo(QSize(96, 0));
}

QSize KeyBox::minimumSizeHint() const {
  return sizeHint();
}

void KeyBox::SetCaption(const QString& caption) {
  caption_ = caption;
  if (!listening_) setText(caption_.isEmpty() ? QStringLiteral("―") : caption_);
}

void KeyBox::StartListening() {
  listening_ = true;
  setText(prompt_);
  setDown(true);
  emit ListeningChanged(true);
}

void KeyBox::StopListening() {
  if (!listening_) return;
  listening_ = false;
  setDown(false);
  SetCaption(caption_);
  emit ListeningChanged(false);
}

bool KeyBox::event(QEvent* event) {
  if (listening_ && event->type() == QEvent::ShortcutOverride) {
    // Every key belongs to the box while it listens, shortcuts and Enter included.
    event->accept();
    return true;
  }
  if (listening_ && event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QPushButton::event(event);
}

void KeyBox::keyPressEvent(QKeyEvent* event) {
  if (!listening_) return QPushButton::keyPressEvent(event);
  event->accept();
  if (event->isAutoRepeat()) return;
  const KeyCode key = KeyOfEvent(event->key(), (event->modifiers() & Qt::KeypadModifier) != 0);
  if (key == 0) return;
  if (event->key() == Qt::Key_Escape) return StopListening();
  StopListening();
  if (event->key() == Qt::Key_Backspace) {
    emit Cleared();
  } else if (IsReservedKey(key)) {
    emit Refused(key);
  } else {
    emit KeyChosen(key);
  }
}

void KeyBox::focusOutEvent(QFocusEvent* event) {
  StopListening();
  QPushButton::focusOutEvent(event);
}

}  // namespace pelaryn
