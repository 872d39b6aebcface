#pragma once

#include <cstddef>
#include <cstdint>

namespace pelaryn {

// FNV-1a, 64 bits: a fingerprint that is the same on every machine and every build, for the
// runner's state and picture hashes and the replays' checkpoints and files.
inline constexpr uint64_t FingerprintStart = 0xcbf29ce484222325ULL;

constexpr uint64_t FingerprintByte(uint64_t hash, uint8_t byte) {
  return (hash ^ byte) * 0x100000001b3ULL;
}

inline uint64_t Fingerprint(const void* data, std::size_t size, uint64_t hash = FingerprintStart) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = FingerprintByte(hash, bytes[i]);
  return hash;
}

}  // namespace pelaryn
