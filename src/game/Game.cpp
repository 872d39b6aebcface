#include "game/Game.h"

#include "base/Field.h"

namespace pelaryn {

Game::Game(Platform& platform, const Pictures& pictures)
    : real_(platform),
      recorder_(platform, currentFrame_),
      player_(recorder_, currentFrame_),
      platform_(player_),
      pictures_(pictures),
      picMain_(FieldWidth, FieldHeight),
      picFlash_(FieldWidth, FieldHeight, Rgb(255, 0, 0)),
      ctx_{{state_, random_, platform_}, picMain_, pictures_.Sheet} {}

int Game::Run() {
  do {
    request_ = Request::None;
    if (!skipStartUp_) StartUp();
    skipStartUp_ = false;
    if (pendingReplay_ && request_ == Request::None) {
      RunPlayback();
      // Back to the title of the start-up the playback interrupted: the files are not read
      // again, so settings changed on the title before it stay.
      skipStartUp_ = true;
      continue;
    }
    TitleAndStart();
    if (request_ == Request::None) {
      EnterMainLoop();
      while (RunFrame()) {
      }
    }
  } while (request_ == Request::Restart);
  if (request_ == Request::Exit) FormUnload();
  return 0;
}

}  // namespace pelaryn
