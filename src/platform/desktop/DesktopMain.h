#pragma once

#include <functional>

namespace pelaryn {

class Game;

// The desktop game from start to end: the application, the window, the platform and the game,
// run until the player quits; returns the exit code. `prepare` may adjust the game before it
// starts (a measuring build uses it to reach a boss at once).
int RunDesktopGame(int argc, char** argv, const std::function<void(Game&)>& prepare = {});

}  // namespace pelaryn
