#include "platform/script/Scripts.h"

#include <algorithm>
#include <array>
#include <set>
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

constexpr struct {
  const char* name;
  int key;
} ScriptKeys[] = {
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

// The bit of a script key in a run's mask; -1 for a key no script names.
int KeyBit(int virtualKey) {
  for (std::size_t i = 0; i < std::size(ScriptKeys); ++i) {
    if (ScriptKeys[i].key == virtualKey) return static_cast<int>(i);
  }
  return -1;
}

// Where a span starts and where it stops holding (one past its last frame; a span that runs to
// the last frame there is never stops).
struct Edge {
  uint64_t Frame;
  std::size_t Span;
  bool Starts;
};

template <typename Span>
std::vector<Edge> Edges(const std::vector<Span>& spans) {
  std::vector<Edge> edges;
  edges.reserve(spans.size() * 2);
  for (std::size_t i = 0; i < spans.size(); ++i) {
    edges.push_back({spans[i].First, i, true});
    if (spans[i].Last != UINT64_MAX) edges.push_back({spans[i].Last + 1, i, false});
  }
  std::stable_sort(edges.begin(), edges.end(),
                   [](const Edge& a, const Edge& b) { return a.Frame < b.Frame; });
  return edges;
}

}  // namespace

std::size_t FrameRuns::Find(uint64_t frame) const {
  auto holds = [&](std::size_t i) {
    return i < Starts.size() && Starts[i] <= frame &&
           (i + 1 == Starts.size() || frame < Starts[i + 1]);
  };
  if (holds(last_)) return last_;
  if (holds(last_ + 1)) return ++last_;
  last_ = static_cast<std::size_t>(std::upper_bound(Starts.begin(), Starts.end(), frame) -
                                   Starts.begin()) -
          1;
  return last_;
}

int VirtualKeyByName(const std::string& name) {
  for (const auto& k : ScriptKeys) {
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
      script.spans_.push_back({first, last, KeyBit(key)});
      ++count;
    }
    if (count == 0) {
      error = "line " + std::to_string(number) + ": no key named";
      return std::nullopt;
    }
  }
  script.Build();
  return script;
}

void KeyScript::Hold(uint64_t first, uint64_t last, int virtualKey) {
  const int bit = KeyBit(virtualKey);
  if (bit < 0 || first > last) return;
  spans_.push_back({first, last, bit});
  Build();
}

void KeyScript::Build() {
  runs_ = FrameRuns();
  masks_.assign(1, 0);
  std::array<uint64_t, std::size(ScriptKeys)> holding{};  // spans holding each key
  const std::vector<Edge> edges = Edges(spans_);
  for (std::size_t e = 0; e < edges.size();) {
    const uint64_t frame = edges[e].Frame;
    for (; e < edges.size() && edges[e].Frame == frame; ++e) {
      uint64_t& count = holding[static_cast<std::size_t>(spans_[edges[e].Span].Bit)];
      count = edges[e].Starts ? count + 1 : count - 1;
    }
    uint16_t mask = 0;
    for (std::size_t bit = 0; bit < holding.size(); ++bit) {
      if (holding[bit] > 0) mask = static_cast<uint16_t>(mask | (1u << bit));
    }
    if (mask == masks_.back()) continue;
    if (runs_.Starts.back() == frame) {
      masks_.back() = mask;
    } else {
      runs_.Starts.push_back(frame);
      masks_.push_back(mask);
    }
  }
}

bool KeyScript::Down(uint64_t frame, int virtualKey) const {
  const int bit = KeyBit(virtualKey);
  return bit >= 0 && (masks_[runs_.Find(frame)] >> bit & 1u) != 0;
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
    script.spans_.push_back({first, last, info});
  }
  script.Build();
  return script;
}

void JoyScript::Add(uint64_t first, uint64_t last, const JoyInfo& info) {
  if (first > last) return;
  spans_.push_back({first, last, info});
  Build();
}

void JoyScript::Build() {
  runs_ = FrameRuns();
  readings_.assign(1, Absent);
  std::set<std::size_t> holding;  // by order of the script, so the first listed is in front
  const std::vector<Edge> edges = Edges(spans_);
  for (std::size_t e = 0; e < edges.size();) {
    const uint64_t frame = edges[e].Frame;
    for (; e < edges.size() && edges[e].Frame == frame; ++e) {
      if (edges[e].Starts) {
        holding.insert(edges[e].Span);
      } else {
        holding.erase(edges[e].Span);
      }
    }
    const std::size_t reading = holding.empty() ? Absent : *holding.begin();
    if (reading == readings_.back()) continue;
    if (runs_.Starts.back() == frame) {
      readings_.back() = reading;
    } else {
      runs_.Starts.push_back(frame);
      readings_.push_back(reading);
    }
  }
}

std::optional<JoyInfo> JoyScript::At(uint64_t frame) const {
  const std::size_t reading = readings_[runs_.Find(frame)];
  if (reading == Absent) return std::nullopt;
  return spans_[reading].Info;
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
