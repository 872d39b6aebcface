// The sim's key, joystick and menu scripts, as any file may hold them. Frames count from 1, so
// frame 0 never holds a key, a joystick or a command; a script answers the same for a frame
// whether frames are asked for in order (the fast path), backwards or alone; a menu step is a
// known command or a Wait within its bounds. The same bytes, read as spans handed to Hold and
// Add, must give what a plain search through those spans gives.

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "platform/script/Scripts.h"

using pelaryn::fuzz::Check;

namespace pelaryn {
namespace {

constexpr int Keys[] = {vk::Left, vk::Right,   vk::Up,      vk::Down,    vk::Z,
                        vk::X,    vk::Numpad2, vk::Numpad4, vk::Numpad6, vk::Numpad8};

// Frames worth asking about: the ends of the frame numbers, and each number in the text with
// its neighbours, where runs begin and end.
std::vector<uint64_t> Probes(const std::string& text) {
  std::set<uint64_t> frames{0, 1, 2, UINT64_MAX - 1, UINT64_MAX};
  for (std::size_t i = 0; i < text.size() && frames.size() < 64;) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    uint64_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      const auto digit = static_cast<uint64_t>(text[i] - '0');
      n = n > (UINT64_MAX - digit) / 10 ? UINT64_MAX : n * 10 + digit;
    }
    frames.insert({n - 1, n, n + 1});  // wrapping at the ends is still a frame
  }
  return {frames.begin(), frames.end()};
}

// Asks for every probe in order, backwards, and each on a fresh copy; all three must agree.
template <typename Script, typename Ask>
void CheckOrderDoesNotMatter(const Script& script, const std::vector<uint64_t>& probes, Ask ask) {
  Script forward = script;
  Script backward = script;
  std::vector<decltype(ask(script, 0))> answers;
  for (uint64_t frame : probes) answers.push_back(ask(forward, frame));
  for (std::size_t i = probes.size(); i-- > 0;) {
    Check(ask(backward, probes[i]) == answers[i], "a frame asked backwards answers the same");
  }
  for (std::size_t i = 0; i < probes.size(); ++i) {
    Script alone = script;
    Check(ask(alone, probes[i]) == answers[i], "a frame asked alone answers the same");
  }
}

uint16_t KeysDown(const KeyScript& script, uint64_t frame) {
  uint16_t mask = 0;
  for (std::size_t k = 0; k < std::size(Keys); ++k) {
    if (script.Down(frame, Keys[k])) mask = static_cast<uint16_t>(mask | 1u << k);
  }
  return mask;
}

bool SameReading(const std::optional<JoyInfo>& a, const std::optional<JoyInfo>& b) {
  if (!a || !b) return a.has_value() == b.has_value();
  return a->XPos == b->XPos && a->YPos == b->YPos && a->Buttons == b->Buttons;
}

void CheckParsed(const std::string& text) {
  const std::vector<uint64_t> probes = Probes(text);
  std::string error;
  std::istringstream keyText(text);
  if (const std::optional<KeyScript> keys = KeyScript::Parse(keyText, error)) {
    Check(KeysDown(*keys, 0) == 0, "no key is held at frame 0");
    CheckOrderDoesNotMatter(*keys, probes, KeysDown);
  } else {
    Check(!error.empty(), "a refused key script says why");
  }

  error.clear();
  std::istringstream joyText(text);
  if (const std::optional<JoyScript> joy = JoyScript::Parse(joyText, error)) {
    Check(!joy->At(0), "no joystick is present at frame 0");
    for (uint64_t frame : probes) {
      const std::optional<JoyInfo> reading = joy->At(frame);
      Check(
          !reading || (reading->XPos <= 65535 && reading->YPos <= 65535 && reading->Buttons <= 15),
          "a joystick reading is within its bounds");
    }
    CheckOrderDoesNotMatter(*joy, probes, [&](const JoyScript& s, uint64_t frame) {
      const std::optional<JoyInfo> reading = s.At(frame);
      return reading ? std::optional<std::array<uint32_t, 3>>{{reading->XPos, reading->YPos,
                                                               reading->Buttons}}
                     : std::nullopt;
    });
  } else {
    Check(!error.empty(), "a refused joystick script says why");
  }

  error.clear();
  std::istringstream menuText(text);
  if (const std::optional<MenuScript> menu = MenuScript::Parse(menuText, error)) {
    Check(menu->At(0).empty(), "no command runs at frame 0");
    for (uint64_t frame : probes) {
      for (const MenuScript::Step& step : menu->At(frame)) {
        Check(step.Command == "Wait" ? step.Count >= 1 && step.Count <= 1000000
                                     : step.Count == 0 && MenuCommandByName(step.Command),
              "a menu step is a known command or a bounded Wait");
      }
    }
  } else {
    Check(!error.empty(), "a refused menu script says why");
  }
}

struct Span {
  uint64_t First, Last;
  std::size_t Index;  // a key for Hold, a reading for Add
};

// Four bytes a span: a start near frame 1 or near the last frame, a length or no end, and
// which key or reading.
std::vector<Span> SpansFrom(const uint8_t* data, std::size_t size) {
  std::vector<Span> spans;
  for (std::size_t i = 0; i + 4 <= size && spans.size() < 48; i += 4) {
    const uint8_t a = data[i], b = data[i + 1], c = data[i + 2], d = data[i + 3];
    const uint64_t first = c & 0x80 ? UINT64_MAX - a : uint64_t{a};
    const uint64_t last = c & 0x40 ? UINT64_MAX : first + b < first ? UINT64_MAX : first + b;
    spans.push_back({first, c & 0x20 ? first - 1 : last, d});  // sometimes reversed
  }
  return spans;
}

std::vector<uint64_t> EdgeProbes(const std::vector<Span>& spans) {
  std::set<uint64_t> frames{0, 1, UINT64_MAX};
  for (const Span& s : spans) frames.insert({s.First - 1, s.First, s.Last, s.Last + 1});
  return {frames.begin(), frames.end()};
}

void CheckSpans(const uint8_t* data, std::size_t size) {
  const std::vector<Span> spans = SpansFrom(data, size);
  const std::vector<uint64_t> probes = EdgeProbes(spans);

  KeyScript keys;
  JoyScript joy;
  for (const Span& s : spans) {
    keys.Hold(s.First, s.Last, Keys[s.Index % std::size(Keys)]);
    joy.Add(s.First, s.Last, {.XPos = static_cast<uint32_t>(s.Index)});
  }
  for (uint64_t frame : probes) {
    uint16_t expectedKeys = 0;
    std::optional<JoyInfo> expectedJoy;
    for (const Span& s : spans) {
      if (s.First > s.Last || frame < s.First || frame > s.Last) continue;
      expectedKeys = static_cast<uint16_t>(expectedKeys | 1u << (s.Index % std::size(Keys)));
      if (!expectedJoy) expectedJoy = JoyInfo{.XPos = static_cast<uint32_t>(s.Index)};
    }
    Check(KeysDown(keys, frame) == expectedKeys, "keys held are those of the spans holding them");
    Check(SameReading(joy.At(frame), expectedJoy), "the first span added holds the joystick");
  }
  CheckOrderDoesNotMatter(keys, probes, KeysDown);
}

}  // namespace
}  // namespace pelaryn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  pelaryn::CheckParsed({reinterpret_cast<const char*>(data), size});
  pelaryn::CheckSpans(data, size);
  return 0;
}
