// Music and effects as anyone may put them in sound/: the checks that stand before the
// synthesiser and the mixer. A MIDI piece passed is one the checks would pass again with
// anything appended (a player reads only the announced tracks) and one whose every event counts
// against the limits: under limits too small for it, it is refused. A WAV effect passed holds
// every sample its header announces.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/sound/MidiCheck.h"
#include "platform/sound/WavCheck.h"

using pelaryn::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace pelaryn;
  const std::span<const uint8_t> bytes(data, size);
  std::string why;
  const bool playable = IsPlayableMidi(bytes, why);
  Check(playable == why.empty(), "a refused piece says why, a passed one says nothing");
  if (playable) {
    std::vector<uint8_t> longer(bytes.begin(), bytes.end());
    longer.insert(longer.end(), {0xFF, 0x00, 0x4D, 0x54});
    Check(IsPlayableMidi(longer, why), "bytes after the last track change nothing");
    MidiLimits none;
    none.Events = 1;
    none.EventsPerTick = 0;
    Check(!IsPlayableMidi(bytes, why, none), "a piece's note counts against the limits");
  }

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  why.clear();
  const bool effect = IsWavEffect(text, why);
  Check(effect == why.empty(), "a refused effect says why, a passed one says nothing");
  if (effect) {
    Check(size >= 44, "an effect has at least a header, a format and its samples' chunk");
  }
  return 0;
}
