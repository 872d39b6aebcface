// Checks the music and sound effects that tools/music and tools/sfx generate, by reading the files.
// Needs: the generated files in the folder named by the compile definition PELARYN_SOUND_DIR
// (targets pelaryn_music and pelaryn_sfx build them there). No audio device.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kSoundDir = PELARYN_SOUND_DIR;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- Standard MIDI Files ----

struct MidiFacts {
  std::string error;  // empty when the file is a well-formed Standard MIDI File
  int format = -1;
  int division = 0;
  int tracks = 0;
  uint64_t endTick = 0;  // the latest End of Track
  std::set<uint64_t> trackEnds;
  uint64_t firstNoteOn = UINT64_MAX;
  uint64_t lastNoteOff = 0;
  int noteOns = 0;
  int hangingNotes = 0;      // note-ons never released before their track's End of Track
  int unvoicedChannels = 0;  // melodic channels that play before any program change
  std::set<int> channelsWithNotes;
  std::set<int> programChanges;
  uint64_t barTicks = 0;  // from the time signature
  double seconds = 0.0;
};

class MidiReader {
 public:
  explicit MidiReader(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  MidiFacts Read() {
    MidiFacts facts;
    if (!Has(14) || Tag() != "MThd" || Big(4) != 6) return Fail(facts, "no MThd header");
    facts.format = static_cast<int>(Big(2));
    const auto declaredTracks = static_cast<int>(Big(2));
    facts.division = static_cast<int>(Big(2));
    if (facts.format > 2 || facts.division <= 0 || facts.division >= 0x8000) {
      return Fail(facts, "unexpected format or division");
    }
    while (pos_ < data_.size()) {
      if (!Has(8)) return Fail(facts, "truncated chunk header");
      const std::string tag = Tag();
      const uint32_t length = Big(4);
      if (!Has(length)) return Fail(facts, "chunk length runs past the end of the file");
      if (tag != "MTrk") return Fail(facts, "unexpected chunk " + tag);
      const size_t end = pos_ + length;
      if (!ReadTrack(facts, end)) return facts;
      pos_ = end;
      ++facts.tracks;
    }
    if (facts.tracks != declaredTracks) return Fail(facts, "track count differs from the header");
    facts.seconds = Seconds(facts);
    return facts;
  }

 private:
  static MidiFacts& Fail(MidiFacts& facts, std::string error) {
    facts.error = std::move(error);
    return facts;
  }
  static bool Broken(MidiFacts& facts, std::string error) {
    facts.error = std::move(error);
    return false;
  }
  bool Has(size_t n) const { return data_.size() - pos_ >= n; }
  std::string Tag() {
    std::string tag(data_.begin() + static_cast<long>(pos_),
                    data_.begin() + static_cast<long>(pos_) + 4);
    pos_ += 4;
    return tag;
  }
  uint32_t Big(int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) value = value << 8 | data_[pos_++];
    return value;
  }
  bool Variable(size_t end, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      if (pos_ >= end) return false;
      const uint8_t byte = data_[pos_++];
      value = value << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }

