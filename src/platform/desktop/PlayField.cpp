#include "platform/desktop/PlayField.h"

#include <QKeyEvent>
#include <QPainter>

#include "base/Platform.h"
#include "render/GameContext.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

KeyCode KeyCodeOf(const QKeyEvent& event) {
  return KeyOfEvent(event.key(), (event.modifiers() & Qt::KeypadModifier) != 0);
}

}  // namespace

PlayField::PlayField(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(FieldWidth, FieldHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PlayField::sizeHint() const {
  return {FieldWidth, FieldHeight};
}

void PlayField::Show(const Surface& field) {
  field_ = &field;
  repaint();
}

bool PlayField::KeyDown(int virtualKey) const {
  if (virtualKey <= 0) return false;
  for (const Held& held : held_) {
    if (held.VirtualKey == virtualKey) return true;
  }
  return false;
}

void PlayField::ReleaseAllKeys() {
  held_.fill(Held{});
}

void PlayField::SetKeyBindings(const KeyBindings& keys) {
  keys_ = keys;
  ReleaseAllKeys();
}

QImage PlayField::Snapshot() const {
  if (!field_ || field_->Empty()) return {};
  const auto* pixels = reinterpret_cast<const uchar*>(field_->Data());
  return QImage(pixels, field_->Width(), field_->Height(), field_->Width() * 4,
                QImage::Format_RGB32)
      .copy();
}

int PlayField::WholeScale() const {
  if (!field_ || field_->Empty()) return 1;
  const QSize device = size() * devicePixelRatio();
  return PlanScale(device, {field_->Width(), field_->Height()}).Factor;
}

void PlayField::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!field_ || field_->Empty()) return painter.fillRect(rect(), Qt::black);
  const auto* pixels = reinterpret_cast<const uchar*>(field_->Data());
  if (view_.constBits() != pixels || view_.width() != field_->Width() ||
      view_.height() != field_->Height()) {
    view_ = QImage(pixels, field_->Width(), field_->Height(), field_->Width() * 4,
                   QImage::Format_RGB32);
  }
  scaler_.Draw(painter, view_, rect(), Qt::black);
}

bool PlayField::event(QEvent* event) {
  // Tab and Backtab would move the focus before they reach the key handler; bound, they are
  // the player's keys.
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        keys_.VirtualKeyOf(KeyCodeOf(*key)) != 0) {
      if (event->type() == QEvent::KeyPress) {
        keyPressEvent(key);
      } else {
        keyReleaseEvent(key);
      }
      return true;
    }
  }
  return QWidget::event(event);
}

PlayField::Held* PlayField::FindHeld(quint32 scanCode, KeyCode key) {
  for (Held& held : held_) {
    if (held.VirtualKey == 0) continue;
    if (scanCode != 0 ? held.ScanCode == scanCode : held.Key == key) return &held;
  }
  return nullptr;
}

void PlayField::keyPressEvent(QKeyEvent* event) {
  const KeyCode key = KeyCodeOf(*event);
  const int virtualKey = keys_.VirtualKeyOf(key);
  if (virtualKey == 0) return QWidget::keyPressEvent(event);
  if (event->isAutoRepeat() || FindHeld(event->nativeScanCode(), key)) return;
  for (Held& held : held_) {
    if (held.VirtualKey != 0) continue;
    held = {event->nativeScanCode(), key, virtualKey};
    return;
  }
}

void PlayField::keyReleaseEvent(QKeyEvent* event) {
  // The physical key lets go of what it pressed, even when NumLock or a modifier changed what
  // it reports in between.
  if (event->isAutoRepeat()) return;
  if (Held* held = FindHeld(event->nativeScanCode(), KeyCodeOf(*event))) {
    *held = Held{};
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void PlayField::focusOutEvent(QFocusEvent* event) {
  ReleaseAllKeys();
  QWidget::focusOutEvent(event);
}

}  // namespace pelaryn
