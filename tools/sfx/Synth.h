#pragma once

// Building blocks for the game's sound effects: oscillators, noise, filters and envelopes over
// plain sample buffers of doubles in [-1, 1].

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelaryn {

inline constexpr int kSampleRate = 44100;
using Samples = std::vector<double>;

Samples Silence(double seconds);
double TimeOf(std::size_t index);

// Noise from a fixed seed: the same effect every build.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed != 0 ? seed : 1) {}
  double Next();  // uniform in [-1, 1)

 private:
  uint32_t state_;
};

// A phase accumulator, so a sweeping pitch stays continuous.
class Oscillator {
 public:
  double Sine(double frequency);
  double Square(double frequency);
  double Triangle(double frequency);

 private:
  double Advance(double frequency);
  double phase_ = 0.0;  // in cycles
};

// A one-pole low-pass filter.
class LowPass {
 public:
  double Next(double input, double cutoff);

 private:
  double state_ = 0.0;
};

// A state-variable band-pass filter; q above 1 rings.
class BandPass {
 public:
  double Next(double input, double centre, double q);

 private:
  double low_ = 0.0;
  double band_ = 0.0;
};

// Exponential glide from `from` to `to` over `seconds`, holding `to` afterwards.
double Glide(double from, double to, double seconds, double t);
// exp(-t / tau).
double Decay(double tau, double t);
// A linear fade to silence over the last `seconds` of the buffer, and a short fade-in, so no
// effect starts or stops with a click.
void FadeEdges(Samples& samples, double inSeconds, double outSeconds);

// Every effect's loudness and highest peak, so that none stands out of the set and the mixer has
// headroom: the game plays them over the music at one fixed channel volume.
inline constexpr double kEffectLoudness = -16.0;  // LUFS, heard from one speaker
inline constexpr double kEffectCeiling = -3.5;    // dBFS

// Scales the buffer to kEffectLoudness. Where that would push a transient over kEffectCeiling,
// the transient is rounded off smoothly instead of the whole effect being made quieter.
void Level(Samples& samples);

}  // namespace pelaryn
