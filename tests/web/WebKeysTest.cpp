// The browser's keys as the game reads them: the key codes the page passes on, the function
// keys of the menu, and keys held, repeated and released.

#include "platform/web/WebKeys.h"

#include <gtest/gtest.h>

#include "base/Platform.h"

namespace pelaryn {
namespace {

TEST(WebKeys, CodesBecomeTheGamesKeysAndTheMenusShortcuts) {
  const struct {
    const char* Code;
    int VirtualKey;
    std::optional<MenuId> Item;
  } cases[] = {
      {"ArrowLeft", vk::Left, {}},
      {"ArrowUp", vk::Up, {}},
      {"ArrowRight", vk::Right, {}},
      {"ArrowDown", vk::Down, {}},
      {"KeyZ", vk::Z, {}},
      {"KeyX", vk::X, {}},
      {"Numpad2", vk::Numpad2, {}},
      {"Numpad4", vk::Numpad4, {}},
      {"Numpad6", vk::Numpad6, {}},
      {"Numpad8", vk::Numpad8, {}},
      {"F1", 0, MenuId::Manual},
      {"F2", 0, MenuId::Start},
      {"F3", 0, MenuId::Pause},
      {"F4", 0, MenuId::Reset},
      {"F5", 0, MenuId::Se},
      {"F6", 0, MenuId::Autoshot},
      {"F9", 0, MenuId::Exit},
      {"F7", 0, {}},
      {"F12", 0, {}},
      {"KeyA", 0, {}},
      {"Numpad5", 0, {}},
      {"", 0, {}},
      {"keyz", 0, {}},  // codes are exact
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VirtualKeyForCode(c.Code), c.VirtualKey) << c.Code;
    EXPECT_EQ(MenuItemForCode(c.Code), c.Item) << c.Code;
  }
}

TEST(WebKeys, HeldUntilReleasedRepeatsCountOnceAndBlurLetsGo) {
  HeldKeys keys;
  EXPECT_FALSE(keys.Press("KeyA"));
  EXPECT_FALSE(keys.Release("F2"));
  EXPECT_TRUE(keys.Press("ArrowLeft"));
  EXPECT_TRUE(keys.Press("ArrowLeft"));  // the browser repeats a held key
  EXPECT_TRUE(keys.Press("Numpad6"));
  EXPECT_TRUE(keys.Down(vk::Left));
  EXPECT_TRUE(keys.Down(vk::Numpad6));
  EXPECT_FALSE(keys.Down(vk::Right));
  EXPECT_FALSE(keys.Down(vk::Numpad4));
  EXPECT_TRUE(keys.Release("ArrowLeft"));
  EXPECT_FALSE(keys.Down(vk::Left));  // one release ends it, however often it repeated
  EXPECT_TRUE(keys.Down(vk::Numpad6));
  keys.ReleaseAll();
  EXPECT_FALSE(keys.Down(vk::Numpad6));
}

TEST(WebKeys, PadButtonsByTheStandardMappingsNumbers) {
  // The W3C standard mapping: the face buttons first, the shoulders, then past the triggers.
  const std::pair<const char*, int> cases[] = {
      {"a", 0},
      {"y", 3},
      {"rightshoulder", 5},
      {"start", 9},
      {"guide", 16},
      // Not buttons of that mapping, or not buttons at all.
      {"lefttrigger", -1},
      {"button5", -1},
      {"dpup", -1},
      {"", -1},
      {"A", -1},
  };
  for (const auto& [name, index] : cases) EXPECT_EQ(StandardPadButton(name), index) << name;
}

TEST(WebKeys, PadButtonsReachTheGameAsThePlayerBoundThem) {
  const auto bit = [](int button) { return 1u << button; };
  const struct {
    const char* Shot;
    const char* Spread;
    uint32_t Held;
    uint32_t Game;
  } cases[] = {
      {"a", "b", bit(0), 1},
      {"a", "b", bit(1) | bit(2) | bit(3), 2 | 4 | 8},
      {"a", "rightshoulder", bit(5), 2},
      {"a", "rightshoulder", bit(1), 0},
      // X bound to a shot no longer holds the fire.
      {"x", "b", bit(2), 1},
      {"", "guide", bit(0) | bit(16), 2},
      // The D-pad and the triggers are no buttons to the game.
      {"a", "b", bit(6) | bit(7) | bit(12) | bit(15), 0},
  };
  for (const auto& c : cases) {
    PadBindings pad;
    pad.Shot = c.Shot;
    pad.Spread = c.Spread;
    EXPECT_EQ(PadGameButtons(pad, c.Held), c.Game) << c.Shot << " " << c.Spread << " " << c.Held;
  }
}

}  // namespace
}  // namespace pelaryn
