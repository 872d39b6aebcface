// Hears the desktop music device and effect player through the real SDL2_mixer: SDL's "disk"
// audio driver records everything the mixer plays into a raw file, which the tests read back.
// Needs: SDL2, SDL2_mixer with FluidSynth, the General MIDI soundfont, and the generated music and
// effects in the folder named by the compile definition PELARYN_SOUND_DIR. No sound card.

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/SdlAudio.h"
#include "platform/sound/WavCheck.h"

namespace {

namespace fs = std::filesystem;
using Samples = std::vector<int16_t>;

const fs::path kSoundDir = PELARYN_SOUND_DIR;
constexpr int kRate = 44100;
constexpr int kChannels = 2;

std::string Sound(const char* file) {
  return (kSoundDir / file).string();
}

// The samples of a 16-bit mono WAV file as the mixer plays them: scaled to the effect channel's
// volume the way SDL scales them (a product truncated towards zero).
Samples ReadWavSamples(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  Samples samples;
  for (size_t pos = 12; pos + 8 <= data.size();) {
    const uint32_t size = data[pos + 4] | data[pos + 5] << 8 | data[pos + 6] << 16 |
                          static_cast<uint32_t>(data[pos + 7]) << 24;
    if (std::string(data.begin() + static_cast<long>(pos),
                    data.begin() + static_cast<long>(pos) + 4) == "data") {
      for (size_t i = pos + 8; i + 1 < pos + 8 + size && i + 1 < data.size(); i += 2) {
        const int sample = static_cast<int16_t>(data[i] | data[i + 1] << 8);
        samples.push_back(static_cast<int16_t>(sample * pelaryn::kEffectVolume / 128));
      }
    }
    pos += 8 + size + (size & 1);
  }
  return samples;
}

// A one-track MIDI file: an organ chord (which stops dead when released) from the start for
// `soundTicks`, then silence up to `endTicks`, at 120 quarters a minute and 480 ticks a quarter.
// One key alone sounds steadier than a chord, whose notes beat against each other.
void WriteTestMidi(const fs::path& path, uint32_t soundTicks, uint32_t endTicks,
                   std::initializer_list<uint8_t> keys = {60, 67}) {
  auto variable = [](std::vector<uint8_t>& out, uint32_t value) {
    std::vector<uint8_t> groups;
    do {
      groups.push_back(static_cast<uint8_t>(value & 0x7F));
      value >>= 7;
    } while (value != 0);
    for (size_t i = groups.size(); i-- > 1;) out.push_back(groups[i] | 0x80);
    out.push_back(groups[0]);
  };
  // Drawbar organ, no reverb or chorus to linger after the release.
  std::vector<uint8_t> track = {0x00, 0xC0, 16, 0x00, 0xB0, 91, 0, 0x00, 0xB0, 93, 0};
  for (const uint8_t key : keys) track.insert(track.end(), {0x00, 0x90, key, 120});
  variable(track, soundTicks);
  for (const uint8_t key : keys) track.insert(track.end(), {0x80, key, 0, 0x00});
  track.pop_back();  // no time before the next event
  variable(track, endTicks - soundTicks);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h',  'd',  0,   0,   0,   6,   0, 0,
                               0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0};
  file.push_back(static_cast<uint8_t>(track.size() >> 8));
  file.push_back(static_cast<uint8_t>(track.size()));
  file.insert(file.end(), track.begin(), track.end());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// Quieter than this is silence for the test piece: the organ's release fades out at about this.
constexpr int kHush = 50;

int Peak(const Samples& samples) {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(int{s}));
  return peak;
}

