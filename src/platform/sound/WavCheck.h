#pragma once

#include <string>
#include <string_view>

namespace pelaryn {

// The longest effect we read; effects are short cries, not music.
inline constexpr int MaxEffectSeconds = 10;

// True when `bytes` hold a WAV effect a mixer may safely decode: plain PCM, 8 or 16 bits, one or
// two channels, 8 to 96 kHz, all its samples present and at most MaxEffectSeconds long. Anything
// else, with the reason in `why`: decoders trust the header and would stall or claim gigabytes.
bool IsWavEffect(std::string_view bytes, std::string& why);

}  // namespace pelaryn
