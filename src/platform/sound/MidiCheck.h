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
  std::size_t Tracks = 128;      // the player keeps no more
  std::size_t Events = 200'000;  // a long, dense piece has a few tens of thousands
  // The player hands the synthesiser all of one tick's events within one buffer of audio. Channel
  // messages and system-exclusive ones count here; metas do not (the player keeps the tempo
  // itself and the synthesiser ignores the rest), though they count per second and in all. A
  // format-1 piece sets up every channel on its first tick: sixteen channels with a dozen
  // controllers, a bank, a programme, a pitch bend and its range make some 300, and the densest of
  // forty-one pieces packaged in Debian sets up 245. 1,024 leaves each channel 64. Measured on a
  // busy two-core machine with the General MIDI soundfont and 256 voices sounding, the synthesiser
  // spends some 3 µs on a controller change, 5 µs on a note start and 40 µs on a General MIDI
  // "system on" (a reset of every channel): 1,024 of the dearest make one buffer about 40 ms late,
  // where 20,000 would hold it for most of a second.
  std::size_t EventsPerTick = 1'024;
  // A chord on every channel at once starts a few dozen notes (those pieces: at most 20). 128
  // already fill the synthesiser's 256 voices with a soundfont of stereo samples; more would only
  // take voices from one another, each start searching all of them for one to end.
  std::size_t NotesPerTick = 128;
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