  bool ReadTrack(MidiFacts& facts, size_t end) {
    uint64_t tick = 0;
    uint8_t status = 0;
    std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> open note-ons
    std::set<int> voiced;
    while (pos_ < end) {
      uint32_t delta = 0;
      if (!Variable(end, delta) || pos_ >= end) return Broken(facts, "truncated event");
      tick += delta;
      if (data_[pos_] & 0x80) status = data_[pos_++];
      if (status == 0) return Broken(facts, "running status without a status");
      if (status == 0xFF) {
        if (pos_ >= end) return Broken(facts, "truncated meta event");
        const uint8_t type = data_[pos_++];
        uint32_t size = 0;
        if (!Variable(end, size) || end - pos_ < size) {
          return Broken(facts, "meta event runs past its track");
        }
        if (type == 0x51 && size == 3) {
          const uint32_t micros = data_[pos_] << 16 | data_[pos_ + 1] << 8 | data_[pos_ + 2];
          tempos_.emplace_back(tick, micros);
        }
        if (type == 0x58 && size == 4 && facts.barTicks == 0) {
          facts.barTicks =
              static_cast<uint64_t>(data_[pos_]) * 4 * facts.division >> data_[pos_ + 1];
        }
        pos_ += size;
        if (type == 0x2F) {
          if (pos_ != end) return Broken(facts, "End of Track before the end of its chunk");
          for (const auto& [note, count] : sounding) facts.hangingNotes += count;
          facts.trackEnds.insert(tick);
          facts.endTick = std::max(facts.endTick, tick);
          return true;
        }
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        uint32_t size = 0;
        if (!Variable(end, size) || end - pos_ < size) return Broken(facts, "bad SysEx");
        pos_ += size;
        continue;
      }
      const int kind = status & 0xF0;
      const int channel = status & 0x0F;
      const size_t dataBytes = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
      if (end - pos_ < dataBytes) return Broken(facts, "truncated channel event");
      const int key = data_[pos_];
      const int velocity = dataBytes == 2 ? data_[pos_ + 1] : 0;
      pos_ += dataBytes;
      if (kind == 0xC0) {
        facts.programChanges.insert(channel);
        voiced.insert(channel);
      } else if (kind == 0x90 && velocity > 0) {
        ++sounding[{channel, key}];
        ++facts.noteOns;
        facts.firstNoteOn = std::min(facts.firstNoteOn, tick);
        if (facts.channelsWithNotes.insert(channel).second && channel != 9 &&
            !voiced.count(channel)) {
          ++facts.unvoicedChannels;
        }
      } else if (kind == 0x80 || kind == 0x90) {
        auto found = sounding.find({channel, key});
        if (found != sounding.end() && --found->second == 0) sounding.erase(found);
        facts.lastNoteOff = std::max(facts.lastNoteOff, tick);
      }
    }
    return Broken(facts, "track without End of Track");
  }

  double Seconds(const MidiFacts& facts) {
    std::sort(tempos_.begin(), tempos_.end());
    double seconds = 0.0;
    uint64_t tick = 0;
    double micros = 500000.0;
    for (const auto& [at, tempo] : tempos_) {
      if (at >= facts.endTick) break;
      seconds += static_cast<double>(at - tick) * micros / 1e6 / facts.division;
      tick = at;
      micros = tempo;
    }
    return seconds + static_cast<double>(facts.endTick - tick) * micros / 1e6 / facts.division;
  }

  std::vector<uint8_t> data_;
  size_t pos_ = 0;
  std::vector<std::pair<uint64_t, uint32_t>> tempos_;
};

struct PieceLimits {
  const char* file;
  const char* name;
  double minSeconds;
  double maxSeconds;
};

void PrintTo(const PieceLimits& piece, std::ostream* out) {
  *out << piece.file;
}

class GeneratedMusic : public testing::TestWithParam<PieceLimits> {};

TEST_P(GeneratedMusic, IsAWellFormedLoopOfTheRightLength) {
  const PieceLimits& piece = GetParam();
  const std::vector<uint8_t> bytes = ReadBytes(kSoundDir / piece.file);
  ASSERT_FALSE(bytes.empty()) << kSoundDir / piece.file;
  const MidiFacts facts = MidiReader(bytes).Read();
  ASSERT_EQ(facts.error, "");

  EXPECT_EQ(facts.format, 1);
  EXPECT_GT(facts.noteOns, 100);
  // Melody, bass, harmony and drums at the least, each melodic one with its instrument chosen.
  EXPECT_GE(facts.channelsWithNotes.size(), 4u);
  EXPECT_TRUE(facts.channelsWithNotes.count(9)) << "no drums on channel 10";
  EXPECT_EQ(facts.unvoicedChannels, 0);
  EXPECT_GE(facts.programChanges.size(), facts.channelsWithNotes.size() - 1);

  // A clean loop: every track ends together on a bar line, every note is released by then, the
  // music starts at once and sounds up to the end.
  EXPECT_EQ(facts.hangingNotes, 0);
  EXPECT_EQ(facts.trackEnds.size(), 1u) << "tracks end at different ticks";
  ASSERT_GT(facts.barTicks, 0u) << "no time signature";
  EXPECT_EQ(facts.endTick % facts.barTicks, 0u) << "does not end on a bar line";
  EXPECT_EQ(facts.firstNoteOn, 0u);
  EXPECT_LE(facts.lastNoteOff, facts.endTick);
  EXPECT_LE(facts.endTick - facts.lastNoteOff, static_cast<uint64_t>(facts.division))
      << "silent tail before the loop point";

  EXPECT_GE(facts.seconds, piece.minSeconds);
  EXPECT_LE(facts.seconds, piece.maxSeconds);
}

