#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "loudness/Loudness.h"

namespace pelaryn {

Samples Silence(double seconds) {
  return Samples(static_cast<size_t>(std::lround(seconds * kSampleRate)), 0.0);
}

double TimeOf(std::size_t index) {
  return static_cast<double>(index) / kSampleRate;
}

double Noise::Next() {
  // xorshift32
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_ / 2147483648.0 - 1.0;
}

double Oscillator::Advance(double frequency) {
  const double phase = phase_;
  phase_ += frequency / kSampleRate;
  phase_ -= std::floor(phase_);
  return phase;
}

double Oscillator::Sine(double frequency) {
  return std::sin(2.0 * std::numbers::pi * Advance(frequency));
}

double Oscillator::Square(double frequency) {
  return Advance(frequency) < 0.5 ? 1.0 : -1.0;
}

double Oscillator::Triangle(double frequency) {
  const double phase = Advance(frequency);
  return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
}

double LowPass::Next(double input, double cutoff) {
  const double k = 1.0 - std::exp(-2.0 * std::numbers::pi * cutoff / kSampleRate);
  state_ += k * (input - state_);
  return state_;
}

double BandPass::Next(double input, double centre, double q) {
  const double f =
      2.0 * std::sin(std::numbers::pi * std::min(centre, kSampleRate / 6.0) / kSampleRate);
  const double high = input - low_ - band_ / q;
  band_ += f * high;
  low_ += f * band_;
  return band_;
}

double Glide(double from, double to, double seconds, double t) {
  if (t >= seconds) return to;
  return from * std::pow(to / from, t / seconds);
}

double Decay(double tau, double t) {
  return std::exp(-t / tau);
}

void FadeEdges(Samples& samples, double inSeconds, double outSeconds) {
  const size_t in = std::min(samples.size(), static_cast<size_t>(inSeconds * kSampleRate));
  const size_t out = std::min(samples.size(), static_cast<size_t>(outSeconds * kSampleRate));
  for (size_t i = 0; i < in; ++i) samples[i] *= static_cast<double>(i) / static_cast<double>(in);
  for (size_t i = 0; i < out; ++i) {
    samples[samples.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(out);
  }
}

namespace {

double Loudness(const Samples& samples) {
  return IntegratedLoudness(Audio{kSampleRate, {samples}});
}

double Peak(const Samples& samples) {
  double peak = 0.0;
  for (double s : samples) peak = std::max(peak, std::abs(s));
  return peak;
}

}  // namespace

void Level(Samples& samples) {
  const double ceiling = FromDb(kEffectCeiling);
  // Rounding off a peak lowers the loudness a little, so scale and round off again until both
  // hold; a handful of rounds settles it.
  for (int round = 0; round < 8; ++round) {
    const double loudness = Loudness(samples);
    if (!std::isfinite(loudness)) return;
    const double gain = FromDb(kEffectLoudness - loudness);
    for (double& s : samples) s *= gain;
    if (Peak(samples) <= ceiling) return;
    // Untouched below the knee, then bent smoothly towards the ceiling, never past it.
    const double knee = 0.7 * ceiling;
    for (double& s : samples) {
      const double over = std::abs(s) - knee;
      if (over > 0.0) {
        s = std::copysign(knee + (ceiling - knee) * std::tanh(over / (ceiling - knee)), s);
      }
    }
  }
}

}  // namespace pelaryn
