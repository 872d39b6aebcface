// pelaryn-pacing-probe: the desktop game with an unbreakable ship whose every game reaches a boss
// two seconds after it starts, so that scripts/measure-pacing --boss can time the frames around
// a boss's arrival and a restart again and again.

#include "base/GameState.h"
#include "game/Game.h"
#include "platform/desktop/DesktopMain.h"

int main(int argc, char** argv) {
  return pelaryn::RunDesktopGame(argc, argv, [](pelaryn::Game& game) {
    game.OnTitleStart = [&game] { game.MenuCommand(pelaryn::MenuId::Start); };
    game.OnGameStarted = [](pelaryn::GameState& s) {
      s.Life = 30000;
      s.PhaseFrames = 1290;  // the boss comes at 1334
    };
  });
}
