// pelaryn: the desktop game.

#include "platform/desktop/DesktopMain.h"

int main(int argc, char** argv) {
  return pelaryn::RunDesktopGame(argc, argv);
}
