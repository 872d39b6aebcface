#pragma once

// What the live music and the rendering ahead share, so that both give the very same samples:
// the synthesiser's making, its conversion to 16-bit, and how a piece's end is seen.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/desktop/PieceMemory.h"

// The library's own types, declared here so that this header does not pull it in.
struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace pelaryn {

// Our pieces are written to sit at about -28 LUFS at this synthesizer gain.
inline constexpr double kMusicGain = 0.3;

// Whether `path` names a soundfont file, by its header: quick enough for a window to ask before
// anything is loaded.
bool IsSoundFontFile(const std::string& path);

// A FluidSynth synthesiser with its settings, freed together.
class SynthHandle {
 public:
  SynthHandle() = default;
  ~SynthHandle() { Reset(); }
  SynthHandle(const SynthHandle&) = delete;
  SynthHandle& operator=(const SynthHandle&) = delete;
  SynthHandle(SynthHandle&& other) noexcept { *this = std::move(other); }
  SynthHandle& operator=(SynthHandle&& other) noexcept;

  // The General MIDI synthesiser at `rate`, with `soundFont` loaded; empty on success.
  std::string Make(const std::string& soundFont, int rate);
  void Reset();
  _fluid_synth_t* Get() const { return synth_; }
  explicit operator bool() const { return synth_ != nullptr; }

 private:
  _fluid_hashtable_t* settings_ = nullptr;
  _fluid_synth_t* synth_ = nullptr;
};

// The next `frames` frames of `synth` into `out` (interleaved, 1 or 2 channels), through
// `scratch` (at least 2 floats), rounded to 16 bits without dither: the same samples however
// the frames are split between calls.
void WriteSamples(_fluid_synth_t* synth, int16_t* out, std::size_t frames, int channels,
                  std::span<float> scratch);

// Whether `player` has passed the last tick of its piece. `totalTicks` starts at 0 and keeps
// the piece's length once the player has read it: counting it walks every event.
bool PassedEnd(_fluid_player_t* player, int& totalTicks);

// A piece after its end rings on with what is kept for this long, up to its next start.
inline constexpr int kTailSeconds = 4;

enum class RenderOutcome { Rendered, TooLarge, Unplayable, Stopped };

// How a rendering is laid out: the live synthesiser's rate and channels, and the frames the
// mixer asks for at a time. FluidSynth's player and effects move on once a call, so only the
// same split of the frames between calls gives the same samples; a piece's end is seen at the
// end of a call, and so reported at the same sample too.
struct RenderLayout {
  int Rate = 44100;
  int Channels = 2;
  std::size_t ChunkFrames = 1024;
};

// Renders `piece.File` from its beginning on `synth` (reset first), as the live synthesiser
// would play it, until kTailSeconds past its end; gives up when the samples would take more
// than `roomBytes` or `stop` is asked for.
RenderOutcome RenderPiece(_fluid_synth_t* synth, const RenderLayout& layout, std::size_t roomBytes,
                          const std::stop_token& stop, PieceMemory::Piece& piece);

}  // namespace pelaryn
