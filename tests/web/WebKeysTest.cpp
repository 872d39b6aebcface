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

}  // namespace
}  // namespace pelaryn