INSTANTIATE_TEST_SUITE_P(Pieces, GeneratedMusic,
                         testing::Values(PieceLimits{"title.mid", "title", 20, 90},
                                         PieceLimits{"1.mid", "play1", 60, 180},
                                         PieceLimits{"2.mid", "play2", 60, 180},
                                         PieceLimits{"boss1.mid", "sun", 20, 90},
                                         PieceLimits{"boss2.mid", "moon", 20, 90}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(GeneratedMusicSet, PlayTracksDiffer) {
  const std::vector<uint8_t> one = ReadBytes(kSoundDir / "1.mid");
  const std::vector<uint8_t> two = ReadBytes(kSoundDir / "2.mid");
  ASSERT_FALSE(one.empty());
  EXPECT_NE(one, two);
  EXPECT_NE(MidiReader(one).Read().seconds, MidiReader(two).Read().seconds);
}

TEST(MidiReaderSelfCheck, RejectsBrokenFiles) {
  // A minimal good file: one track, one note, End of Track.
  const std::vector<uint8_t> good = {'M', 'T', 'h', 'd',  0,   0,   0, 6,    0,    1,  0, 1,
                                     0,   96,  'M', 'T',  'r', 'k', 0, 0,    0,    12, 0, 0x90,
                                     60,  100, 96,  0x80, 60,  0,   0, 0xFF, 0x2F, 0};
  const MidiFacts facts = MidiReader(good).Read();
  EXPECT_EQ(facts.error, "");
  EXPECT_EQ(facts.hangingNotes, 0);
  EXPECT_EQ(facts.endTick, 96u);

  std::vector<uint8_t> hanging = good;
  hanging[27] = 0x90;  // the note-off becomes a second note-on
  hanging[29] = 1;
  EXPECT_EQ(MidiReader(hanging).Read().hangingNotes, 2);

  std::vector<uint8_t> badLength = good;
  badLength[21] = 13;
  EXPECT_NE(MidiReader(badLength).Read().error, "");

  std::vector<uint8_t> noEnd(good.begin(), good.end() - 4);
  noEnd[21] = 8;
  EXPECT_NE(MidiReader(noEnd).Read().error, "");
}

// ---- WAV effects ----

struct WavFacts {
  std::string error;
  int format = 0;
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<int16_t> samples;
  double Seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0.0; }
};

WavFacts ReadWav(const std::vector<uint8_t>& data) {
  WavFacts wav;
  auto little = [&](size_t at, int n) {
    uint32_t value = 0;
    for (int i = n - 1; i >= 0; --i) value = value << 8 | data[at + i];
    return value;
  };
  auto tag = [&](size_t at) {
    return std::string(data.begin() + static_cast<long>(at),
                       data.begin() + static_cast<long>(at) + 4);
  };
  if (data.size() < 12 || tag(0) != "RIFF" || tag(8) != "WAVE") {
    wav.error = "not RIFF/WAVE";
    return wav;
  }
  if (little(4, 4) != data.size() - 8) {
    wav.error = "RIFF size differs from the file size";
    return wav;
  }
  bool haveFormat = false;
  for (size_t pos = 12; pos + 8 <= data.size();) {
    const std::string id = tag(pos);
    const uint32_t size = little(pos + 4, 4);
    if (data.size() - pos - 8 < size) {
      wav.error = "chunk " + id + " runs past the end";
      return wav;
    }
    if (id == "fmt " && size >= 16) {
      wav.format = static_cast<int>(little(pos + 8, 2));
      wav.channels = static_cast<int>(little(pos + 10, 2));
      wav.rate = static_cast<int>(little(pos + 12, 4));
      wav.bits = static_cast<int>(little(pos + 22, 2));
      haveFormat = true;
    } else if (id == "data" && haveFormat) {
      for (size_t i = 0; i + 1 < size; i += 2) {
        wav.samples.push_back(static_cast<int16_t>(little(pos + 8 + i, 2)));
      }
    }
    pos += 8 + size + (size & 1);
  }
  if (!haveFormat) wav.error = "no fmt chunk";
  return wav;
}

double Rms(const std::vector<int16_t>& samples, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

// Crossings of zero per second: a rough pitch, enough to tell a rising chime from a falling one.
double Crossings(const WavFacts& wav, size_t from, size_t to) {
  int count = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if ((wav.samples[i - 1] < 0) != (wav.samples[i] < 0)) ++count;
  }
  return count * static_cast<double>(wav.rate) / static_cast<double>(to - from);
}

struct EffectLimits {
  const char* file;
  double maxSeconds;
};

void PrintTo(const EffectLimits& effect, std::ostream* out) {
  *out << effect.file;
}

class GeneratedEffect : public testing::TestWithParam<EffectLimits> {};

TEST_P(GeneratedEffect, IsShortAudibleUnclippedMonoPcm) {
  const EffectLimits& effect = GetParam();
  const WavFacts wav = ReadWav(ReadBytes(kSoundDir / effect.file));
  ASSERT_EQ(wav.error, "") << effect.file;
  EXPECT_EQ(wav.format, 1);
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_TRUE(wav.rate == 22050 || wav.rate == 44100) << wav.rate;
  ASSERT_FALSE(wav.samples.empty());

  EXPECT_GE(wav.Seconds(), 0.02);
  EXPECT_LE(wav.Seconds(), effect.maxSeconds);
  EXPECT_GT(Rms(wav.samples, 0, wav.samples.size()), 0.04 * 32768) << "too quiet";

  int runAtFullScale = 0;
  int longestRun = 0;
  for (int16_t sample : wav.samples) {
    runAtFullScale = std::abs(int{sample}) >= 32767 ? runAtFullScale + 1 : 0;
    longestRun = std::max(longestRun, runAtFullScale);
  }
  EXPECT_LT(longestRun, 2) << "clipped flat";

  // Ends without a click: the last 5 ms fade out.
  const size_t tail = static_cast<size_t>(wav.rate) / 200;
  int tailPeak = 0;
  for (size_t i = wav.samples.size() - tail; i < wav.samples.size(); ++i) {
    tailPeak = std::max(tailPeak, std::abs(int{wav.samples[i]}));
  }
  EXPECT_LT(tailPeak, 0.1 * 32768);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, GeneratedEffect,
    testing::Values(EffectLimits{"damage.wav", 0.4}, EffectLimits{"hit.wav", 0.2},
                    EffectLimits{"getitem.wav", 0.8}, EffectLimits{"bomshot.wav", 0.6},
                    EffectLimits{"bosshit.wav", 0.1}, EffectLimits{"explode.wav", 1.2}),
    [](const auto& test) {
      const std::string file = test.param.file;
      return file.substr(0, file.find('.'));
    });

TEST(GeneratedEffectCharacter, ChimeRisesExplosionDiesAwayTickIsBright) {
  const WavFacts chime = ReadWav(ReadBytes(kSoundDir / "getitem.wav"));
  ASSERT_EQ(chime.error, "");
  const size_t quarter = chime.samples.size() / 4;
  EXPECT_GT(Crossings(chime, 3 * quarter, 4 * quarter), 1.3 * Crossings(chime, 0, quarter / 2));

  const WavFacts boom = ReadWav(ReadBytes(kSoundDir / "explode.wav"));
  ASSERT_EQ(boom.error, "");
  const size_t fifth = boom.samples.size() / 5;
  EXPECT_GT(Rms(boom.samples, 0, fifth), 4.0 * Rms(boom.samples, 4 * fifth, 5 * fifth));

  const WavFacts tick = ReadWav(ReadBytes(kSoundDir / "bosshit.wav"));
  const WavFacts damage = ReadWav(ReadBytes(kSoundDir / "damage.wav"));
  ASSERT_EQ(tick.error, "");
  ASSERT_EQ(damage.error, "");
  EXPECT_GT(Crossings(tick, 0, tick.samples.size()), 2000.0);
  EXPECT_LT(tick.Seconds(), damage.Seconds() / 3);
}

TEST(WavReaderSelfCheck, RejectsBrokenFiles) {
  std::vector<uint8_t> wav = {'R',  'I',  'F', 'F', 40,   0,    0, 0, 'W',  'A',  'V',  'E',
                              'f',  'm',  't', ' ', 16,   0,    0, 0, 1,    0,    1,    0,
                              0x44, 0xAC, 0,   0,   0x88, 0x58, 1, 0, 2,    0,    16,   0,
                              'd',  'a',  't', 'a', 4,    0,    0, 0, 0x00, 0x80, 0xFF, 0x7F};
  const WavFacts good = ReadWav(wav);
  EXPECT_EQ(good.error, "");
  ASSERT_EQ(good.samples.size(), 2u);
  EXPECT_EQ(good.samples[0], -32768);
  EXPECT_EQ(good.samples[1], 32767);

  std::vector<uint8_t> badSize = wav;
  badSize[4] = 41;
  EXPECT_NE(ReadWav(badSize).error, "");
  std::vector<uint8_t> longData = wav;
  longData[40] = 6;
  EXPECT_NE(ReadWav(longData).error, "");
}

}  // namespace
