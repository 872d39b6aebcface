// Listens to the game's own music and effects by measurement: each piece rendered offline through
// FluidSynth at the gain the game plays it with, each effect read from its file, all judged by
// K-weighted loudness; each piece also by the voices the synthesiser holds for it. Needs:
// libfluidsynth, the TimGM6mb soundfont, and the generated files in the folder named by the
// compile definition PELARYN_SOUND_DIR. No audio device.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "MidiRender.h"
#include "loudness/Loudness.h"
#include "platform/desktop/SdlAudio.h"

namespace {

using pelaryn::Audio;
namespace fs = std::filesystem;

const fs::path kSoundDir = PELARYN_SOUND_DIR;
// The soundfont the game's packages install; the system's default-GM link may name another.
const std::string kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kRate = 44100;

constexpr double kMusicTarget = -28.0;   // LUFS
constexpr double kMusicTolerance = 1.5;  // LU
constexpr double kEffectTarget = -16.0;  // LUFS, one speaker
constexpr double kEffectTolerance = 1.0;
constexpr double kPeakLimit = -3.0;  // dBFS
constexpr double kSeamWindow = 2.0;  // seconds either side of the loop point
constexpr double kSeamDrop = 2.5;    // LU
// Voices the synthesiser renders at once, heard or not. It steals notes beyond 256 (FluidSynth's
// default polyphony, which the game keeps); every voice costs the same to render for as long as
// the piece plays, so a piece keeps well under half of that at its busiest and fewer on average.
constexpr int kPeakVoices = 128;
constexpr double kMeanVoices = 80.0;

Audio Sine(double frequency, double amplitude, double seconds, int channels) {
  std::vector<double> wave(static_cast<size_t>(seconds * kRate));
  for (size_t i = 0; i < wave.size(); ++i) {
    wave[i] =
        amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kRate);
  }
  return Audio{kRate, std::vector<std::vector<double>>(static_cast<size_t>(channels), wave)};
}

// A 16-bit mono WAV file's samples in [-1, 1]; no channels when it cannot be read.
Audio ReadMonoWav(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  Audio audio{kRate, {}};
  for (size_t pos = 12; pos + 8 <= data.size();) {
    const uint32_t size = data[pos + 4] | data[pos + 5] << 8 | data[pos + 6] << 16 |
                          static_cast<uint32_t>(data[pos + 7]) << 24;
    if (std::string(data.begin() + static_cast<long>(pos),
                    data.begin() + static_cast<long>(pos) + 4) == "data") {
      audio.channels.emplace_back();
      for (size_t i = pos + 8; i + 1 < pos + 8 + size && i + 1 < data.size(); i += 2) {
        audio.channels[0].push_back(static_cast<int16_t>(data[i] | data[i + 1] << 8) / 32768.0);
      }
    }
    pos += 8 + size + (size & 1);
  }
  return audio;
}

TEST(LoudnessMeter, ReadsCalibratedSinesGatesSilenceAndFindsPeaks) {
  // The standard's calibration: a full-scale 997 Hz sine on both channels reads 0 LUFS, on one
  // channel -3 LUFS; a 20 dB quieter one reads 20 LU less.
  EXPECT_NEAR(pelaryn::IntegratedLoudness(Sine(997.0, 1.0, 3.0, 2)), 0.0, 0.1);
  EXPECT_NEAR(pelaryn::IntegratedLoudness(Sine(997.0, 1.0, 3.0, 1)), -3.01, 0.1);
  EXPECT_NEAR(pelaryn::IntegratedLoudness(Sine(997.0, 0.1, 3.0, 2)), -20.0, 0.1);
  // K-weighting: the shelf lifts the highs by 3 to 4 dB, the high pass cuts the deep bass.
  const double high = pelaryn::IntegratedLoudness(Sine(8000.0, 0.1, 3.0, 2));
  EXPECT_GT(high, -17.0);
  EXPECT_LT(high, -16.0);
  EXPECT_LT(pelaryn::IntegratedLoudness(Sine(20.0, 0.1, 3.0, 2)), -32.0);

  // Silence and a passage far below the rest are gated out rather than averaged in (which would
  // read 7 LU lower); only the blocks that straddle the edge pull it down a little.
  Audio gapped = Sine(997.0, 0.1, 3.0, 2);
  for (auto& channel : gapped.channels) {
    channel.resize(channel.size() + 10 * kRate, 0.0);
    for (size_t i = 0; i < 3 * kRate; ++i)
      channel.push_back(0.001 * std::sin(0.142 * static_cast<double>(i)));
  }
  EXPECT_NEAR(pelaryn::IntegratedLoudness(gapped), -20.0, 0.3);
  EXPECT_EQ(pelaryn::IntegratedLoudness(Sine(997.0, 0.0, 1.0, 2)), -INFINITY);

  // A clip shorter than one block is measured over its own length.
  EXPECT_NEAR(pelaryn::IntegratedLoudness(Sine(997.0, 0.1, 0.1, 2)), -20.0, 0.2);

  EXPECT_NEAR(pelaryn::PeakDbfs(Sine(997.0, 0.5, 0.5, 2)), -6.02, 0.01);
}

