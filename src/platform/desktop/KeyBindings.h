#pragma once

#include <QString>
#include <array>
#include <optional>

namespace pelaryn {

// What a player's key can mean. The game polls ten fixed keys; each action stands for some of
// them, so a binding changes which physical key the game sees, never what the game does.
enum class KeyAction { Left, Right, Up, Down, Shot, Spread };
inline constexpr int KeyActionCount = 6;
inline constexpr int KeysPerAction = 2;

// A key as the window reports it: Qt's key code, with Qt::KeypadModifier for the numeric
// keypad. The keypad's keys count as their digits whether NumLock is on or off. 0 is no key.
using KeyCode = int;

KeyCode KeyOfEvent(int qtKey, bool keypad);

// The menu's keys (F1–F12), Esc and M stay the menu's; Backspace clears a box instead.
bool IsReservedKey(KeyCode key);

// For the preferences file: Qt's portable name ("Left", "Num+4", "Space"), or the code in hex
// for a key that has no name that reads back. nullopt for text that names no single bindable
// key; the empty text is "no key" (0).
QString KeyToText(KeyCode key);
std::optional<KeyCode> KeyFromText(const QString& text);

// What the player reads in a key box.
QString KeyDisplayName(KeyCode key);

// Two keys per action. A key is bound in at most one place.
struct KeyBindings {
  std::array<std::array<KeyCode, KeysPerAction>, KeyActionCount> Keys{};

  static KeyBindings Defaults();

  KeyCode At(KeyAction action, int slot) const;
  // Binds `key` to the slot; where it was bound before, the slot's old key takes its place.
  // False, and nothing changes, for a reserved key.
  bool Bind(KeyAction action, int slot, KeyCode key);
  void Clear(KeyAction action, int slot);
  // The virtual key the game polls for `key`, or 0. The second key of a move stands for the
  // keypad's key of that direction, so the defaults give the game exactly the keys it knows.
  int VirtualKeyOf(KeyCode key) const;
  // A reserved key, or one bound twice, loses its place (the first binding stays).
  void Tidy();

  bool operator==(const KeyBindings&) const = default;
};

}  // namespace pelaryn
