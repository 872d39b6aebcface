// Hears the game's real mix, music and effects together through SDL2_mixer, by recording it with
// SDL's "disk" audio driver, and judges it by loudness and peaks.
// Needs: SDL2, SDL2_mixer with FluidSynth, the General MIDI soundfont, and the generated music and
// effects in the folder named by the compile definition PELARYN_SOUND_DIR. No sound card.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loudness/Loudness.h"
#include "platform/desktop/SdlAudio.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSoundDir = PELARYN_SOUND_DIR;
constexpr int kRate = 44100;
constexpr const char* kEffects[] = {"damage.wav",  "hit.wav",     "getitem.wav",
                                    "bomshot.wav", "bosshit.wav", "explode.wav"};

size_t Frames(double seconds) {
  return static_cast<size_t>(seconds * kRate);
}

class MixLevelTest : public testing::Test {
 protected:
  void SetUp() override {
    recordingPath_ =
        fs::temp_directory_path() / ("pelaryn-mix-" + std::to_string(::getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", recordingPath_.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);  // about four times faster than real time
    audio_ = std::make_unique<pelaryn::SdlAudio>();
    audio_->FinishLoading();
    ASSERT_EQ(audio_->SilenceReason(), "");
  }

  void TearDown() override {
    audio_.reset();
    std::error_code ignored;
    fs::remove(recordingPath_, ignored);
  }

  size_t Recorded() const {
    std::error_code error;
    const auto bytes = fs::file_size(recordingPath_, error);
    return error ? 0 : bytes / 4;
  }

  // Stereo frames [from, from + frames) of the recording, once the driver has written them.
  pelaryn::Audio Await(size_t from, size_t frames) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Recorded() < from + frames && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(Recorded(), from + frames) << "the disk driver stopped writing";
    std::ifstream in(recordingPath_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from * 4));
    std::vector<int16_t> samples(frames * 2);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<size_t>(in.gcount()) / 2);
    pelaryn::Audio audio{kRate, {{}, {}}};
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
      audio.channels[0].push_back(samples[i] / 32768.0);
      audio.channels[1].push_back(samples[i + 1] / 32768.0);
    }
    return audio;
  }

  std::string Sound(const char* file) const { return (kSoundDir / file).string(); }

  fs::path recordingPath_;
  std::unique_ptr<pelaryn::SdlAudio> audio_;
};

// The largest sample of the recording, in 16-bit units.
int Peak(const pelaryn::Audio& audio) {
  return static_cast<int>(std::lround(pelaryn::FromDb(pelaryn::PeakDbfs(audio)) * 32768.0));
}

TEST_F(MixLevelTest, EffectsOverEveryPieceNeverReachFullScaleAndStandAFewDecibelsAboveTheMusic) {
  // Every effect, one after another as fast as a busy fight fires them, over every piece.
  for (const char* piece : {"title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"}) {
    SCOPED_TRACE(piece);
    ASSERT_TRUE(audio_->Music().Open(Sound(piece)));
    audio_->Music().Play();
    const size_t start = Recorded();
    for (int shot = 0; shot < 12; ++shot) {
      audio_->Sound().Play(Sound(kEffects[shot % 6]), true);
      Await(start, Frames(0.25 * (shot + 1)));
    }
    const pelaryn::Audio heard = Await(start, Frames(3.5));
    EXPECT_GT(Peak(heard), 1000) << "nothing was heard";
    EXPECT_LT(Peak(heard), 32767) << "the mix reaches full scale";
    audio_->Music().Close();
  }

  // The play music alone, then each effect alone, on the same meter.
  ASSERT_TRUE(audio_->Music().Open(Sound("1.mid")));
  audio_->Music().Play();
  const double music = pelaryn::IntegratedLoudness(Await(Recorded(), Frames(8.0)));
  audio_->Music().Close();
  Await(Recorded(), Frames(0.3));  // buffers still in flight
  for (const char* effect : kEffects) {
    SCOPED_TRACE(effect);
    const size_t mark = Recorded();
    audio_->Sound().Play(Sound(effect), true);
    const pelaryn::Audio heard = Await(mark, Frames(1.5));
    // From the effect's first sound to its last.
    const std::vector<double>& left = heard.channels[0];
    const auto sounding = [](double s) { return s != 0.0; };
    const auto first = std::find_if(left.begin(), left.end(), sounding) - left.begin();
    const auto last = left.rend() - std::find_if(left.rbegin(), left.rend(), sounding);
    ASSERT_LT(first, last) << "the effect was not heard";
    const double loudness = pelaryn::GatedLoudness(
        pelaryn::KWeighted(heard), static_cast<size_t>(first), static_cast<size_t>(last));
    RecordProperty(effect, std::to_string(loudness - music));
    EXPECT_LE(loudness - music, 6.0) << "an effect drowns the music";
    EXPECT_GE(loudness - music, 0.0) << "an effect is lost under the music";
  }
}

}  // namespace