// What one pass of a piece sounds like and what it costs the synthesiser, measured once and
// shared by the checks on each (a rendered pass is tens of megabytes; its measures are not).
struct PieceMeasures {
  size_t frames = 0;
  double loudness = 0.0;  // LUFS
  double peak = 0.0;      // dBFS
  double first = 0.0;     // LUFS of the first and the last kSeamWindow seconds
  double last = 0.0;
  int peakVoices = 0;
  double meanVoices = 0.0;
};

const PieceMeasures& Measured(const std::string& file) {
  static std::map<std::string, PieceMeasures> pieces;
  if (const auto found = pieces.find(file); found != pieces.end()) return found->second;
  const pelaryn::test::Rendering rendering =
      pelaryn::test::RenderMidi((kSoundDir / file).string(), kSoundFont, pelaryn::kMusicGain);
  const Audio& piece = rendering.audio;
  PieceMeasures measures{piece.Frames()};
  measures.peakVoices = rendering.peakVoices;
  measures.meanVoices = rendering.meanVoices;
  const size_t window = static_cast<size_t>(kSeamWindow * kRate);
  if (piece.Frames() > 4 * window) {
    const Audio weighted = pelaryn::KWeighted(piece);
    measures.loudness = pelaryn::GatedLoudness(weighted, 0, piece.Frames());
    measures.peak = pelaryn::PeakDbfs(piece);
    measures.first = pelaryn::GatedLoudness(weighted, 0, window);
    measures.last = pelaryn::GatedLoudness(weighted, piece.Frames() - window, piece.Frames());
  }
  return pieces.emplace(file, measures).first->second;
}

class MusicLevel : public testing::TestWithParam<const char*> {};

TEST_P(MusicLevel, SitsAtTheSharedLoudnessWithHeadroomAndLoopsWithoutAHole) {
  const PieceMeasures& piece = Measured(GetParam());
  ASSERT_GT(piece.frames, static_cast<size_t>(4 * kSeamWindow * kRate)) << "did not render";
  RecordProperty("lufs", std::to_string(piece.loudness));
  RecordProperty("peak_dbfs", std::to_string(piece.peak));
  RecordProperty("seam_drop", std::to_string(piece.last - piece.first));
  std::printf("%-10s %6.2f LUFS  peak %6.2f dBFS  seam %+5.2f LU\n", GetParam(), piece.loudness,
              piece.peak, piece.last - piece.first);

  EXPECT_NEAR(piece.loudness, kMusicTarget, kMusicTolerance);
  EXPECT_LT(piece.peak, kPeakLimit);
  // When the game starts the piece again, the first bars must not fall away from the last.
  EXPECT_LE(piece.last - piece.first, kSeamDrop)
      << "last " << piece.last << " LUFS, first " << piece.first << " LUFS";
}

TEST_P(MusicLevel, KeepsFewVoicesSounding) {
  const PieceMeasures& piece = Measured(GetParam());
  ASSERT_GT(piece.frames, 0u) << "did not render";
  RecordProperty("peak_voices", piece.peakVoices);
  RecordProperty("mean_voices", std::to_string(piece.meanVoices));
  std::printf("%-10s voices: peak %3d  mean %5.1f\n", GetParam(), piece.peakVoices,
              piece.meanVoices);
  EXPECT_LE(piece.peakVoices, kPeakVoices);
  EXPECT_LE(piece.meanVoices, kMeanVoices);
}

INSTANTIATE_TEST_SUITE_P(Pieces, MusicLevel,
                         testing::Values("title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"),
                         [](const auto& test) {
                           const std::string file = test.param;
                           return "piece_" + file.substr(0, file.find('.'));
                         });

class EffectLevel : public testing::TestWithParam<const char*> {};

TEST_P(EffectLevel, SitsAtTheSharedLoudnessWithHeadroom) {
  const Audio effect = ReadMonoWav(kSoundDir / GetParam());
  ASSERT_EQ(effect.channels.size(), 1u);
  ASSERT_GT(effect.Frames(), 0u);
  const double loudness = pelaryn::IntegratedLoudness(effect);
  const double peak = pelaryn::PeakDbfs(effect);
  RecordProperty("lufs", std::to_string(loudness));
  RecordProperty("peak_dbfs", std::to_string(peak));
  EXPECT_NEAR(loudness, kEffectTarget, kEffectTolerance);
  EXPECT_LT(peak, kPeakLimit);
}

