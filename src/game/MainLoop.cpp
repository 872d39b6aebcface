#include <optional>
#include <string>

#include "audio/Music.h"
#include "enemies/Combo.h"
#include "enemies/Item.h"
#include "game/Game.h"
#include "game/Phase.h"
#include "persist/Ranking.h"
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
  if (OnReplayRecorded) {
    const int64_t now = WallClock ? WallClock() : SystemSeconds();
    recorder_.Begin(state_, random_, state_.BackSetting.BackImagePath, picBack_.Width(),
                    picBack_.Height(), now);
  }
}

bool Game::RunFrame() {
  GameState& s = state_;
  ++currentFrame_;

  // 1. Frame start: the frame's period is counted from when it is shown (19.).
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
  // 19.–21. Present, wait out the frame, yield. The period is counted from showing to showing,
  // so that any two shown frames lie at least its length apart however the work of drawing them
  // varies; a frame still lasts at least the period.
  pacer_.WaitToShow(platform_, s.FramePeriod);
  pacer_.Shown(platform_.Present(picMain_));
  pacer_.Rest(platform_, s.FramePeriod);
  platform_.ProcessEvents();
  return request_ == Request::None;
}

void Game::GameOver() {
  GameState& s = state_;
  s.ShotRatio = ComputeShotRatio(s.EnemiesShotDown, s.EnemiesAppeared);
  // The recording ends, and a playback is checked, where the game's own work ends.
  EndRecording(ReplayEnding::GameOver);
  player_.GameOverReached();
  platform_.Windows().MessageBox({MessageId::GameOver, s.ShotRatio, {}});
  EnterRanking();
  SaveConfigAndScores();
  if (awaitingName_) {
    awaitingName_ = false;
    if (OnReplayRecorded) OnReplayRecorded(recorder_.Finished());
  }
  if (OnGameOver) OnGameOver();
  StopMusicAndClearField(ctx_);
  picMain_.Fill(Rgb(0, 0, 0));
  if (request_ == Request::None) request_ = Request::Restart;
}

void Game::EnterRanking() {
  GameState& s = state_;
  const std::optional<int> place = RankingPlace(s, s.Score);
  if (!place) return;
  InsertRankEntry(s, *place, s.Score, s.ShotRatio, s.MaxCombo);
  s.Ranking[*place].Name =
      RankingName(platform_.Windows().InputBox({MessageId::RankingEntry, *place + 1, {}}));
  if (awaitingName_) recorder_.Finished().Name = s.Ranking[*place].Name;
  platform_.Windows().ShowRanking(s);
}

}  // namespace pelaryn
