#include "platform/headless/Scripts.h"

#include <sstream>

namespace pelaryn {
namespace {

// Reads the next meaningful line: comments cut, blank lines skipped.
bool NextLine(std::istream& in, std::istringstream& line, int& number) {
  std::string text;
  while (std::getline(in, text)) {
    ++number;
    if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
    if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
    line.clear();
    line.str(text);
    return true;
  }
  return false;
}

bool ReadRange(std::istringstream& line, uint64_t& first, uint64_t& last) {
  return static_cast<bool>(line >> first >> last) && first >= 1 && first <= last;
}

}  // namespace

int VirtualKeyByName(const std::string& name) {
  static constexpr struct {
    const char* name;
    int key;
  } keys[] = {
      {"Left", vk::Left},
      {"Right", vk::Right},
      {"Up", vk::Up},
      {"Down", vk::Down},
      {"Z", vk::Z},
      {"X", vk::X},
      {"Numpad2", vk::Numpad2},
      {"Numpad4", vk::Numpad4},
      {"Numpad6", vk::Numpad6},
      {"Numpad8", vk::Numpad8},
  };
  for (const auto& k : keys) {
    if (name == k.name) return k.key;
  }
  return 0;
}

std::optional<KeyScript> KeyScript::Parse(std::istream& in, std::string& error) {
  KeyScript script;
  std::istringstream line;
  int number = 0;
  while (NextLine(in, line, number)) {
    uint64_t first = 0, last = 0;
    if (!ReadRange(line, first, last)) {
      error = "line " + std::to_string(number) + ": expected FIRST LAST with 1 <= FIRST <= LAST";
      return std::nullopt;
    }
    std::string name;
    int count = 0;
    while (line >> name) {
      const int key = VirtualKeyByName(name);
      if (key == 0) {
        error = "line " + std::to_string(number) + ": unknown key '" + name + "'";
        return std::nullopt;
      }
      script.Hold(first, last, key);
      ++count;
    }
    if (count == 0) {
      error = "line " + std::to_string(number) + ": no key named";
      return std::nullopt;
    }
  }
  return script;
}

void KeyScript::Hold(uint64_t first, uint64_t last, int virtualKey) {
  spans_.push_back({first, last, virtualKey});
}

bool KeyScript::Down(uint64_t frame, int virtualKey) const {
  for (const Span& span : spans_) {
    if (span.Key == virtualKey && span.First <= frame && frame <= span.Last) return true;
  }
  return false;
}

std::optional<JoyScript> JoyScript::Parse(std::istream& in, std::string& error) {
  JoyScript script;
  std::istringstream line;
  int number = 0;
  while (NextLine(in, line, number)) {
    uint64_t first = 0, last = 0;
    JoyInfo info;
    std::string rest;
    if (!ReadRange(line, first, last) || !(line >> info.XPos >> info.YPos >> info.Buttons) ||
        (line >> rest) || info.XPos > 65535 || info.YPos > 65535 || info.Buttons > 15) {
      error = "line " + std::to_string(number) +
              ": expected FIRST LAST X Y BUTTONMASK (X, Y 0..65535, mask 0..15)";
      return std::nullopt;
    }
    script.Add(first, last, info);
  }
  return script;
}

void JoyScript::Add(uint64_t first, uint64_t last, const JoyInfo& info) {
  spans_.push_back({first, last, info});
}

std::optional<JoyInfo> JoyScript::At(uint64_t frame) const {
  for (const Span& span : spans_) {
    if (span.First <= frame && frame <= span.Last) return span.Info;
  }
  return std::nullopt;
}

std::optional<MenuId> MenuCommandByName(const std::string& name) {
  static constexpr struct {
    const char* name;
    MenuId id;
  } commands[] = {
      {"Start", MenuId::Start}, {"Pause", MenuId::Pause}, {"Reset", MenuId::Reset},
      {"Exit", MenuId::Exit},   {"Se", MenuId::Se},       {"Autoshot", MenuId::Autoshot},
  };
  for (const auto& c : commands) {
    if (name == c.name) return c.id;
  }
  return std::nullopt;
}

std::optional<MenuScript> MenuScript::Parse(std::istream& in, std::string& error) {
  MenuScript script;
  std::istringstream line;
  int number = 0;
  while (NextLine(in, line, number)) {
    const std::string where = "line " + std::to_string(number) + ": ";
    uint64_t frame = 0;
    if (!(line >> frame) || frame < 1) {
      error = where + "expected FRAME (from 1) and commands";
      return std::nullopt;
    }
    std::vector<Step>& steps = script.lines_[frame];
    std::string name;
    while (line >> name) {
      Step step{name, 0};
      if (name == "Wait") {
        if (!(line >> step.Count) || step.Count < 1 || step.Count > 1000000) {
          error = where + "Wait takes a count from 1 to 1000000";
          return std::nullopt;
        }
      } else if (!MenuCommandByName(name)) {
        error = where + "unknown command " + name;
        return std::nullopt;
      }
      steps.push_back(step);
    }
  }
  return script;
}

const std::vector<MenuScript::Step>& MenuScript::At(uint64_t frame) const {
  static const std::vector<Step> none;
  const auto found = lines_.find(frame);
  return found == lines_.end() ? none : found->second;
}

}  // namespace pelaryn
