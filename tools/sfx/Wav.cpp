#include "Wav.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace pelaryn {
namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
  for (const char c : tag) out.push_back(static_cast<uint8_t>(c));
}

}  // namespace

std::vector<uint8_t> EncodeWav(const Samples& samples) {
  constexpr int kChannels = 1;
  constexpr int kBytesPerSample = 2;
  const auto dataBytes = static_cast<uint32_t>(samples.size() * kBytesPerSample);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  PutLittleEndian(out, 36 + dataBytes, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLittleEndian(out, 16, 4);
  PutLittleEndian(out, 1, 2);  // PCM
  PutLittleEndian(out, kChannels, 2);
  PutLittleEndian(out, kSampleRate, 4);
  PutLittleEndian(out, kSampleRate * kChannels * kBytesPerSample, 4);
  PutLittleEndian(out, kChannels * kBytesPerSample, 2);
  PutLittleEndian(out, 8 * kBytesPerSample, 2);
  PutTag(out, "data");
  PutLittleEndian(out, dataBytes, 4);
  for (double sample : samples) {
    const long value = std::clamp(std::lround(sample * 32767.0), -32768L, 32767L);
    PutLittleEndian(out, static_cast<uint32_t>(static_cast<int16_t>(value)), 2);
  }
  return out;
}

}  // namespace pelaryn
