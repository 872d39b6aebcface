// pelaryn-sfxgen OUTDIR: synthesizes the game's six sound effects as WAV files.

#include <cstdio>
#include <filesystem>

#include "Effects.h"
#include "Wav.h"
#include "common/WriteFile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pelaryn-sfxgen OUTDIR\n");
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  struct Effect {
    const char* file;
    pelaryn::Samples (*make)();
  };
  const Effect effects[] = {{"damage.wav", pelaryn::Damage},   {"hit.wav", pelaryn::Hit},
                            {"getitem.wav", pelaryn::GetItem}, {"bomshot.wav", pelaryn::BombShot},
                            {"bosshit.wav", pelaryn::BossHit}, {"explode.wav", pelaryn::Explode}};
  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  for (const Effect& effect : effects) {
    pelaryn::Samples samples = effect.make();
    pelaryn::Level(samples);
    if (!pelaryn::WriteFile(outDir / effect.file, pelaryn::EncodeWav(samples))) {
      std::fprintf(stderr, "pelaryn-sfxgen: cannot write %s\n",
                   (outDir / effect.file).string().c_str());
      return 1;
    }
  }
  return 0;
}
