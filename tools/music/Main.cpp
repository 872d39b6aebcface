// pelaryn-midigen OUTDIR: writes the game's default music, five looping Standard MIDI Files.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>

#include "Pieces.h"
#include "common/WriteFile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pelaryn-midigen OUTDIR\n");
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  struct Piece {
    const char* file;
    std::function<pelaryn::Song()> compose;
  };
  const Piece pieces[] = {{"title.mid", pelaryn::TitleTheme},
                          {"1.mid", pelaryn::PlayTrackOne},
                          {"2.mid", pelaryn::PlayTrackTwo},
                          {"boss1.mid", pelaryn::SunBoss},
                          {"boss2.mid", pelaryn::MoonBoss}};
  try {
    std::filesystem::create_directories(outDir);
    for (const Piece& piece : pieces) {
      const pelaryn::Song song = piece.compose();
      if (!pelaryn::WriteFile(outDir / piece.file, song.Encode())) {
        std::fprintf(stderr, "pelaryn-midigen: cannot write %s\n",
                     (outDir / piece.file).string().c_str());
        return 1;
      }
      std::printf("%-10s %3d bars %6.1f s\n", piece.file, song.Bars(), song.Seconds());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pelaryn-midigen: %s\n", e.what());
    return 1;
  }
  return 0;
}
