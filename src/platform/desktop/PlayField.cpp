#include "platform/desktop/PlayField.h"

#include <QKeyEvent>
#include <QPainter>

#include "base/Platform.h"
#include "render/GameContext.h"
#include "render/Surface.h"

namespace pelaryn {
namespace {

// The keypad sends digits with NumLock on and arrows with it off; both count as the keypad key.
int VirtualKeyOf(const QKeyEvent& event) {
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  switch (event.key()) {
    case Qt::Key_Left:
      return keypad ? vk::Numpad4 : vk::Left;
    case Qt::Key_Right:
      return keypad ? vk::Numpad6 : vk::Right;
    case Qt::Key_Up:
      return keypad ? vk::Numpad8 : vk::Up;
    case Qt::Key_Down:
      return keypad ? vk::Numpad2 : vk::Down;
    case Qt::Key_4:
      return keypad ? vk::Numpad4 : 0;
    case Qt::Key_6:
      return keypad ? vk::Numpad6 : 0;
    case Qt::Key_8:
      return keypad ? vk::Numpad8 : 0;
    case Qt::Key_2:
      return keypad ? vk::Numpad2 : 0;
    case Qt::Key_Z:
      return vk::Z;
    case Qt::Key_X:
      return vk::X;
    default:
      return 0;
  }
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
  return virtualKey > 0 && virtualKey < static_cast<int>(down_.size()) && down_[virtualKey];
}

void PlayField::ReleaseAllKeys() {
  down_.fill(false);
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

void PlayField::keyPressEvent(QKeyEvent* event) {
  const int key = VirtualKeyOf(*event);
  if (key == 0) return QWidget::keyPressEvent(event);
  if (event->isAutoRepeat()) return;
  down_[key] = true;
  if (event->nativeScanCode() < keyOfScanCode_.size()) {
    keyOfScanCode_[event->nativeScanCode()] = static_cast<uint8_t>(key);
  }
}

void PlayField::keyReleaseEvent(QKeyEvent* event) {
  int key = VirtualKeyOf(*event);
  if (event->nativeScanCode() < keyOfScanCode_.size() && keyOfScanCode_[event->nativeScanCode()]) {
    key = keyOfScanCode_[event->nativeScanCode()];
  }
  if (key == 0) return QWidget::keyReleaseEvent(event);
  if (event->isAutoRepeat()) return;
  down_[key] = false;
}

void PlayField::focusOutEvent(QFocusEvent* event) {
  ReleaseAllKeys();
  QWidget::focusOutEvent(event);
}

}  // namespace pelaryn
