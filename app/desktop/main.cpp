// pelaryn: the desktop game.

#include <cstdio>
#include <string_view>

#include "platform/desktop/DesktopMain.h"
#include "platform/desktop/ui/FrmVersion.h"

int main(int argc, char** argv) {
  // Answered before any window exists, so it works without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--version") {
      const pelaryn::VersionNumbers version = pelaryn::ProgramVersion();
      std::printf("pelaryn %d.%d\n", version.Major, version.Minor);
      return 0;
    }
  }
  return pelaryn::RunDesktopGame(argc, argv);
}
