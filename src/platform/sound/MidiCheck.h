#pragma once

// What a MIDI piece must be before the synthesiser's player sees it. The player trusts a file:
// thousands of events on one tick hold the audio thread for seconds, and a file it cannot play
// ends at once and is asked for again every frame.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pelaryn {

struct MidiLimits {
  std::size_t Tracks = 128;             // the player keeps no more
  std::size_t Events = 200'000;         // a long, dense piece has a few tens of thousands
  std::size_t EventsPerTick = 256;      // sixteen channels set up at once, with room to spare
  std::size_t EventsPerSecond = 2'000;  // a fast piece plays a few hundred
  std::size_t DataBytes = 65'535;       // one meta or system-exclusive event
};

// True when `bytes` hold a Standard MIDI File the player can play without harm: format 0 or 1
// with ticks per quarter note, every announced track present and ending properly, events that
// can be told apart, at least one note, and no more events than `limits` allow. Otherwise false,
// with the reason in `why` (a few words to follow a file name).
bool IsPlayableMidi(std::span<const uint8_t> bytes, std::string& why,
                    const MidiLimits& limits = {});

}  // namespace pelaryn
