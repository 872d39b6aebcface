#include "audio/Music.h"
#include "game/Game.h"
#include "render/Title.h"

namespace pelaryn {

// Runs until Start sets Running; the frame in which Start was chosen is still drawn. A restart
// or exit request ends it at once. The title draws no random numbers and changes no game state
// but the field.
void Game::RunTitleScreen() {
  TitleScene scene = InitialTitleScene();
  const TitlePictures pictures{pictures_.Title, pictures_.Logo};
  // Read once: switching the animation in the settings shows from the next title on.
  const bool animated = state_.TitleAnimation;
  inTitle_ = true;
  titleFrame_ = 0;
  if (OnTitleStart) OnTitleStart();
  while (state_.Running == 0 && request_ == Request::None) {
    ++titleFrame_;
    platform_.ProcessEvents();
    if (request_ != Request::None) break;
    if (animated) {
      DrawAnimatedTitleFrame(ctx_, pictures, scene);
    } else {
      DrawStillTitleFrame(ctx_, pictures, scene);
    }
    pacer_.WaitToShow(platform_, state_.FramePeriod);  // paced as in the main loop
    pacer_.Shown(platform_.Present(picMain_));
    if (state_.TitleBgm.Enabled) KeepMusicLooping(platform_);
    pacer_.Rest(platform_, state_.FramePeriod);
  }
  inTitle_ = false;
}

}  // namespace pelaryn
