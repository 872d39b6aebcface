#include "Loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace pelaryn {
namespace {

constexpr double kBlockSeconds = 0.4;
constexpr double kStepSeconds = 0.1;
constexpr double kAbsoluteGate = -70.0;
constexpr double kRelativeGate = -10.0;
// Puts a full-scale 997 Hz sine on one channel at -3.01 LUFS, as the standard calibrates.
constexpr double kOffset = -0.691;

struct Biquad {
  double b0, b1, b2, a1, a2;

  void Run(std::vector<double>& samples) const {
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    for (double& sample : samples) {
      const double x = sample;
      const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      sample = y;
    }
  }
};

// The two stages of the K-weighting curve, from their analogue prototypes, so that any sample
// rate gets the curve the standard tabulates for 48 kHz.
Biquad Shelf(double rate) {
  constexpr double f0 = 1681.974450955533;
  constexpr double gainDb = 3.999843853973347;
  constexpr double q = 0.7071752369554196;
  const double k = std::tan(std::numbers::pi * f0 / rate);
  const double vh = std::pow(10.0, gainDb / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad HighPass(double rate) {
  constexpr double f0 = 38.13547087602444;
  constexpr double q = 0.5003270373238773;
  const double k = std::tan(std::numbers::pi * f0 / rate);
  const double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double Lufs(double meanSquare) {
  return meanSquare > 0.0 ? kOffset + 10.0 * std::log10(meanSquare)
                          : -std::numeric_limits<double>::infinity();
}

}  // namespace

Audio KWeighted(const Audio& audio) {
  Audio weighted = audio;
  const Biquad shelf = Shelf(audio.rate);
  const Biquad highPass = HighPass(audio.rate);
  for (std::vector<double>& channel : weighted.channels) {
    shelf.Run(channel);
    highPass.Run(channel);
  }
  return weighted;
}

double GatedLoudness(const Audio& weighted, std::size_t from, std::size_t to) {
  to = std::min(to, weighted.Frames());
  if (from >= to) return -std::numeric_limits<double>::infinity();
  const auto block = std::min(to - from, static_cast<std::size_t>(kBlockSeconds * weighted.rate));
  const auto step =
      std::max<std::size_t>(1, static_cast<std::size_t>(kStepSeconds * weighted.rate));

  // Each block's power: the mean square of every channel, summed (left and right weigh 1).
  std::vector<double> powers;
  for (std::size_t start = from; start + block <= to; start += step) {
    double power = 0.0;
    for (const std::vector<double>& channel : weighted.channels) {
      double sum = 0.0;
      for (std::size_t i = start; i < start + block; ++i) sum += channel[i] * channel[i];
      power += sum / static_cast<double>(block);
    }
    powers.push_back(power);
  }

  auto gatedMean = [&](double gate) {
    double sum = 0.0;
    int count = 0;
    for (double power : powers) {
      if (Lufs(power) > gate) {
        sum += power;
        ++count;
      }
    }
    return count > 0 ? sum / count : 0.0;
  };
  const double ungated = gatedMean(kAbsoluteGate);
  if (ungated == 0.0) return -std::numeric_limits<double>::infinity();
  return Lufs(gatedMean(std::max(kAbsoluteGate, Lufs(ungated) + kRelativeGate)));
}

double IntegratedLoudness(const Audio& audio) {
  return GatedLoudness(KWeighted(audio), 0, audio.Frames());
}

double PeakDbfs(const Audio& audio) {
  double peak = 0.0;
  for (const std::vector<double>& channel : audio.channels) {
    for (double sample : channel) peak = std::max(peak, std::abs(sample));
  }
  return ToDb(peak);
}

double FromDb(double db) {
  return std::pow(10.0, db / 20.0);
}

double ToDb(double gain) {
  return gain > 0.0 ? 20.0 * std::log10(gain) : -std::numeric_limits<double>::infinity();
}

}  // namespace pelaryn
