#include "platform/pad/PadBindings.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace pelaryn {
namespace {

struct Named {
  std::string_view Name;
  std::string_view Display;
};

// SDL's game-controller button names, as shown on the common pads.
constexpr std::array<Named, 17> kButtons{{
    {"a", "A"},
    {"b", "B"},
    {"x", "X"},
    {"y", "Y"},
    {"back", "Back"},
    {"guide", "Guide"},
    {"start", "Start"},
    {"leftstick", "L3"},
    {"rightstick", "R3"},
    {"leftshoulder", "LB"},
    {"rightshoulder", "RB"},
    {"misc1", "Misc"},
    {"paddle1", "P1"},
    {"paddle2", "P2"},
    {"paddle3", "P3"},
    {"paddle4", "P4"},
    {"touchpad", "Touchpad"},
}};

// "buttonN", N from 5 to 99: a joystick's own numbering past its first four.
bool IsNumberedButton(std::string_view name) {
  constexpr std::string_view prefix = "button";
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 2) return false;
  if (name.substr(0, prefix.size()) != prefix) return false;
  const std::string_view digits = name.substr(prefix.size());
  if (!std::all_of(digits.begin(), digits.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
    return false;
  }
  if (digits[0] == '0') return false;
  return std::stoi(std::string(digits)) >= 5;
}

void Bind(std::string& mine, std::string& other, const std::string& button) {
  if (!button.empty() && other == button) other = mine;
  mine = button;
}

}  // namespace

void PadBindings::BindShot(const std::string& button) {
  Bind(Shot, Spread, button);
}

void PadBindings::BindSpread(const std::string& button) {
  Bind(Spread, Shot, button);
}

bool IsPadButtonName(std::string_view name) {
  return std::any_of(kButtons.begin(), kButtons.end(),
                     [name](const Named& b) { return b.Name == name; }) ||
         IsNumberedButton(name);
}

std::string PadButtonDisplayName(std::string_view name) {
  for (const Named& b : kButtons) {
    if (b.Name == name) return std::string(b.Display);
  }
  if (IsNumberedButton(name)) return std::string(name.substr(6));
  return {};
}

}  // namespace pelaryn
