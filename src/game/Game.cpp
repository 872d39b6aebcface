#include "game/Game.h"

#include "base/Field.h"

namespace pelaryn {

Game::Game(Platform& platform, const Pictures& pictures)
    : platform_(platform),
      pictures_(pictures),
      picMain_(FieldWidth, FieldHeight),
      picFlash_(FieldWidth, FieldHeight, Rgb(255, 0, 0)),
      ctx_{{state_, random_, platform_}, picMain_, pictures_.Sheet} {}

int Game::Run() {
  do {
    request_ = Request::None;
    FormLoad();
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
