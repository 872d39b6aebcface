#pragma once

#include <array>
#include <cstdint>

namespace pelaryn {

// One step of the reference splitmix64 generator that fills the state.
uint64_t SplitMix64(uint64_t& x);

// The one random source of the program: xoshiro256** seeded by splitmix64 from a fixed value,
// never reseeded, so the same input always plays the same game. It counts its draws because the
// order of draws is part of the game's behaviour and worth checking.
class Random {
 public:
  static constexpr uint64_t Seed = 20261207;

  Random();
  // A generator with the given state words (and draws counted so far): to check the algorithm
  // against reference values, and to take a recorded game up where it started.
  static Random FromState(const std::array<uint64_t, 4>& state, uint64_t draws = 0);

  // A uniform number in [0, 1).
  double Next();

  uint64_t Draws() const { return draws_; }
  const std::array<uint64_t, 4>& StateWords() const { return state_; }
  // The raw 64-bit output behind the next draw (also counted as a draw).
  uint64_t NextRaw();

 private:
  uint64_t NextBits();

  std::array<uint64_t, 4> state_{};
  uint64_t draws_ = 0;
};

}  // namespace pelaryn
