#pragma once

// The browser's keyboard as the game reads it: each key by its place on the keyboard
// (KeyboardEvent.code, the same whatever the layout or NumLock), turned into the virtual keys
// the game polls and the menu items its function keys stand for. No browser needed, so it is
// tested on the desktop.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/Menu.h"
#include "platform/pad/PadBindings.h"

namespace pelaryn {

// The virtual key the game polls for this key (vk::Left, vk::Numpad4, ...), or 0 for none.
int VirtualKeyForCode(std::string_view code);

// The menu item whose function key this is (F2 スタート, F9 終了, ...), from the game's own menu
// table, so the browser offers the same shortcuts as the desktop's menu bar.
std::optional<MenuId> MenuItemForCode(std::string_view code);

// The Gamepad API's number, in its standard mapping, for the button a pad binding names (SDL's
// names: "a", "leftshoulder", …); -1 for a name that mapping has no button for.
int StandardPadButton(std::string_view name);

// The game's button bits (bit 0 fires straight, bit 1 spreads, 2 and 3 hold the fire) for the
// standard mapping's buttons held (bit n: button n), as the player bound them.
uint32_t PadGameButtons(const PadBindings& pad, uint32_t standardButtons);

// The keys held now. A key pressed twice without a release (the browser repeats a held key)
// counts once; two keys standing for one virtual key hold it until both are up.
class HeldKeys {
 public:
  // A key went down or up; false when it means nothing to the game.
  bool Press(std::string_view code);
  bool Release(std::string_view code);
  // The window lost the keyboard: nothing is held any more.
  void ReleaseAll() { held_.fill(false); }
  bool Down(int virtualKey) const;

 private:
  // By the key's index in the table of codes the game knows.
  std::array<bool, 16> held_{};
};

}  // namespace pelaryn
