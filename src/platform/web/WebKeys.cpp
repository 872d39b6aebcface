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

}  // namespace pelaryn
