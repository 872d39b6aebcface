#include "platform/sound/WavCheck.h"

#include <cstddef>
#include <cstdint>

namespace pelaryn {

bool IsWavEffect(std::string_view bytes, std::string& why) {
  auto little = [&](std::size_t at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
  };
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    why = "is not a WAV file";
    return false;
  }
  uint32_t rate = 0, blockAlign = 0;
  bool format = false;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const uint64_t size = little(at + 4, 4);
    at += 8;
    if (size > bytes.size() - at) {
      why = "ends inside its " + std::string(id) + " chunk";
      return false;
    }
    if (id == "fmt ") {
      const uint32_t tag = size >= 16 ? little(at, 2) : 0;
      const uint32_t channels = size >= 16 ? little(at + 2, 2) : 0;
      rate = size >= 16 ? little(at + 4, 4) : 0;
      blockAlign = size >= 16 ? little(at + 12, 2) : 0;
      const uint32_t bits = size >= 16 ? little(at + 14, 2) : 0;
      if (tag != 1 || channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 8000 ||
          rate > 96000 || blockAlign != channels * bits / 8) {
        why = "is not 8- or 16-bit PCM, mono or stereo, at 8 to 96 kHz";
        return false;
      }
      format = true;
    } else if (id == "data") {
      if (!format) {
        why = "has its samples before their format";
        return false;
      }
      if (size > uint64_t{rate} * blockAlign * MaxEffectSeconds) {
        why = "is longer than " + std::to_string(MaxEffectSeconds) + " seconds";
        return false;
      }
      return true;
    }
    at += size + (size & 1);
  }
  why = "has no samples";
  return false;
}

}  // namespace pelaryn