double Rms(const Samples& samples) {
  double sum = 0.0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

// The left channel of interleaved stereo.
Samples Left(const Samples& stereo) {
  Samples left;
  for (size_t i = 0; i < stereo.size(); i += kChannels) left.push_back(stereo[i]);
  return left;
}

// How well `effect` matches `recording` from frame `start` on: the largest difference, sample by
// sample. The mixer converts the mono effect to stereo through floats, so a perfect match differs
// by a unit or two.
int Mismatch(const Samples& recording, const Samples& effect, size_t start) {
  if (start + effect.size() > recording.size()) return INT32_MAX;
  int worst = 0;
  for (size_t i = 0; i < effect.size(); ++i) {
    worst = std::max(worst, std::abs(recording[start + i] - effect[i]));
  }
  return worst;
}

struct Match {
  size_t offset = 0;
  int worst = INT32_MAX;
};

// The best place for `effect` among the starts from `first` to `last`.
Match BestMatch(const Samples& recording, const Samples& effect, size_t first, size_t last) {
  Match best;
  for (size_t start = first; start <= last; ++start) {
    const int worst = Mismatch(recording, effect, start);
    if (worst < best.worst) best = {start, worst};
  }
  return best;
}

// Where `effect` lies in a recording that is silent before it: lined up by the first loud sample.
Match FindEffect(const Samples& recording, const Samples& effect) {
  const auto loud = [](int16_t s) { return std::abs(int{s}) > 200; };
  const auto inEffect = std::find_if(effect.begin(), effect.end(), loud) - effect.begin();
  const auto inRecording =
      std::find_if(recording.begin(), recording.end(), loud) - recording.begin();
  const long guess = inRecording - inEffect;
  if (guess < 0) return {};
  return BestMatch(recording, effect, static_cast<size_t>(std::max(0L, guess - 16)),
                   static_cast<size_t>(guess + 16));
}

namespace {

// A WAV file: `seconds` of silence in the given format, its data chunk claiming `claim` extra
// bytes beyond those it holds.
std::string Wav(uint32_t rate, uint16_t bits = 16, uint16_t channels = 1, double seconds = 0.1,
                uint16_t tag = 1, uint32_t claim = 0) {
  auto put = [](std::string& s, uint32_t v, int size) {
    for (int i = 0; i < size; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
  };
  const uint32_t align = channels * bits / 8u;
  const auto samples = static_cast<uint32_t>(rate * seconds) * align;
  std::string w = "RIFF";
  put(w, 36 + samples, 4);
  w += "WAVEfmt ";
  put(w, 16, 4);
  put(w, tag, 2);
  put(w, channels, 2);
  put(w, rate, 4);
  put(w, rate * align, 4);
  put(w, align, 2);
  put(w, bits, 2);
  w += "data";
  put(w, samples + claim, 4);
  w.append(samples, '\0');
  return w;
}

}  // namespace

class SdlAudioTest : public testing::Test {
 protected:
  void SetUp() override {
    recordingPath_ = fs::temp_directory_path() /
                     ("pelaryn-audio-" + std::to_string(::getpid()) + "-" +
                      testing::UnitTest::GetInstance()->current_test_info()->name() + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", recordingPath_.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", diskDelay_, 1);
    audio_ = std::make_unique<pelaryn::SdlAudio>();
    // What each test hears then starts with the first sample it asks for.
    audio_->FinishLoading();
    ASSERT_EQ(audio_->SilenceReason(), "");
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    ASSERT_EQ(rate, kRate);
    ASSERT_EQ(format, AUDIO_S16SYS);
    ASSERT_EQ(channels, kChannels);
  }

  void TearDown() override {
    audio_.reset();
    std::error_code ignored;
    fs::remove(recordingPath_, ignored);
  }

  pelaryn::MusicDevice& Music() { return audio_->Music(); }
  pelaryn::SoundPlayer& Effects() { return audio_->Sound(); }

  // Frames the disk driver has written so far.
  size_t Recorded() const {
    std::error_code error;
    const auto bytes = fs::file_size(recordingPath_, error);
    return error ? 0 : bytes / (2 * kChannels);
  }

  // `frames` frames of the recording from frame `from`, once the driver has written them; the
  // driver runs at its own pace, so this polls, giving up only after a long time.
  Samples Await(size_t from, size_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Recorded() < from + frames && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(Recorded(), from + frames) << "the disk driver stopped writing";
    std::ifstream in(recordingPath_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from * 2 * kChannels));
    Samples samples(frames * kChannels);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<size_t>(in.gcount()) / 2);
    return samples;
  }

  static constexpr size_t Frames(double seconds) { return static_cast<size_t>(seconds * kRate); }

  // Milliseconds the disk driver rests after each 1024-frame buffer: 5 runs about four times
  // faster than real time.
  const char* diskDelay_ = "5";
  fs::path recordingPath_;
  std::unique_ptr<pelaryn::SdlAudio> audio_;
};

// At the pace of a real sound card, for what depends on the mixer and the game thread keeping
// roughly in step.
class SdlAudioRealTimeTest : public SdlAudioTest {
 protected:
  SdlAudioRealTimeTest() { diskDelay_ = "23"; }
};

TEST_F(SdlAudioTest, EveryPieceOfMusicIsHeard) {
  for (const char* piece : {"title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"}) {
    SCOPED_TRACE(piece);
    ASSERT_TRUE(Music().Open(Sound(piece)));
    EXPECT_EQ(Music().Mode(), "stopped");
    Music().Play();
    EXPECT_EQ(Music().Mode(), "playing");
    const Samples heard = Await(Recorded(), Frames(2.0));
    EXPECT_GT(Rms(heard), 500.0);
    EXPECT_LT(Peak(heard), 32767) << "the music clips";
    Music().Stop();
    Music().Close();
    EXPECT_EQ(Music().Mode(), "");
  }
}

TEST_F(SdlAudioTest, EveryEffectIsHeardExactlyAsWritten) {
  for (const char* effect :
       {"damage.wav", "hit.wav", "getitem.wav", "bomshot.wav", "bosshit.wav", "explode.wav"}) {
    SCOPED_TRACE(effect);
    const Samples written = ReadWavSamples(kSoundDir / effect);
    ASSERT_FALSE(written.empty());
    const size_t mark = Recorded();
    Effects().Play(Sound(effect), true);
    const Samples heard = Left(Await(mark, written.size() + Frames(0.3)));
    const Match match = FindEffect(heard, written);
    EXPECT_LE(match.worst, 2);
    // Then silence: the effect played once, alone.
    const Samples after(
        heard.begin() + static_cast<long>(std::min(heard.size(), match.offset + written.size())),
        heard.end());
    EXPECT_EQ(Peak(after), 0);
  }
}

TEST_F(SdlAudioTest, MissingOrBrokenFilesStaySilentAndNothingEscapes) {
  const fs::path junk =
      fs::temp_directory_path() / ("pelaryn-junk-" + std::to_string(::getpid()) + ".mid");
  std::ofstream(junk) << "this is not music";
  const size_t mark = Recorded();
  for (const std::string& path : {Sound("no-such-piece.mid"), junk.string(), std::string()}) {
    EXPECT_FALSE(Music().Open(path)) << path;
    EXPECT_EQ(Music().Mode(), "");
    Music().Play();
    Music().PlayFromStart();
    EXPECT_EQ(Music().Mode(), "");
    Music().Stop();
    Music().Close();
  }
  Effects().Play(Sound("no-such-effect.wav"), true);
  Effects().Play(Sound("no-such-effect.wav"), false);
  Effects().Play(junk.string(), true);
  Effects().Play("", false);
  EXPECT_EQ(Peak(Await(mark, Frames(0.5))), 0);
  fs::remove(junk);
}

