#pragma once

// Renders a MIDI file offline through FluidSynth, as fast as the machine allows, with the same
// soundfont and synthesizer the game plays its music on.

#include <string>

#include "loudness/Loudness.h"

namespace pelaryn::test {

// What the synthesiser did for one pass of a piece. Every voice it holds costs the same to render,
// heard or not: a release tail far below the mix costs as much as the tune.
struct Rendering {
  Audio audio;
  int peakVoices = 0;       // the most voices sounding at the end of any block
  double meanVoices = 0.0;  // voices sounding, averaged over the blocks
};

// One pass of the piece, from its first tick to its end (where the game starts it again), in
// stereo at 44.1 kHz with the synthesizer's master gain set to `gain`. No audio when the file or
// the soundfont cannot be loaded; stops after `maxSeconds` whatever the file says.
Rendering RenderMidi(const std::string& midiPath, const std::string& soundFont, double gain,
                     double maxSeconds = 600.0);

}  // namespace pelaryn::test
