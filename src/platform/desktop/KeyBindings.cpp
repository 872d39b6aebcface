#include "platform/desktop/KeyBindings.h"

#include <QCoreApplication>
#include <QKeySequence>

#include "base/Platform.h"

namespace pelaryn {
namespace {

constexpr int kKeypad = Qt::KeypadModifier;

// The virtual key of each action's first and second box.
constexpr std::array<std::array<int, KeysPerAction>, KeyActionCount> kVirtualKeys{{
    {vk::Left, vk::Numpad4},
    {vk::Right, vk::Numpad6},
    {vk::Up, vk::Numpad8},
    {vk::Down, vk::Numpad2},
    {vk::Z, vk::Z},
    {vk::X, vk::X},
}};

std::size_t Index(KeyAction action) {
  return static_cast<std::size_t>(action);
}

bool ValidSlot(KeyAction action, int slot) {
  return Index(action) < KeyActionCount && slot >= 0 && slot < KeysPerAction;
}

}  // namespace

KeyCode KeyOfEvent(int qtKey, bool keypad) {
  if (qtKey == 0 || qtKey == Qt::Key_unknown) return 0;
  if (!keypad) return qtKey;
  // With NumLock off the keypad sends what is printed under its digits.
  switch (qtKey) {
    case Qt::Key_Insert:
      return Qt::Key_0 | kKeypad;
    case Qt::Key_End:
      return Qt::Key_1 | kKeypad;
    case Qt::Key_Down:
      return Qt::Key_2 | kKeypad;
    case Qt::Key_PageDown:
      return Qt::Key_3 | kKeypad;
    case Qt::Key_Left:
      return Qt::Key_4 | kKeypad;
    case Qt::Key_Clear:
      return Qt::Key_5 | kKeypad;
    case Qt::Key_Right:
      return Qt::Key_6 | kKeypad;
    case Qt::Key_Home:
      return Qt::Key_7 | kKeypad;
    case Qt::Key_Up:
      return Qt::Key_8 | kKeypad;
    case Qt::Key_PageUp:
      return Qt::Key_9 | kKeypad;
    case Qt::Key_Delete:
      return Qt::Key_Period | kKeypad;
    default:
      return qtKey | kKeypad;
  }
}

bool IsReservedKey(KeyCode key) {
  const int bare = key & ~kKeypad;
  return (bare >= Qt::Key_F1 && bare <= Qt::Key_F12) || bare == Qt::Key_Escape ||
         bare == Qt::Key_M || bare == Qt::Key_Backspace;
}

QString KeyToText(KeyCode key) {
  if (key == 0) return {};
  const QString name = QKeySequence(key).toString(QKeySequence::PortableText);
  const QKeySequence back = QKeySequence::fromString(name, QKeySequence::PortableText);
  if (!name.isEmpty() && back.count() == 1 && back[0].toCombined() == key) return name;
  return QStringLiteral("0x") + QString::number(static_cast<uint>(key), 16);
}

std::optional<KeyCode> KeyFromText(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return 0;
  KeyCode key = 0;
  if (trimmed.startsWith(QStringLiteral("0x"))) {
    bool ok = false;
    const uint code = trimmed.mid(2).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    key = static_cast<KeyCode>(code);
  } else {
    const QKeySequence sequence = QKeySequence::fromString(trimmed, QKeySequence::PortableText);
    if (sequence.count() != 1) return std::nullopt;
    key = sequence[0].toCombined();
  }
  // One key, the keypad the only modifier it may carry.
  const int modifiers = key & static_cast<int>(Qt::KeyboardModifierMask);
  const int bare = key & ~static_cast<int>(Qt::KeyboardModifierMask);
  if ((modifiers & ~kKeypad) != 0 || bare == 0 || bare == Qt::Key_unknown) return std::nullopt;
  if (IsReservedKey(key)) return std::nullopt;
  return KeyOfEvent(bare, modifiers != 0);
}

QString KeyDisplayName(KeyCode key) {
  if (key == 0) return {};
  switch (key) {
    case Qt::Key_Left:
      return QStringLiteral("←");
    case Qt::Key_Right:
      return QStringLiteral("→");
    case Qt::Key_Up:
      return QStringLiteral("↑");
    case Qt::Key_Down:
      return QStringLiteral("↓");
    case Qt::Key_Space:
      return QCoreApplication::translate("KeyBindings", "スペース");
    default:
      break;
  }
  if (key & kKeypad) {
    return QCoreApplication::translate("KeyBindings", "テンキー ") +
           QKeySequence(key & ~kKeypad).toString(QKeySequence::NativeText);
  }
  const QString name = QKeySequence(key).toString(QKeySequence::NativeText);
  return name.isEmpty() || name.at(0).isNonCharacter()
             ? QCoreApplication::translate("KeyBindings", "キー 0x%1")
                   .arg(QString::number(static_cast<uint>(key), 16))
             : name;
}

KeyBindings KeyBindings::Defaults() {
  KeyBindings keys;
  keys.Keys = {{
      {Qt::Key_Left, Qt::Key_4 | kKeypad},
      {Qt::Key_Right, Qt::Key_6 | kKeypad},
      {Qt::Key_Up, Qt::Key_8 | kKeypad},
      {Qt::Key_Down, Qt::Key_2 | kKeypad},
      {Qt::Key_Z, 0},
      {Qt::Key_X, 0},
  }};
  return keys;
}

KeyCode KeyBindings::At(KeyAction action, int slot) const {
  return ValidSlot(action, slot) ? Keys[Index(action)][static_cast<std::size_t>(slot)] : 0;
}

bool KeyBindings::Bind(KeyAction action, int slot, KeyCode key) {
  if (!ValidSlot(action, slot) || key == 0 || IsReservedKey(key)) return false;
  KeyCode& target = Keys[Index(action)][static_cast<std::size_t>(slot)];
  for (auto& boxes : Keys) {
    for (KeyCode& other : boxes) {
      if (other == key && &other != &target) other = target;
    }
  }
  target = key;
  return true;
}

void KeyBindings::Clear(KeyAction action, int slot) {
  if (ValidSlot(action, slot)) Keys[Index(action)][static_cast<std::size_t>(slot)] = 0;
}

int KeyBindings::VirtualKeyOf(KeyCode key) const {
  if (key == 0) return 0;
  for (std::size_t a = 0; a < Keys.size(); ++a) {
    for (std::size_t s = 0; s < Keys[a].size(); ++s) {
      if (Keys[a][s] == key) return kVirtualKeys[a][s];
    }
  }
  return 0;
}

void KeyBindings::Tidy() {
  for (std::size_t a = 0; a < Keys.size(); ++a) {
    for (std::size_t s = 0; s < Keys[a].size(); ++s) {
      KeyCode& key = Keys[a][s];
      if (key != 0 && IsReservedKey(key)) key = 0;
      if (key == 0) continue;
      // Seen earlier in reading order?
      for (std::size_t b = 0; b <= a; ++b) {
        for (std::size_t t = 0; t < Keys[b].size() && (b < a || t < s); ++t) {
          if (Keys[b][t] == key) key = 0;
        }
      }
    }
  }
}

}  // namespace pelaryn
