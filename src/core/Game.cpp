#include "core/Game.h"

#include <filesystem>
#include <system_error>

#include "audio/Music.h"
#include "audio/SoundEffects.h"
#include "core/Arith.h"
#include "core/Background.h"
#include "core/Pacing.h"
#include "core/Phase.h"
#include "enemies/Item.h"
#include "player/Input.h"
#include "player/Scroll.h"
#include "player/Shots.h"
#include "render/StatusDisplay.h"

namespace pelaryn {
namespace {

std::string InProgramFolder(const std::string& folder, std::initializer_list<const char*> parts) {
  std::filesystem::path path(folder);
  for (const char* part : parts) path /= part;
  return path.string();
}

}  // namespace

Game::Game(Platform& platform, const Pictures& pictures)
    : platform_(platform),
      pictures_(pictures),
      picMain_(FieldWidth, FieldHeight),
      picFlash_(FieldWidth, FieldHeight, Rgb(255, 0, 0)),
      ctx_{state_, random_, platform_, picMain_, pictures_.Sheet} {}

int Game::Run() {
  do {
    request_ = Request::None;
    FormLoad();
    if (request_ == Request::None) {
      EnterMainLoop();
      while (RunFrame()) {
      }
    }
  } while (request_ != Request::Exit);
  FormUnload();
  return 0;
}

void Game::FormLoad() {
  std::error_code ignored;
  std::filesystem::current_path(platform_.ProgramFolder(), ignored);
  QueryJoystickCaps(ctx_);
  InitGame();
  LoadConfigAndScores();
  state_.HiScore = state_.Ranking[0].Score;
  if (state_.TitleBgm.Enabled) PlayMusic(platform_, state_.TitleBgm.Path);
  // Until the title screen exists, start-up goes straight on as if Start had been chosen.
  MnuStartClick();
  if (state_.TitleBgm.Enabled) StopMusic(platform_);
  state_.Menu.At(MenuId::Start).Enabled = false;
  state_.Menu.At(MenuId::Pause).Enabled = true;
  LoadBackground();
}

void Game::InitGame() {
  GameState& s = state_;
  s.Menu.At(MenuId::Autoshot).Checked = false;
  s.SoundEffectsOn = true;
  s.Menu.At(MenuId::Start).Enabled = true;
  s.Menu.At(MenuId::Pause) = {.Checked = false, .Enabled = false};
  s.TitleAnimation = true;
  s.UseJoystick = true;
  s.JoySensitivity = 0;
  s.Life = 10;
  s.Score = 0;
  s.HiScore = 100;
  s.Player.X = Sat16(Round(FieldWidth * 0.5));
  s.Player.Y = Sat16(Round(FieldHeight * 0.8));
  s.Player.State = 1;
  s.Player.W = 16;
  s.Player.H = 32;
  s.Player.StepX() = 6;
  s.Player.StepY() = 6;
  s.HitFlash = 0;
  for (Entity& shot : s.PlayerShots) {
    shot.W = 8;
    shot.H = 16;
    shot.DY = 15;
  }
  for (Entity& enemy : s.Enemies) {
    enemy.W = 32;
    enemy.H = 32;
  }
  s.EnemyShotW = 8;
  s.EnemyShotH = 8;
  s.EnemyShotBaseSpeed = 4;
  for (int i = 0; i < RankingCount; ++i) {
    s.Ranking[i] = {.Name = "KEVA", .Score = 100 - 10 * i, .ShotRatio = 0, .MaxCombo = 0};
  }
  const std::string folder = platform_.ProgramFolder();
  s.BackSetting.BackImagePath = InProgramFolder(folder, {"back.bmp"});
  s.BackSetting.ScrollYoko = 0;
  s.BackSetting.ScrollTate = 3;
  s.BackSetting.Guriguri = false;
  s.Bgm[0].Path = InProgramFolder(folder, {"sound", "1.mid"});
  s.Bgm[1].Path = InProgramFolder(folder, {"sound", "2.mid"});
  s.BossBgm[0].Path = InProgramFolder(folder, {"sound", "boss1.mid"});
  s.BossBgm[1].Path = InProgramFolder(folder, {"sound", "boss2.mid"});
  s.TitleBgm.Path = InProgramFolder(folder, {"sound", "title.mid"});
  for (BgmEntry* entry : {&s.Bgm[0], &s.Bgm[1], &s.BossBgm[0], &s.BossBgm[1], &s.TitleBgm}) {
    entry->Enabled = true;
  }
  s.Running = 0;
  s.BlinkPhase = 0;
  s.BlinkFrame = 0;
  s.Combo = 0;
  s.MaxCombo = 0;
  s.EnemiesAppeared = 0;
  s.EnemiesShotDown = 0;
  s.FramePeriod = 45;
  s.InitialDifficulty = 0;
  s.DifficultySkip = 0;
  s.BossActive = false;
  s.PhaseFrames = 0;
  s.Level = 0;
  s.BossBombMax = 3;
  s.BossBulletMax = 30;
  s.BossRainMax = 10;
  s.BossInterval = 60000;
}

void Game::LoadConfigAndScores() {
  // The settings and ranking files are not read yet; what start-up would have read can be
  // supplied by the caller instead, and the two switches of the menu follow it as they would.
  if (OnSettingsLoaded) OnSettingsLoaded(state_);
  state_.Menu.At(MenuId::Se).Checked = state_.SoundEffectsOn;
  state_.Menu.At(MenuId::Autoshot).Checked = state_.AutoShot;
}

void Game::LoadBackground() {
  picBack_ = Surface();
  if (!platform_.LoadPicture(state_.BackSetting.BackImagePath, picBack_)) picBack_ = Surface();
  EnlargeToField(picBack_);
}

void Game::EnterMainLoop() {
  currentFrame_ = 0;
  StartPlayMusic(ctx_);
  if (OnGameStarted) OnGameStarted(state_);
}

bool Game::RunFrame() {
  GameState& s = state_;
  ++currentFrame_;
  const uint32_t frameStart = platform_.TimeGetTime();

  if (s.BossActive ? s.BossBgm[s.Boss.Kind & 1].Enabled : s.Bgm[s.BgmIndex & 1].Enabled) {
    KeepMusicLooping(platform_);
  }
  AdvanceAnimationClock();
  StartComboPopup();
  if (s.BackSetting.Guriguri) Guriguri(s, random_);
  ScrollBackground(s, picBack_, picMain_);
  if (s.PhaseFrames % 5 == 0 && s.BackSetting.Kansei) InertiaDecay(s);

  if (s.Life > 0) {
    ReadKeyboard(ctx_);
    if (s.UseJoystick) ReadJoystick(ctx_);
    if (s.Menu.Checked(MenuId::Autoshot)) FireStraight(ctx_);
    if (s.InvincibleFrames > 0) --s.InvincibleFrames;
    ctx_.Sprite(s.Player.X, s.Player.Y, s.Player.W, s.Player.H, 0, 0);
  } else if (!PlayDestroyedShip()) {
    return false;  // the game is over; nothing more of this frame runs
  }

  AppearanceCheck(ctx_);
  MoveShots(ctx_);
  PhaseWork(ctx_);
  if (s.Boss.Life() < 0) DestructionEffects(ctx_);
  DrawLife(ctx_);
  DrawHitEffect();
  if (s.Item.Active() > 0) MoveItem(ctx_);
  if (s.ComboPopupTimer > 0) DrawComboPopup(ctx_);
  if (s.Score > s.HiScore) s.HiScore = s.Score;
  DrawStatus(ctx_);

  platform_.Present(picMain_);
  const uint32_t elapsed = ElapsedMs(platform_.TimeGetTime(), frameStart);
  if (elapsed < static_cast<uint32_t>(s.FramePeriod)) {
    WaitFrame(platform_, s.FramePeriod - static_cast<int32_t>(elapsed));
  }
  platform_.ProcessEvents();
  return request_ == Request::None;
}

void Game::AdvanceAnimationClock() {
  GameState& s = state_;
  s.BlinkPhase = Sat16(s.BlinkPhase + s.BlinkStep);
  if (s.BlinkPhase < 1) s.BlinkStep = 1;
  if (s.BlinkPhase > 10) s.BlinkStep = -1;
  s.BlinkFrame = s.BlinkPhase > 5 ? 1 : 0;
}

void Game::StartComboPopup() {
  GameState& s = state_;
  if (s.ComboTimer <= 0) return;
  --s.ComboTimer;
  if (s.ComboTimer == 0 && s.Combo >= 10) {
    s.ComboPopupTimer = 50;
    s.ComboPopupDigits = static_cast<int16_t>(NumberPlaces(s.Combo));
    s.ComboPopupValue = s.Combo;
  }
}

bool Game::PlayDestroyedShip() {
  GameState& s = state_;
  Entity& p = s.Player;
  if (p.State < -15) {
    for (int n = 0; n < 3; ++n) {
      const int size = 32 + static_cast<int>(Round(10 * random_.Next()));
      const double r1 = random_.Next(), r2 = random_.Next(), r3 = random_.Next();
      ctx_.SpriteStretched(static_cast<int>(Round(p.X - 20 + 50 * r1)),
                           static_cast<int>(Round(p.Y - 20 + 50 * r2)), size, size,
                           64 + 32 * static_cast<int>(Floor(2 * r3)), 32, 32, 32);
    }
    PlaySoundEffect(ctx_, sound::Damage, false);
  } else if (p.State >= 0) {
    GameOver();
    return false;
  }
  ++p.State;
  return true;
}

void Game::GameOver() {
  // The result, the name entry and the ranking come later; for now the finished game goes
  // straight back to start-up.
  if (OnGameOver) OnGameOver();
  StopMusicAndClearField(ctx_);
  if (request_ == Request::None) request_ = Request::Restart;
}

void Game::DrawHitEffect() {
  GameState& s = state_;
  if (s.HitFlash >= 0) return;
  if (s.HitFlash == -5) {
    BitBlt(picMain_, 0, 0, picMain_.Width(), picMain_.Height(), picFlash_, 0, 0, RasterOp::Copy);
  } else {
    const int t = (s.HitFlash + 1) / 2;
    ctx_.Sprite(s.Player.X - 8, s.Player.Y, 32, 32, 64 + 32 * (2 + t), 32);
  }
  ++s.HitFlash;
}

void Game::MenuCommand(MenuId id) {
  switch (id) {
    case MenuId::Exit:
      return MnuExitClick();
    case MenuId::Se:
      return MnuSeClick();
    case MenuId::Autoshot:
      return MnuAutoshotClick();
    default:
      return;  // the other commands are not connected yet
  }
}

void Game::MnuStartClick() {
  state_.Running = 1;
  state_.Menu.At(MenuId::Pause).Checked = false;
  state_.Level = state_.InitialDifficulty;
}

void Game::MnuExitClick() {
  request_ = Request::Exit;
}

void Game::MnuSeClick() {
  MenuModel::ItemState& item = state_.Menu.At(MenuId::Se);
  item.Checked = !item.Checked;
  state_.SoundEffectsOn = item.Checked;
}

void Game::MnuAutoshotClick() {
  MenuModel::ItemState& item = state_.Menu.At(MenuId::Autoshot);
  item.Checked = !item.Checked;
  state_.AutoShot = item.Checked;
}

void Game::FormUnload() {
  StopMusic(platform_);
}

}  // namespace pelaryn
