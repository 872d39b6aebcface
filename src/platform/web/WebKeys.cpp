#include "platform/web/WebKeys.h"

#include <algorithm>
#include <string>

#include "base/Platform.h"

namespace pelaryn {
namespace {

struct CodeKey {
  std::string_view Code;
  int VirtualKey;
};

// The arrows and the keypad's digits move (the keypad's by place, so NumLock does not matter);
// Z and X fire.
constexpr std::array<CodeKey, 10> kCodes{{
    {"ArrowLeft", vk::Left},
    {"ArrowUp", vk::Up},
    {"ArrowRight", vk::Right},
    {"ArrowDown", vk::Down},
    {"KeyZ", vk::Z},
    {"KeyX", vk::X},
    {"Numpad2", vk::Numpad2},
    {"Numpad4", vk::Numpad4},
    {"Numpad6", vk::Numpad6},
    {"Numpad8", vk::Numpad8},
}};

std::optional<std::size_t> IndexOf(std::string_view code) {
  const auto found = std::find_if(kCodes.begin(), kCodes.end(),
                                  [&](const CodeKey& key) { return key.Code == code; });
  if (found == kCodes.end()) return std::nullopt;
  return static_cast<std::size_t>(found - kCodes.begin());
}

}  // namespace

int VirtualKeyForCode(std::string_view code) {
  const std::optional<std::size_t> index = IndexOf(code);
  return index ? kCodes[*index].VirtualKey : 0;
}

std::optional<MenuId> MenuItemForCode(std::string_view code) {
  for (const MenuItemInfo& item : MenuItems) {
    if (item.FunctionKey != 0 && code == "F" + std::to_string(item.FunctionKey)) return item.Id;
  }
  return std::nullopt;
}

bool HeldKeys::Press(std::string_view code) {
  const std::optional<std::size_t> index = IndexOf(code);
  if (!index) return false;
  held_[*index] = true;
  return true;
}

bool HeldKeys::Release(std::string_view code) {
  const std::optional<std::size_t> index = IndexOf(code);
  if (!index) return false;
  held_[*index] = false;
  return true;
}

bool HeldKeys::Down(int virtualKey) const {
  for (std::size_t i = 0; i < kCodes.size(); ++i) {
    if (held_[i] && kCodes[i].VirtualKey == virtualKey) return true;
  }
  return false;
}

int StandardPadButton(std::string_view name) {
  struct Button {
    std::string_view Name;
    int Index;
  };
  // The triggers (6 and 7) and the D-pad (12 to 15) are not buttons to SDL's mapping: the D-pad
  // moves, as the stick does.
  constexpr std::array<Button, 11> kButtons{{
      {"a", 0},
      {"b", 1},
      {"x", 2},
      {"y", 3},
      {"leftshoulder", 4},
      {"rightshoulder", 5},
      {"back", 8},
      {"start", 9},
      {"leftstick", 10},
      {"rightstick", 11},
      {"guide", 16},
  }};
  for (const Button& button : kButtons) {
    if (button.Name == name) return button.Index;
  }
  return -1;
}

uint32_t PadGameButtons(const PadBindings& pad, uint32_t standardButtons) {
  return GameButtons(pad, [standardButtons](std::string_view name) {
    const int index = StandardPadButton(name);
    return index >= 0 && ((standardButtons >> index) & 1u) != 0;
  });
}

}  // namespace pelaryn
