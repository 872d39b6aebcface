#include "audio/Music.h"
#include "enemies/Combo.h"
#include "enemies/Item.h"
#include "game/Game.h"
#include "game/Pacing.h"
#include "game/Phase.h"
#include "player/Input.h"
#include "player/Scroll.h"
#include "player/ShipDestruction.h"
#include "player/Shots.h"
#include "render/Animation.h"
#include "render/Background.h"
#include "render/Cells.h"
#include "render/HitEffect.h"
#include "render/StatusDisplay.h"

namespace pelaryn {

void Game::EnterMainLoop() {
  currentFrame_ = 0;
  StartPlayMusic(ctx_);
  if (OnGameStarted) OnGameStarted(state_);
}

bool Game::RunFrame() {
  GameState& s = state_;
  ++currentFrame_;

  // 1. Frame start.
  const uint32_t frameStart = platform_.MicroTime();
  // 2. Music keep-alive.
  if (s.BossActive ? s.BossBgm[s.Boss.Kind & 1].Enabled : s.Bgm[s.BgmIndex & 1].Enabled) {
    KeepMusicLooping(platform_);
  }
  // 3.–4. Animation clock, combo popup start.
  AdvanceAnimationClock(s);
  StartComboPopup(s);
  // 5.–7. Random drift, background, inertia decay.
  if (s.BackSetting.Guriguri) Guriguri(s, random_);
  ScrollBackground(s, picBack_, picMain_);
  if (s.PhaseFrames % 5 == 0 && s.BackSetting.Kansei) InertiaDecay(s);
  // 8. The ship, or its destruction.
  if (s.Life > 0) {
    ReadKeyboard(ctx_);
    if (s.UseJoystick) ReadJoystick(ctx_);
    if (s.Menu.Checked(MenuId::Autoshot)) FireStraight(ctx_);
    if (s.InvincibleFrames > 0) --s.InvincibleFrames;
    ctx_.Sprite(s.Player.X, s.Player.Y, s.Player.W, s.Player.H, Cell::Ship.X, Cell::Ship.Y);
  } else if (!PlayDestroyedShip(ctx_)) {
    GameOver();
    return false;  // nothing more of this frame runs
  }
  // 9.–12. Phase counter and boss appearance, shots, phase work, boss destruction.
  AppearanceCheck(ctx_);
  MoveShots(ctx_);
  PhaseWork(ctx_);
  if (s.Boss.Life() < 0) DestructionEffects(ctx_);
  // 13.–18. Lives, hit effect, heart, combo popup, high score, status.
  DrawLife(ctx_);
  DrawHitEffect(ctx_, picFlash_);
  if (s.Item.Active() > 0) MoveItem(ctx_);
  if (s.ComboPopupTimer > 0) ComboPopup(ctx_);
  if (s.Score > s.HiScore) s.HiScore = s.Score;
  DrawStatus(ctx_);
  // 19.–21. Present, wait out the frame, yield.
  platform_.Present(picMain_);
  WaitFrameEnd(platform_, frameStart, s.FramePeriod);
  platform_.ProcessEvents();
  return request_ == Request::None;
}

void Game::GameOver() {
  // The result, the name entry and the ranking come later; for now the finished game goes
  // straight back to start-up.
  if (OnGameOver) OnGameOver();
  StopMusicAndClearField(ctx_);
  if (request_ == Request::None) request_ = Request::Restart;
}

}  // namespace pelaryn
