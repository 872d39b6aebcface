#include "base/Random.h"

namespace pelaryn {

uint64_t SplitMix64(uint64_t& x) {
  x += 0x9e3779b97f4a7c15ULL;
  uint64_t z = x;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

namespace {

constexpr uint64_t Rotl(uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

}  // namespace

Random::Random() {
  uint64_t x = Seed;
  for (uint64_t& word : state_) word = SplitMix64(x);
}

Random Random::FromState(const std::array<uint64_t, 4>& state, uint64_t draws) {
  Random r;
  r.state_ = state;
  r.draws_ = draws;
  return r;
}

uint64_t Random::NextRaw() {
  ++draws_;
  return NextBits();
}

uint64_t Random::NextBits() {
  const uint64_t result = Rotl(state_[1] * 5, 7) * 9;
  const uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = Rotl(state_[3], 45);
  return result;
}

double Random::Next() {
  ++draws_;
  return static_cast<double>(NextBits() >> 11) * 0x1.0p-53;
}

}  // namespace pelaryn
