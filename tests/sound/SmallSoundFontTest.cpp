// The page's first soundfonts hold only what some of the game's own pieces sound (the title
// alone, then all of them): each such piece must render from its font exactly as from the whole
// font, sample for sample, and a piece that sounds more must be seen to need the whole one.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../ScratchPath.h"
#include "../audio/MidiRender.h"

namespace {

namespace fs = std::filesystem;

const std::string kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr double kMusicGain = 0.3;  // the game's
const char* const kPieces[] = {"title.mid", "1.mid", "2.mid", "boss1.mid", "boss2.mid"};

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

// A small font made by the build's tool from `pieces` of the game's own (by default all of them).
fs::path MakeSmallFont(const pelaryn::testing::ScratchFolder& scratch,
                       const std::vector<std::string>& pieces = {std::begin(kPieces),
                                                                 std::end(kPieces)},
                       const std::string& name = "small.sf2") {
  const fs::path sound = fs::path(PELARYN_RUNTIME_DIR) / "sound";
  const fs::path small = scratch.Path() / name;
  std::string command = Quoted(PELARYN_PYTHON) + " " + Quoted(PELARYN_SUBSET_TOOL) + " " +
                        Quoted(kSoundFont) + " " + Quoted(small);
  for (const std::string& piece : pieces) command += " " + Quoted(sound / piece);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return small;
}

TEST(SmallSoundFont, EveryPieceRendersAsWithTheWholeFont) {
  const fs::path sound = fs::path(PELARYN_RUNTIME_DIR) / "sound";
  pelaryn::testing::ScratchFolder scratch("small-font");
  // The page's fonts before the whole one, each with the pieces it is made from and serves.
  struct Font {
    const char* name;
    std::vector<std::string> pieces;
  };
  const Font fonts[] = {
      {"title.sf2", {"title.mid"}},
      {"pieces.sf2", {std::begin(kPieces), std::end(kPieces)}},
  };
  std::map<std::string, pelaryn::Audio> wholeRenders;
  std::uintmax_t before = 0;
  for (const Font& font : fonts) {
    SCOPED_TRACE(font.name);
    const fs::path small = MakeSmallFont(scratch, font.pieces, font.name);
    ASSERT_TRUE(fs::exists(small));
    // Each larger than the one before, all smaller than the whole font.
    EXPECT_GT(fs::file_size(small), before);
    EXPECT_LT(fs::file_size(small), fs::file_size(kSoundFont));
    before = fs::file_size(small);
    for (const std::string& piece : font.pieces) {
      SCOPED_TRACE(piece);
      if (wholeRenders.count(piece) == 0) {
        wholeRenders[piece] =
            pelaryn::test::RenderMidi((sound / piece).string(), kSoundFont, kMusicGain).audio;
      }
      const pelaryn::Audio& whole = wholeRenders[piece];
      const pelaryn::Audio part =
          pelaryn::test::RenderMidi((sound / piece).string(), small.string(), kMusicGain).audio;
      ASSERT_EQ(whole.channels.size(), 2u);
      ASSERT_EQ(part.channels.size(), 2u);
      ASSERT_EQ(whole.Frames(), part.Frames());
      ASSERT_GT(whole.Frames(), 0u);
      for (std::size_t c = 0; c < 2; ++c) {
        std::size_t differing = 0;
        std::size_t first = whole.Frames();
        double peak = 0;
        for (std::size_t i = 0; i < whole.Frames(); ++i) {
          peak = std::max(peak, std::abs(whole.channels[c][i]));
          if (whole.channels[c][i] != part.channels[c][i]) {
            if (differing++ == 0) first = i;
          }
        }
        EXPECT_EQ(differing, 0u) << "channel " << c << ", first at frame " << first;
        EXPECT_GT(peak, 0.01);  // not two silences alike
      }
    }
  }
}

// A one-track piece of `track` (MIDI events, each after its delta), its end added.
fs::path WritePiece(const fs::path& path, std::vector<uint8_t> track) {
  track.insert(track.end(), {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x2F}, uint8_t{0x00}});
  std::vector<uint8_t> file = {
      'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
      1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(track.size())};
  file.insert(file.end(), track.begin(), track.end());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return path;
}

// The presets a one-track piece sounds, as the tool reads them: `events` are MIDI events with
// zero deltas between them (the first one's is added here).
std::string SoundedPresets(const fs::path& folder, const std::vector<uint8_t>& events) {
  std::vector<uint8_t> track = {0x00};
  track.insert(track.end(), events.begin(), events.end());
  const fs::path path = WritePiece(folder / "piece.mid", track);
  const std::string command =
      Quoted(PELARYN_PYTHON) + " " + Quoted(PELARYN_SUBSET_TOOL) + " --presets " + Quoted(path);
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char line[64];
    while (std::fgets(line, sizeof line, pipe) != nullptr) out += line;
    pclose(pipe);
  }
  return out;
}

