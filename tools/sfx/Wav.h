#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "Synth.h"

namespace pelaryn {

// A RIFF/WAVE file, 16-bit PCM mono at kSampleRate; samples are rounded and limited to the range.
std::vector<uint8_t> EncodeWav(const Samples& samples);

}  // namespace pelaryn