// A FIFO or a folder under a piece's or an effect's name is refused at once (reading one would
// wait for ever), and each file that cannot be used is named on one line of ours, once however
// often it is asked for; a file that plays says nothing.
TEST_F(SdlAudioTest, UnusableFilesAreRefusedAtOnceAndNamedOnce) {
  const fs::path folder =
      fs::temp_directory_path() / ("pelaryn-hostile-" + std::to_string(::getpid()));
  fs::create_directories(folder / "dir.mid");
  fs::create_directories(folder / "dir.wav");
  const std::string fifoPiece = (folder / "fifo.mid").string();
  const std::string fifoEffect = (folder / "fifo.wav").string();
  ASSERT_EQ(::mkfifo(fifoPiece.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(fifoEffect.c_str(), 0600), 0);
  // SDL would take this one, and resample a second of it for every sample it declares.
  std::ofstream(folder / "junk.wav", std::ios::binary) << Wav(1, 16, 1, 2048);
  const std::vector<std::string> pieces = {fifoPiece, (folder / "dir.mid").string(),
                                           (folder / "missing.mid").string()};
  const std::vector<std::string> effects = {fifoEffect, (folder / "dir.wav").string(),
                                            (folder / "junk.wav").string()};

  testing::internal::CaptureStderr();
  for (int round = 0; round < 3; ++round) {
    for (const std::string& piece : pieces) EXPECT_FALSE(Music().Open(piece)) << piece;
    for (const std::string& effect : effects) Effects().Play(effect, true);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  std::istringstream lines(said);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_EQ(line.rfind("pelaryn: cannot use the ", 0), 0u) << line;
  }
  EXPECT_EQ(count, 6) << said;
  for (const std::string& path : pieces) EXPECT_NE(said.find(path + ":"), std::string::npos);
  for (const std::string& path : effects) EXPECT_NE(said.find(path + ":"), std::string::npos);

  testing::internal::CaptureStderr();
  ASSERT_TRUE(Music().Open(Sound("title.mid")));
  Music().Play();
  Effects().Play(Sound("hit.wav"), true);
  Await(Recorded(), Frames(0.2));
  Music().Close();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  fs::remove_all(folder);
}

TEST_F(SdlAudioTest, OpeningWhileOpenFailsAndKeepsTheFirst) {
  ASSERT_TRUE(Music().Open(Sound("title.mid")));
  EXPECT_FALSE(Music().Open(Sound("1.mid")));
  EXPECT_EQ(Music().Mode(), "stopped");
  Music().Play();
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_FALSE(Music().Open(Sound("1.mid")));
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_GT(Rms(Await(Recorded(), Frames(1.0))), 500.0);
  Music().Stop();
  Music().Close();
  EXPECT_EQ(Music().Mode(), "");
  EXPECT_TRUE(Music().Open(Sound("1.mid")));
  Music().Close();
}

TEST_F(SdlAudioTest, StopSilencesAndPlayResumes) {
  ASSERT_TRUE(Music().Open(Sound("1.mid")));
  Music().Play();
  EXPECT_GT(Rms(Await(Recorded(), Frames(1.0))), 500.0);
  Music().Stop();
  EXPECT_EQ(Music().Mode(), "stopped");
  // A buffer already mixed may still be on its way; after that, nothing.
  const Samples stopped = Await(Recorded(), Frames(0.6));
  EXPECT_EQ(
      Peak(Samples(stopped.begin() + static_cast<long>(Frames(0.2) * kChannels), stopped.end())),
      0);
  EXPECT_EQ(Music().Mode(), "stopped");
  Music().Play();
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_GT(Rms(Await(Recorded(), Frames(1.0))), 500.0);
  Music().Close();
}

TEST_F(SdlAudioTest, PlayFromStartGoesBackToTheBeginning) {
  // Sound for the first half second, then silence up to three seconds: once past the sound, only a
  // real restart makes it heard again.
  const fs::path piece =
      fs::temp_directory_path() / ("pelaryn-restart-" + std::to_string(::getpid()) + ".mid");
  WriteTestMidi(piece, 480, 2880);
  ASSERT_TRUE(Music().Open(piece.string()));
  const size_t start = Recorded();
  Music().Play();
  EXPECT_GT(Peak(Await(start, Frames(0.4))), 1000);
  const Samples quiet = Await(start, Frames(1.6));
  EXPECT_LT(Peak(Samples(quiet.end() - static_cast<long>(Frames(0.3) * kChannels), quiet.end())),
            kHush)
      << "the test piece should be silent after its chord";

  // Playing: restart.
  Music().PlayFromStart();
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_GT(Peak(Await(Recorded(), Frames(0.5))), 1000);

  // Stopped in the silent part: restart plays again too.
  Await(Recorded(), Frames(1.2));
  Music().Stop();
  Music().PlayFromStart();
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_GT(Peak(Await(Recorded(), Frames(0.5))), 1000);

  // Restarts faster than a fresh copy loads wait for it and still play.
  for (int i = 0; i < 5; ++i) Music().PlayFromStart();
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_GT(Peak(Await(Recorded(), Frames(0.5))), 1000);
  Music().Close();
  fs::remove(piece);
}

TEST_F(SdlAudioRealTimeTest, ModeSaysStoppedAsSoonAsThePieceHasPlayedThroughAndItLoops) {
  const fs::path piece =
      fs::temp_directory_path() / ("pelaryn-end-" + std::to_string(::getpid()) + ".mid");
  // A second and a half: longer than the second the restart gate asks of a piece, which a
  // piece of exactly a second, its end seen a buffer early, could meet when it loops.
  WriteTestMidi(piece, 240, 1440);
  ASSERT_TRUE(Music().Open(piece.string()));
  const size_t start = Recorded();
  Music().Play();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Music().Mode() == "playing" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(Music().Mode(), "stopped");
  const size_t heard = Recorded() - start;
  // Not before the piece has been heard through (allowing for buffers still in flight), and not
  // only once the synthesizer has let the last notes die away, which takes seconds more: the
  // loop would have a hole.
  EXPECT_GE(heard + 3 * 1024, Frames(1.5));
  EXPECT_LT(heard, Frames(1.5 + 2.0));
  Music().PlayFromStart();
  EXPECT_EQ(Music().Mode(), "playing");
  EXPECT_GT(Peak(Await(Recorded(), Frames(0.25))), 1000);
  Music().Close();
  fs::remove(piece);
}

TEST_F(SdlAudioTest, NonInterruptingEffectIsDroppedWhileOneSounds) {
  const Samples explode = ReadWavSamples(kSoundDir / "explode.wav");
  const Samples hit = ReadWavSamples(kSoundDir / "hit.wav");
  const size_t mark = Recorded();
  Effects().Play(Sound("explode.wav"), false);
  Effects().Play(Sound("hit.wav"), false);
  Effects().Play(Sound("getitem.wav"), false);
  const Samples heard = Left(Await(mark, explode.size() + Frames(0.5)));
  const Match match = FindEffect(heard, explode);
  EXPECT_LE(match.worst, 2) << "the explosion was disturbed";
  EXPECT_EQ(
      Peak(Samples(heard.begin() + static_cast<long>(match.offset + explode.size()), heard.end())),
      0)
      << "a dropped effect played after all";

  // Once the channel is free, the same request plays.
  const size_t later = Recorded();
  Effects().Play(Sound("hit.wav"), false);
  EXPECT_LE(FindEffect(Left(Await(later, hit.size() + Frames(0.3))), hit).worst, 2);
}

TEST_F(SdlAudioTest, InterruptingEffectCutsIn) {
  const Samples explode = ReadWavSamples(kSoundDir / "explode.wav");
  const Samples damage = ReadWavSamples(kSoundDir / "damage.wav");
  const size_t mark = Recorded();
  Effects().Play(Sound("explode.wav"), false);
  Await(mark, Frames(0.2));  // well into the explosion
  Effects().Play(Sound("damage.wav"), true);
  const Samples heard = Left(Await(mark, explode.size() + Frames(0.5)));

  // The explosion sounds from its start until it is cut...
  const Samples opening(explode.begin(), explode.begin() + static_cast<long>(Frames(0.1)));
  const Match start = FindEffect(heard, opening);
  ASSERT_LE(start.worst, 2);
  size_t cut = start.offset;
  while (cut < heard.size() && cut - start.offset < explode.size() &&
         std::abs(heard[cut] - explode[cut - start.offset]) <= 2) {
    ++cut;
  }
  EXPECT_GE(cut - start.offset, Frames(0.1));
  EXPECT_LT(cut - start.offset, explode.size()) << "the explosion was never cut";
  // ...and the damage effect plays whole from there (its first samples are faint, so the cut
  // shows a little after it began).
  const Match damageMatch = BestMatch(heard, damage, cut - std::min<size_t>(cut, 64), cut);
  EXPECT_LE(damageMatch.worst, 2);
}

TEST_F(SdlAudioTest, RelativeNamesResolveAgainstTheProgramFolder) {
  // Wherever the program was started from, "sound/hit.wav" is the file beside the program.
  audio_.reset();
  audio_ = std::make_unique<pelaryn::SdlAudio>(std::string(pelaryn::kGameSoundFont),
                                               kSoundDir.parent_path().string());
  audio_->FinishLoading();
  ASSERT_NE(fs::current_path(), kSoundDir.parent_path());
  const Samples hit = ReadWavSamples(kSoundDir / "hit.wav");
  const size_t mark = Recorded();
  Effects().Play("sound/hit.wav", true);
  EXPECT_LE(FindEffect(Left(Await(mark, hit.size() + Frames(0.3))), hit).worst, 2);
}

// Volumes act on the next mix buffer, whatever is sounding, and those chosen before the mixer and
// the synthesizer are ready hold from their first sound. 100 % is the mix as written, 0 % true
// silence, half 6 dB down; a value out of range counts as the nearest end.
TEST_F(SdlAudioTest, VolumesScaleMusicAndEffectsAtOnceAndFromTheStart) {
  constexpr double kSilent = -INFINITY;
  struct Step {
    int percent;
    double db;  // against the mix as written
  };
  const auto decibels = [](double ratio) { return 20.0 * std::log10(ratio); };
  const auto energy = [](const Samples& samples) {
    double sum = 0.0;
    for (int16_t s : samples) sum += static_cast<double>(s) * s;
    return sum;
  };
  const fs::path piece =
      fs::temp_directory_path() / ("pelaryn-volume-" + std::to_string(::getpid()) + ".mid");
  WriteTestMidi(piece, 9600, 10080, {60});  // one organ note, far longer than the test listens
  // Its loudness now, past the buffers mixed before the last change, over a slow wobble of the
  // organ's (its level swings some 0.5 dB every 0.3 s).
  const auto note = [&] { return Await(Recorded() + Frames(0.1), Frames(0.3)); };
  // The same note held by a synthesizer of its own at the gain the music was written for.
  const double asWritten = [&] {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", kRate);
    fluid_settings_setnum(settings, "synth.gain", pelaryn::kMusicGain);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    Samples held(Frames(1.0) * kChannels);
    if (fluid_synth_sfload(synth, std::string(pelaryn::kGameSoundFont).c_str(), 1) !=
        FLUID_FAILED) {
      fluid_synth_program_change(synth, 0, 16);
      fluid_synth_cc(synth, 0, 91, 0);
      fluid_synth_cc(synth, 0, 93, 0);
      fluid_synth_noteon(synth, 0, 60, 120);
      fluid_synth_write_s16(synth, static_cast<int>(Frames(1.0)), held.data(), 0, 2, held.data(), 1,
                            2);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return Rms(Samples(held.begin() + static_cast<long>(Frames(0.4) * kChannels), held.end()));
  }();
  ASSERT_GT(asWritten, 500.0);
  const auto sustained = [&] {
    Music().Play();
    Await(Recorded(), Frames(0.3));  // past the note's attack and decay
  };
  const Samples hit = ReadWavSamples(kSoundDir / "hit.wav");
  const auto effect = [&] {
    const size_t mark = Recorded();
    Effects().Play(Sound("hit.wav"), true);
    return Left(Await(mark, hit.size() + Frames(0.3)));
  };

  // As mixed before any volume was ever set.
  ASSERT_TRUE(Music().Open(piece.string()));
  sustained();
  EXPECT_NEAR(decibels(Rms(note()) / asWritten), 0.0, 0.3);
  Music().Close();

  audio_.reset();
  audio_ = std::make_unique<pelaryn::SdlAudio>();
  audio_->SetVolumes(50, 0);  // long before the helper thread has opened anything
  audio_->FinishLoading();
  ASSERT_EQ(audio_->SilenceReason(), "");
  EXPECT_EQ(Peak(effect()), 0) << "effects silenced before the mixer opened were heard";
  ASSERT_TRUE(Music().Open(piece.string()));
  sustained();
  EXPECT_NEAR(decibels(Rms(note()) / asWritten), -6.02, 1.0)
      << "music turned down before the synthesizer existed";

  // The note held throughout: silence must not end it.
  for (const Step step :
       {Step{100, 0.0}, {50, -6.02}, {0, kSilent}, {100, 0.0}, {-20, kSilent}, {1000, 0.0}}) {
    SCOPED_TRACE("music at " + std::to_string(step.percent) + " %");
    audio_->SetVolumes(step.percent, 0);
    const Samples heard = note();
    if (step.db == kSilent) {
      EXPECT_EQ(Peak(heard), 0);
    } else {
      EXPECT_NEAR(decibels(Rms(heard) / asWritten), step.db, step.db == 0.0 ? 0.3 : 1.0);
    }
  }
  Music().Close();
  Await(Recorded(), Frames(0.1));  // the note's last buffers

  for (const Step step : {Step{100, 0.0}, {50, -6.02}, {0, kSilent}, {250, 0.0}, {-5, kSilent}}) {
    SCOPED_TRACE("effects at " + std::to_string(step.percent) + " %");
    audio_->SetVolumes(0, step.percent);
    const Samples heard = effect();
    if (step.db == kSilent) {
      EXPECT_EQ(Peak(heard), 0);
    } else if (step.db == 0.0) {
      EXPECT_LE(FindEffect(heard, hit).worst, 2);
    } else {
      // The whole effect with silence around it, against the effect as written.
      EXPECT_NEAR(decibels(std::sqrt(energy(heard) / energy(hit))), step.db, 1.0);
    }
  }
  audio_->SetVolumes(0, 1);
  EXPECT_GT(Peak(effect()), 0) << "the faintest effects are silenced";
  fs::remove(piece);
}

TEST(SdlAudioLoading, EffectsNamedAtStartAreReadThenAndMusicAskedForEarlyStartsFromItsBeginning) {
  // A program folder of our own, whose effect goes away once the audio has started.
  const fs::path folder =
      fs::temp_directory_path() / ("pelaryn-preload-" + std::to_string(::getpid()));
  fs::create_directories(folder / "sound");
  fs::copy_file(kSoundDir / "hit.wav", folder / "sound" / "hit.wav",
                fs::copy_options::overwrite_existing);
  const fs::path piece = folder / "chord.mid";
  WriteTestMidi(piece, 480, 2880);  // half a second of chord, then silence
  const fs::path recording = folder / "heard.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "5", 1);
  auto audio =
      std::make_unique<pelaryn::SdlAudio>(std::string(pelaryn::kGameSoundFont), folder.string(),
                                          std::vector<std::string>{"sound/hit.wav"});
  // Most likely before the soundfont is ready: the piece counts as playing meanwhile, and is
  // heard from its first note once the synthesizer can sound it.
  ASSERT_TRUE(audio->Music().Open(piece.string()));
  audio->Music().Play();
  EXPECT_EQ(audio->Music().Mode(), "playing");
  audio->FinishLoading();
  ASSERT_EQ(audio->SilenceReason(), "");
  fs::remove(folder / "sound" / "hit.wav");

  const auto frames = [&] {
    std::error_code error;
    const auto bytes = fs::file_size(recording, error);
    return error ? size_t{0} : static_cast<size_t>(bytes) / (2 * kChannels);
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (audio->Music().Mode() == "playing" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(audio->Music().Mode(), "stopped") << "the piece never played through";
  audio->Music().Close();
  const size_t mark = frames();
  audio->Sound().Play("sound/hit.wav", true);
  while (frames() < mark + static_cast<size_t>(0.5 * kRate) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  audio.reset();

  std::ifstream in(recording, std::ios::binary);
  Samples heard(frames() * kChannels);
  in.read(reinterpret_cast<char*>(heard.data()), static_cast<std::streamsize>(heard.size() * 2));
  const Samples left = Left(heard);
  const auto loud = [](int16_t s) { return std::abs(int{s}) > 1000; };
  const auto first = std::find_if(left.begin(), left.end(), loud);
  ASSERT_NE(first, left.end()) << "the chord was never heard";
  const auto last = std::find_if(std::make_reverse_iterator(left.begin() + mark),
                                 std::make_reverse_iterator(first), loud)
                        .base();
  // The whole half second of the chord, not its tail after time ran on without the soundfont.
  EXPECT_GE(last - first, static_cast<long>(0.45 * kRate));
  EXPECT_LT(last - first, static_cast<long>(0.7 * kRate));
  // The effect was read while its file was there.
  const Samples hit = ReadWavSamples(kSoundDir / "hit.wav");
  EXPECT_LE(FindEffect(Samples(left.begin() + static_cast<long>(mark), left.end()), hit).worst, 2);
  unsetenv("SDL_AUDIODRIVER");
  fs::remove_all(folder);
}

// SDL believes a WAV header; only short plain PCM effects whose samples are all there reach it.
TEST(WavFile, OnlyShortPlainPcmEffectsAreRead) {
  std::string why;
  for (const char* name :
       {"damage.wav", "hit.wav", "getitem.wav", "bomshot.wav", "bosshit.wav", "explode.wav"}) {
    std::ifstream in(Sound(name), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(pelaryn::IsWavEffect(bytes, why)) << name << ": " << why;
  }
  EXPECT_TRUE(pelaryn::IsWavEffect(Wav(8000, 8, 2), why)) << why;
  EXPECT_TRUE(pelaryn::IsWavEffect(Wav(96000), why)) << why;
  EXPECT_TRUE(pelaryn::IsWavEffect(Wav(8000, 16, 1, pelaryn::MaxEffectSeconds), why)) << why;
  // A fmt chunk of odd length is padded to a whole word before the next.
  std::string padded = Wav(22050);
  padded[16] = 17;
  padded.insert(36, 1, '\0');
  padded.insert(37, 1, '\0');
  EXPECT_TRUE(pelaryn::IsWavEffect(padded, why)) << why;

  const std::string refused[] = {
      Wav(1),  // 1 Hz: seconds of SDL's resampling
      Wav(7999),
      Wav(96001),
      Wav(44100, 24),
      Wav(44100, 16, 3),
      Wav(44100, 32, 1, 0.1, 3),  // floating point
      Wav(8000, 16, 1, pelaryn::MaxEffectSeconds + 0.01),
      Wav(44100, 16, 1, 0.1, 1, 2),      // the samples end early
      Wav(44100).substr(0, 40),          // no samples at all
      "RIFF\x10\0\0\0WAVEdata\0\0\0\0",  // samples without a format
      "not a wave at all",
      "",
  };
  for (const std::string& bytes : refused) {
    why.clear();
    EXPECT_FALSE(pelaryn::IsWavEffect(bytes, why)) << bytes.size();
    EXPECT_FALSE(why.empty());
  }
}

// Without a usable sound device the game still runs, silently, and says why once.
TEST(SdlAudioWithoutDevice, FallsBackToSilenceAndKeepsTheDeviceRules) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  pelaryn::SdlAudio audio;
  audio.FinishLoading();
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_EQ(audio.SilenceReason().rfind("no sound: ", 0), 0u) << audio.SilenceReason();
  EXPECT_EQ(audio.SilenceReason().find('\n'), std::string::npos);
  EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");

  pelaryn::MusicDevice& music = audio.Music();
  ASSERT_TRUE(music.Open(Sound("title.mid")));
  EXPECT_FALSE(music.Open(Sound("1.mid")));
  music.Play();
  EXPECT_EQ(music.Mode(), "playing");
  music.Stop();
  EXPECT_EQ(music.Mode(), "stopped");
  music.PlayFromStart();
  EXPECT_EQ(music.Mode(), "playing");
  music.Close();
  EXPECT_EQ(music.Mode(), "");
  audio.Sound().Play(Sound("hit.wav"), true);
  audio.Sound().Play(Sound("no-such-effect.wav"), false);
}

// The music is made with the player's soundfont when it loads, else with ours (whatever the
// system's General MIDI link names), and the player hears why once; FluidSynth's own complaints
// come out as ours, one line each, and the effects play all the while.
TEST(SdlAudioSoundFont, ThePlayersChoiceOrOurs) {
  const std::string ours(pelaryn::kGameSoundFont);
  const std::string system(pelaryn::kSystemSoundFont);
  using Fonts = std::vector<std::string>;
  EXPECT_EQ(pelaryn::SoundFontsToTry(""), (Fonts{ours, system}));
  EXPECT_EQ(pelaryn::SoundFontsToTry("/x/mine.sf2"), (Fonts{"/x/mine.sf2", ours, system}));
  EXPECT_EQ(pelaryn::SoundFontsToTry(ours), (Fonts{ours, system}));

  const fs::path folder =
      fs::temp_directory_path() / ("pelaryn-fonts-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path broken = folder / "broken.sf2";
  std::ofstream(broken) << "RIFF, not a soundfont";
  const fs::path copy = folder / "copy.sf2";
  fs::copy_file(ours, copy, fs::copy_options::overwrite_existing);
  const fs::path recording = folder / "heard.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
  struct Start {
    fs::path chosen;
    bool fails;
    bool libraryComplains;
  };
  for (const Start& start :
       {Start{"", false, false}, Start{copy, false, false},
        Start{folder / "missing.sf2", true, false}, Start{broken, true, true}}) {
    SCOPED_TRACE(start.chosen);
    testing::internal::CaptureStderr();
    pelaryn::SdlAudio audio(start.chosen.string());
    audio.FinishLoading();
    const std::string said = testing::internal::GetCapturedStderr();
    auto& music = static_cast<pelaryn::SdlMusicDevice&>(audio.Music());
    EXPECT_EQ(audio.SilenceReason(), "");
    EXPECT_EQ(audio.ChosenSoundFontFailed(), start.fails);
    EXPECT_EQ(music.SoundFont(),
              start.fails || start.chosen.empty() ? ours : start.chosen.string());
    EXPECT_EQ(said.find(start.chosen.string() + " not found; the music falls back") !=
                      std::string::npos ||
                  said.find(start.chosen.string() + "; the music falls back") != std::string::npos,
              start.fails)
        << said;
    EXPECT_EQ(said.find("pelaryn: music: ") != std::string::npos, start.libraryComplains) << said;
    EXPECT_EQ(said.find("fluidsynth:"), std::string::npos) << said;
    audio.Sound().Play(Sound("hit.wav"), true);
    EXPECT_NE(Mix_Playing(0), 0);
  }

  // Chosen while the game runs: the same choice changes nothing, a good one is taken, and a
  // broken one brings back ours, not the one before.
  pelaryn::SdlAudio audio;
  auto& music = static_cast<pelaryn::SdlMusicDevice&>(audio.Music());
  EXPECT_TRUE(audio.UseSoundFont(""));
  EXPECT_TRUE(audio.UseSoundFont(copy.string()));
  EXPECT_EQ(music.SoundFont(), copy.string());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(audio.UseSoundFont(broken.string()));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(music.SoundFont(), ours);
  EXPECT_TRUE(audio.UseSoundFont(broken.string())) << "said once";
  unsetenv("SDL_AUDIODRIVER");
  fs::remove_all(folder);
}

}  // namespace

namespace {

// A piece rendered by hand, a mix buffer at a time, as the mixer would ask for it: every sample,
// and the buffer after which the device first said the piece had ended.
struct Pass {
  Samples Audio;
  int EndBuffer = -1;
};

constexpr int kBufferFrames = 1024;

Pass RenderPass(pelaryn::SdlMusicDevice& music, int buffers, int frames = kBufferFrames) {
  Pass pass;
  Samples buffer(static_cast<std::size_t>(frames) * kChannels);
  for (int b = 0; b < buffers; ++b) {
    std::fill(buffer.begin(), buffer.end(), int16_t{0});
    music.RenderInto(buffer.data(), static_cast<int>(buffer.size() * sizeof(int16_t)));
    pass.Audio.insert(pass.Audio.end(), buffer.begin(), buffer.end());
    if (pass.EndBuffer < 0 && music.Mode() == "stopped") pass.EndBuffer = b;
  }
  return pass;
}

}  // namespace

// A piece is rendered ahead into memory by a synthesiser of its own, to the very samples a
// fresh live one gives: the first piece played live goes on from memory without a seam, and
// every later start plays from memory, ending at the same sample. A piece that does not fit
// plays live, and a piece the settings stop naming, or whose file changes, is let go.
TEST(SdlMusicMemory, PiecesRenderedAheadPlayFromMemoryExactlyAsLive) {
  const fs::path folder = fs::temp_directory_path() / "pelaryn-music-memory";
  fs::create_directories(folder);
  const fs::path piece = folder / "piece.mid";
  WriteTestMidi(piece, 960, 1440);  // a second of chord, then half a second of nothing
  int64_t now = 0;
  auto device = [&](std::size_t budget) {
    auto music = std::make_unique<pelaryn::SdlMusicDevice>(budget);
    music->SetClock([&now] { return now; });
    EXPECT_EQ(music->LoadSoundFontAt(std::string(pelaryn::kGameSoundFont), kRate, kChannels), "");
    return music;
  };
  const int buffers = 2 * kRate / kBufferFrames;  // the piece, its end and a little tail
  const auto wholePass = [&](pelaryn::SdlMusicDevice& played) {
    return RenderPass(played, buffers);
  };
  Pass live;
  {
    auto reference = device(pelaryn::PieceMemory::DefaultBudgetBytes);
    ASSERT_TRUE(reference->Open(piece.string()));
    reference->Play();
    live = wholePass(*reference);
    EXPECT_FALSE(reference->FromMemory());
  }
  ASSERT_GT(live.EndBuffer, 10);
  EXPECT_GT(Peak(live.Audio), 1000);

  auto music = device(pelaryn::PieceMemory::DefaultBudgetBytes);
  ASSERT_TRUE(music->Open(piece.string()));
  music->Play();
  Pass first = RenderPass(*music, 10);
  EXPECT_FALSE(music->FromMemory());
  music->RenderAheadNow();
  music->Mode();  // the game's thread asks every frame, and the piece goes on from memory
  EXPECT_TRUE(music->FromMemory());
  const Pass rest = RenderPass(*music, buffers - 10);
  first.Audio.insert(first.Audio.end(), rest.Audio.begin(), rest.Audio.end());
  EXPECT_TRUE(first.Audio == live.Audio);
  EXPECT_EQ(rest.EndBuffer + 10, live.EndBuffer);
  for (int pass = 0; pass < 2; ++pass) {
    now += 2'000'000;
    music->PlayFromStart();
    EXPECT_TRUE(music->FromMemory()) << pass;
    const Pass again = wholePass(*music);
    EXPECT_EQ(again.EndBuffer, live.EndBuffer) << pass;
    EXPECT_TRUE(again.Audio == live.Audio) << pass;
  }
  // Half the loudness from memory too.
  music->SetVolume(50);
  now += 2'000'000;
  music->PlayFromStart();
  const Pass half = RenderPass(*music, 8);
  for (std::size_t i = 0; i < half.Audio.size(); ++i) {
    ASSERT_EQ(half.Audio[i], live.Audio[i] * 50 / 100) << i;
  }
  music->SetVolume(100);
  EXPECT_GT(music->MemoryBytes(), 0u);

  // Another soundfont: what memory holds was made with the old one and goes, and the open piece
  // starts again, live, until it is rendered again. One that does not load changes nothing.
  EXPECT_NE(music->ChangeSoundFont((folder / "missing.sf2").string()), "");
  EXPECT_TRUE(music->FromMemory());
  const fs::path font = folder / "same.sf2";
  fs::copy_file(std::string(pelaryn::kGameSoundFont), font, fs::copy_options::overwrite_existing);
  ASSERT_EQ(music->ChangeSoundFont(font.string()), "");
  EXPECT_EQ(music->MemoryBytes(), 0u);
  EXPECT_FALSE(music->FromMemory());
  const Pass changed = wholePass(*music);
  EXPECT_TRUE(changed.Audio == live.Audio);
  EXPECT_EQ(changed.EndBuffer, live.EndBuffer);
  music->RenderAheadNow();
  now += 2'000'000;
  music->PlayFromStart();
  EXPECT_TRUE(music->FromMemory());

  // The settings name other pieces: let go once it closes; opened again, rendered again.
  const std::string other = (folder / "other.mid").string();
  music->KeepOnly({other});
  EXPECT_GT(music->MemoryBytes(), 0u);
  music->Close();
  music->KeepOnly({other});
  EXPECT_EQ(music->MemoryBytes(), 0u);
  // After another piece the synthesiser is no longer fresh: a pass begun live stays live.
  ASSERT_TRUE(music->Open(piece.string()));
  music->Play();
  EXPECT_FALSE(music->FromMemory());
  music->RenderAheadNow();
  RenderPass(*music, 10);
  EXPECT_FALSE(music->FromMemory());
  now += 2'000'000;
  music->PlayFromStart();
  EXPECT_TRUE(music->FromMemory());
  EXPECT_TRUE(wholePass(*music).Audio == live.Audio);
  music->Close();
  // Another file under the same name is not taken for the old one.
  WriteTestMidi(piece, 240, 960);
  ASSERT_TRUE(music->Open(piece.string()));
  EXPECT_FALSE(music->FromMemory());
  music->Close();

  // Asked for other frames at a time than the rendering ahead splits them into, a fresh
  // synthesiser gives other samples: that pass stays live too.
  {
    auto halves = device(pelaryn::PieceMemory::DefaultBudgetBytes);
    ASSERT_TRUE(halves->Open(piece.string()));
    halves->Play();
    RenderPass(*halves, 4, kBufferFrames / 2);
    halves->RenderAheadNow();
    halves->Mode();
    EXPECT_FALSE(halves->FromMemory());
  }

  // Named pieces are rendered before they are asked for; one that cannot be played is passed
  // over, and one asked for before the soundfont arrives waits for it.
  {
    pelaryn::SdlMusicDevice early;
    early.SetClock([&now] { return now; });
    early.KeepOnly({(folder / "missing.mid").string(), piece.string()});
    ASSERT_TRUE(early.Open(piece.string()));
    early.Play();
    early.RenderAheadNow();
    EXPECT_FALSE(early.FromMemory());
    ASSERT_EQ(early.LoadSoundFontAt(std::string(pelaryn::kGameSoundFont), kRate, kChannels), "");
    early.RenderAheadNow();
    early.Mode();
    EXPECT_TRUE(early.FromMemory());
    EXPECT_GT(Peak(RenderPass(early, 10).Audio), 1000);
  }

  // Too long for the budget: played live at every start, and still heard.
  auto small = device(kRate * kChannels * sizeof(int16_t));  // a second
  ASSERT_TRUE(small->Open(piece.string()));
  small->Play();
  small->RenderAheadNow();
  small->Mode();
  EXPECT_FALSE(small->FromMemory());
  EXPECT_EQ(small->MemoryBytes(), 0u);
  EXPECT_GT(Peak(RenderPass(*small, 20).Audio), 1000);
  fs::remove_all(folder);
}
