// Music other people wrote, as Debian packages it: each piece as a player would put it in, passed
// by the check and heard through the synthesiser. scripts/deps installs the packages.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "../audio/MidiRender.h"
#include "platform/sound/MidiCheck.h"

namespace {

namespace fs = std::filesystem;

struct Package {
  const char* name;
  const char* folder;
};

// Format-1 pieces of 3 to 17 tracks, some with dense set-up bursts on their first tick, some of
// tens of thousands of events.
constexpr Package kPackages[] = {
    {"openttd-openmsx", "/usr/share/games/openttd/baseset/openmsx"},
    {"planetblupi-music-midi", "/usr/share/planetblupi/music"},
};
const std::string kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr double kMusicGain = 0.3;  // the game's
// Long enough for the longest lead-in among them, 2.2 s of silence, and a second of music.
constexpr double kSeconds = 3.0;
constexpr int kRate = 44100;

TEST(PackagedMusic, EveryPiecePassesTheCheckAndSounds) {
  for (const Package& package : kPackages) {
    std::vector<fs::path> pieces;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(package.folder, error)) {
      if (entry.path().extension() == ".mid") pieces.push_back(entry.path());
    }
    ASSERT_FALSE(pieces.empty()) << "no MIDI files in " << package.folder << ": scripts/deps "
                                 << "installs the test package " << package.name;
    std::sort(pieces.begin(), pieces.end());
    for (const fs::path& piece : pieces) {
      SCOPED_TRACE(piece.string());
      std::ifstream in(piece, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
      std::string why;
      EXPECT_TRUE(pelaryn::IsPlayableMidi(bytes, why)) << why;

      const pelaryn::Audio audio =
          pelaryn::test::RenderMidi(piece, kSoundFont, kMusicGain, kSeconds).audio;
      ASSERT_EQ(audio.channels.size(), 2u) << "no synthesiser with " << kSoundFont;
      EXPECT_GE(audio.Frames(), static_cast<std::size_t>(kSeconds * kRate));
      double peak = 0;
      std::size_t notFinite = 0;
      for (const std::vector<double>& channel : audio.channels) {
        for (double sample : channel) {
          if (!std::isfinite(sample)) ++notFinite;
          peak = std::max(peak, std::abs(sample));
        }
      }
      EXPECT_EQ(notFinite, 0u);
      EXPECT_GT(peak, 0.01);  // -40 dBFS; silence from the synthesiser is below -140
    }
  }
}

}  // namespace