INSTANTIATE_TEST_SUITE_P(Effects, EffectLevel,
                         testing::Values("damage.wav", "hit.wav", "getitem.wav", "bomshot.wav",
                                         "bosshit.wav", "explode.wav"),
                         [](const auto& test) {
                           const std::string file = test.param;
                           return file.substr(0, file.find('.'));
                         });

size_t At(double seconds) {
  return static_cast<size_t>(seconds * kRate);
}

// The share of the energy above `cutoff` Hz in the first `frames` samples, in dB, by a plain DFT.
double HighShareDb(const std::vector<double>& samples, size_t frames, double cutoff) {
  const size_t n = std::min(frames, samples.size());
  double total = 0.0;
  for (size_t i = 0; i < n; ++i) total += samples[i] * samples[i];
  double high = 0.0;
  for (size_t k = static_cast<size_t>(std::ceil(cutoff * static_cast<double>(n) / kRate));
       k < n / 2; ++k) {
    const std::complex<double> step =
        std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n));
    std::complex<double> turn = 1.0;
    std::complex<double> bin = 0.0;
    for (size_t i = 0; i < n; ++i, turn *= step) bin += samples[i] * turn;
    high += 2.0 * std::norm(bin) / static_cast<double>(n);
  }
  return 10.0 * std::log10(high / total);
}

// The strongest frequency between 100 Hz and 5 kHz in frames [from, to), in 10 Hz steps.
double StrongestFrequency(const std::vector<double>& samples, size_t from, size_t to) {
  double best = 0.0;
  double bestPower = -1.0;
  for (double f = 100.0; f <= 5000.0; f += 10.0) {
    std::complex<double> bin = 0.0;
    for (size_t i = from; i < to; ++i) {
      const double window =
          0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i - from) /
                               static_cast<double>(to - from));
      bin += window * samples[i] *
             std::polar(1.0, -2.0 * std::numbers::pi * f * static_cast<double>(i) / kRate);
    }
    if (std::norm(bin) > bestPower) {
      bestPower = std::norm(bin);
      best = f;
    }
  }
  return best;
}

TEST(EffectCharacter, DamageIsWarmHitFallsFromItsOwnPitchExplosionDiesWithoutClicks) {
  const Audio damage = ReadMonoWav(kSoundDir / "damage.wav");
  ASSERT_EQ(damage.channels.size(), 1u);
  const std::vector<double>& growl = damage.channels[0];
  // Filtered: next to nothing above 8 kHz in the crunch of the impact (a raw square wave with
  // noise puts -17 dB there)...
  EXPECT_LT(HighShareDb(growl, At(0.1), 8000.0), -24.0);
  // ...and no longer a square: few samples sit near the peak.
  const double peak = pelaryn::FromDb(pelaryn::PeakDbfs(damage));
  const auto nearPeak =
      std::count_if(growl.begin(), growl.end(), [&](double s) { return std::abs(s) > 0.9 * peak; });
  EXPECT_LT(static_cast<double>(nearPeak) / static_cast<double>(growl.size()), 0.05);

  // The pop falls from under 1 kHz: two voices sharing one oscillator would put it half as high
  // again.
  const Audio hit = ReadMonoWav(kSoundDir / "hit.wav");
  ASSERT_EQ(hit.channels.size(), 1u);
  const double early = StrongestFrequency(hit.channels[0], At(0.01), At(0.03));
  const double late = StrongestFrequency(hit.channels[0], At(0.03), At(0.06));
  EXPECT_LT(early, 1000.0);
  EXPECT_LT(late, 0.8 * early);

  // Once the blast has passed, every 100 ms of the tail is noise dying away: no single spark
  // stands far out of its surroundings.
  const Audio boom = ReadMonoWav(kSoundDir / "explode.wav");
  ASSERT_EQ(boom.channels.size(), 1u);
  const std::vector<double>& tail = boom.channels[0];
  for (size_t from = At(0.5); from + At(0.1) <= tail.size(); from += At(0.1)) {
    double top = 0.0;
    double sum = 0.0;
    for (size_t i = from; i < from + At(0.1); ++i) {
      top = std::max(top, std::abs(tail[i]));
      sum += tail[i] * tail[i];
    }
    const double rms = std::sqrt(sum / static_cast<double>(At(0.1)));
    EXPECT_LT(top, 8.0 * rms) << "a click at " << static_cast<double>(from) / kRate << " s";
  }
}

}  // namespace
