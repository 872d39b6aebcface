#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelaryn {

// Which pad button fires which shot. Buttons go by SDL's game-controller names ("a", "b",
// "leftshoulder", …), which the browser's standard mapping shares; a joystick SDL has no mapping
// for names its first four buttons "a" "b" "x" "y" and the rest "button5", "button6", ….
// Empty: no button. The stick and the D-pad always move.
struct PadBindings {
  std::string Shot = "a";
  std::string Spread = "b";

  // Binds `button` to the shot; when the other shot had it, the two swap.
  void BindShot(const std::string& button);
  void BindSpread(const std::string& button);
  bool operator==(const PadBindings&) const = default;
};

// Whether `name` is a button name we can read back from the preferences file.
bool IsPadButtonName(std::string_view name);

// What the player reads for a button.
std::string PadButtonDisplayName(std::string_view name);

// The game's button mask (bit 0 fires straight, bit 1 spreads) for the buttons `down` says are
// held. X and Y, while bound to neither shot, keep their bits 2 and 3, with which a held X or Y
// holds the fire as it always has.
template <typename IsDown>
uint32_t GameButtons(const PadBindings& pad, IsDown&& down) {
  uint32_t buttons = 0;
  if (!pad.Shot.empty() && down(pad.Shot)) buttons |= 1u;
  if (!pad.Spread.empty() && down(pad.Spread)) buttons |= 2u;
  if (pad.Shot != "x" && pad.Spread != "x" && down(std::string_view("x"))) buttons |= 4u;
  if (pad.Shot != "y" && pad.Spread != "y" && down(std::string_view("y"))) buttons |= 8u;
  return buttons;
}

}  // namespace pelaryn
