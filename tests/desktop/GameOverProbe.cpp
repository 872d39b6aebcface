// pelaryn-gameover-probe: the desktop game whose every game starts with the ship's last heart
// gone and a score that reaches the ranking, so that a test can walk the whole game-over sequence
// in a few seconds.

#include "base/GameState.h"
#include "game/Game.h"
#include "platform/desktop/DesktopMain.h"

int main(int argc, char** argv) {
  return pelaryn::RunDesktopGame(argc, argv, [](pelaryn::Game& game) {
    game.OnTitleStart = [&game] { game.MenuCommand(pelaryn::MenuId::Start); };
    game.OnGameStarted = [](pelaryn::GameState& s) {
      s.Life = 0;
      s.Score = 555;
    };
  });
}
