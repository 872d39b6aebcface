#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Menu.h"
#include "base/Platform.h"

namespace pelaryn {

// Frames split into runs of equal value: run i covers the frames from Starts[i] up to the next
// start. Frames are asked for in order, so the run of the last answer is tried first and a
// lookup costs constant time however long the script is.
class FrameRuns {
 public:
  // The run holding `frame`; the first run starts at frame 0.
  std::size_t Find(uint64_t frame) const;

  std::vector<uint64_t> Starts{0};

 private:
  mutable std::size_t last_ = 0;
};

// Keys held over ranges of frames: lines "FIRST LAST KEY..." (frames from 1, inclusive), '#'
// starts a comment. Key names: Left Right Up Down Z X Numpad2 Numpad4 Numpad6 Numpad8.
class KeyScript {
 public:
  // Parses the script; on failure returns nothing and says why in `error`.
  static std::optional<KeyScript> Parse(std::istream& in, std::string& error);

  // A key that no script can name is ignored.
  void Hold(uint64_t first, uint64_t last, int virtualKey);
  bool Down(uint64_t frame, int virtualKey) const;

 private:
  struct Span {
    uint64_t First, Last;
    int Bit;
  };
  void Build();

  std::vector<Span> spans_;
  FrameRuns runs_;
  std::vector<uint16_t> masks_{0};  // the keys held in each run, one bit per script key
};

// A joystick that is present only in the listed frames: lines "FIRST LAST X Y BUTTONMASK".
class JoyScript {
 public:
  static std::optional<JoyScript> Parse(std::istream& in, std::string& error);

  // Where spans overlap, the one added first holds.
  void Add(uint64_t first, uint64_t last, const JoyInfo& info);
  // The reading of `frame`, or nothing when no device is present then.
  std::optional<JoyInfo> At(uint64_t frame) const;

 private:
  struct Span {
    uint64_t First, Last;
    JoyInfo Info;
  };
  void Build();

  static constexpr std::size_t Absent = SIZE_MAX;
  std::vector<Span> spans_;
  FrameRuns runs_;
  std::vector<std::size_t> readings_{Absent};  // the span that holds each run
};

// Menu commands by frame: lines "FRAME COMMAND...", run in order during the yield of that game
// frame. Commands: Start Pause Reset Exit Se Autoshot, and "Wait N", which lets N yields pass
// (inside a pause: N turns of the pause's wait) before the next command of the line runs.
class MenuScript {
 public:
  struct Step {
    std::string Command;  // a menu item's command name, or "Wait"
    uint64_t Count = 0;   // the yields of a Wait
  };

  static std::optional<MenuScript> Parse(std::istream& in, std::string& error);

  // The steps of one frame, in order; empty when that frame has none.
  const std::vector<Step>& At(uint64_t frame) const;

 private:
  std::map<uint64_t, std::vector<Step>> lines_;
};

// The menu item a script command names ("Pause" → mnuPause), or nothing.
std::optional<MenuId> MenuCommandByName(const std::string& name);

// Looks up a key name of the scripts; 0 when unknown.
int VirtualKeyByName(const std::string& name);

}  // namespace pelaryn