TEST(SmallSoundFont, PresetsAreThoseANoteSounds) {
  pelaryn::testing::ScratchFolder scratch("small-font-presets");
  struct Case {
    const char* name;
    std::vector<uint8_t> events;  // each after a zero delta
    const char* presets;
  };
  const Case cases[] = {
      {"no program change: the first preset", {0x90, 60, 100}, "0:0\n"},
      {"a program change, then a note", {0xC0, 19, 0, 0x90, 60, 100}, "0:19\n"},
      {"running status after the change", {0xC1, 5, 0, 0x91, 60, 100, 0, 62, 90}, "0:5\n"},
      {"a note-on of velocity 0 is a note-off", {0xC0, 19, 0, 0x90, 60, 0}, ""},
      {"a channel changed but never sounding", {0xC3, 40, 0, 0x90, 60, 100}, "0:0\n"},
      {"bank select before the program", {0xB0, 0, 8, 0, 0xC0, 4, 0, 0x90, 60, 100}, "8:4\n"},
      {"bank select waits for a program change", {0xB0, 0, 8, 0, 0x90, 60, 100}, "0:0\n"},
      {"the drum channel plays bank 128", {0xC9, 16, 0, 0x99, 36, 100}, "128:16\n"},
      {"the drum channel ignores bank select", {0xB9, 0, 3, 0, 0x99, 36, 100}, "128:0\n"},
      {"a meta event between", {0xFF, 0x51, 3, 7, 0xA1, 0x20, 0, 0xC0, 2, 0, 0x90, 1, 1}, "0:2\n"},
      {"a change after the last note counts too", {0x90, 60, 100, 0, 0xC0, 19}, "0:0\n0:19\n"},
      {"changed twice while sounding",
       {0xC0, 1, 0, 0x90, 60, 100, 0, 0xC0, 2, 0, 0x90, 62, 100},
       "0:1\n0:2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SoundedPresets(scratch.Path(), c.events), c.presets);
  }
}

// The notes the small font's comment names, "bank:program key-key/velocity-velocity ...".
std::map<std::string, std::vector<std::array<int, 4>>> ExactNotes(const fs::path& font) {
  std::ifstream in(font, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::map<std::string, std::vector<std::array<int, 4>>> exact;
  const std::size_t at = bytes.find("ICMT");
  if (at == std::string::npos || at + 8 > bytes.size()) return exact;
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = length * 256 + static_cast<uint8_t>(bytes[at + 4 + i]);
  std::istringstream lines(bytes.substr(at + 8, length).c_str());
  std::string line;
  std::getline(lines, line);  // what the lines are
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string preset;
    words >> preset;
    std::array<int, 4> r{};
    char dash = 0;
    char slash = 0;
    while (words >> r[0] >> dash >> r[1] >> slash >> r[2] >> dash >> r[3]) {
      exact[preset].push_back(r);
    }
  }
  return exact;
}

// Where the small font says a note plays as with the whole font, it must; where it does not
// say so, the note must be heard to differ, or the font keeps more than it needs.
TEST(SmallSoundFont, ANoteSoundsAsWithTheWholeFontWhereTheFontSaysSo) {
  pelaryn::testing::ScratchFolder scratch("small-font-notes");
  const fs::path small = MakeSmallFont(scratch);
  const auto exact = ExactNotes(small);
  ASSERT_FALSE(exact.empty());

  struct Case {
    const char* name;
    int program;
    int channel;
    int key;
    bool same;
  };
  // The pieces play the strings (0:48) from key 62 to 77, where their zones overlap those below;
  // the flute (0:73) from key 81; of the drums, the bass drum (36) but not the low tom (41).
  const Case cases[] = {
      {"strings where the pieces play them", 48, 0, 64, true},
      {"strings where a zone left out sounds with the kept ones", 48, 0, 60, false},
      {"strings at the top of the keys the pieces play", 48, 0, 77, true},
      {"strings one key above them", 48, 0, 78, false},
      {"the flute within its kept keys", 73, 0, 90, true},
      {"the flute below its kept keys", 73, 0, 72, false},
      {"a drum the pieces play", 0, 9, 36, true},
      {"a drum they do not", 0, 9, 41, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string preset = (c.channel == 9 ? "128:" : "0:") + std::to_string(c.program);
    const auto ranges = exact.find(preset);
    ASSERT_NE(ranges, exact.end());
    EXPECT_EQ(std::any_of(ranges->second.begin(), ranges->second.end(),
                          [&](const std::array<int, 4>& r) {
                            return r[0] <= c.key && c.key <= r[1] && r[2] <= 100 && 100 <= r[3];
                          }),
              c.same);
    const uint8_t channel = static_cast<uint8_t>(c.channel);
    const uint8_t key = static_cast<uint8_t>(c.key);
    const fs::path piece =
        WritePiece(scratch.Path() / "note.mid",
                   {0x00, static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(c.program),
                    0x00, static_cast<uint8_t>(0x90 | channel), key, 100, 0x60,
                    static_cast<uint8_t>(0x80 | channel), key, 0});
    const pelaryn::Audio whole =
        pelaryn::test::RenderMidi(piece.string(), kSoundFont, kMusicGain).audio;
    const pelaryn::Audio part =
        pelaryn::test::RenderMidi(piece.string(), small.string(), kMusicGain).audio;
    ASSERT_EQ(whole.Frames(), part.Frames());
    ASSERT_GT(whole.Frames(), 0u);
    EXPECT_EQ(whole.channels == part.channels, c.same);
  }
}

}  // namespace
