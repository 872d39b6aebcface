#include <optional>
#include <utility>

#include "audio/Music.h"
#include "base/Arith.h"
#include "base/Field.h"
#include "base/Paths.h"
#include "game/Game.h"
#include "persist/GameFiles.h"
#include "persist/Ranking.h"
#include "player/Input.h"
#include "render/Background.h"

namespace pelaryn {

// Runs at program start and again for every new game. The working directory is never changed:
// relative names are resolved against the program folder where they are used. The play field
// and the flash picture have their sizes from the start, and the window is on screen before the
// first start-up.
void Game::FormLoad() {
  StartUp();
  TitleAndStart();
}

void Game::StartUp() {
  QueryJoystickCaps(ctx_);
  InitGame();
  LoadConfigAndScores();
  state_.HiScore = state_.Ranking[0].Score;
}

void Game::TitleAndStart() {
  if (state_.TitleBgm.Enabled) PlayMusic(platform_, state_.TitleBgm.Path);
  RunTitleScreen();
  if (request_ != Request::None) return;
  if (state_.TitleBgm.Enabled) StopMusic(platform_);
  state_.Menu.At(MenuId::Start).Enabled = false;
  state_.Menu.At(MenuId::Pause).Enabled = true;
  LoadBackground(state_.BackSetting.BackImagePath);
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
  for (int i = 0; i < RankingCount; ++i) s.Ranking[i] = DefaultRankEntry(i);
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

// A missing file leaves the defaults; a damaged one gives what it holds up to the damage.
void Game::LoadConfigAndScores() {
  FileStore& files = platform_.Files();
  if (const std::optional<std::string> bytes = files.Read(SettingsFileName)) {
    ReadSettingsText(DecodeFileText(*bytes), state_);
  }
  if (const std::optional<std::string> bytes = files.Read(RankingFileName)) {
    ReadRankingText(DecodeFileText(*bytes), state_);
  }
  if (OnSettingsLoaded) OnSettingsLoaded(state_);
  KeepNamedMusic(platform_, state_);
  state_.Menu.At(MenuId::Se).Checked = state_.SoundEffectsOn;
  state_.Menu.At(MenuId::Autoshot).Checked = state_.AutoShot;
}

// Each file is replaced whole; a failure is told once and the game goes on with what it holds
// in memory, which the next save tries again.
void Game::SaveConfigAndScores() {
  FileStore& files = platform_.Files();
  std::string failures;
  for (const auto& [name, text] : {std::pair{SettingsFileName, SettingsFileText(state_)},
                                   std::pair{RankingFileName, RankingFileText(state_)}}) {
    std::string error;
    if (!files.Write(name, EncodeFileText(text), error)) {
      if (!failures.empty()) failures += "\n";
      failures += error;
    }
  }
  if (!failures.empty()) platform_.Windows().ReportError({MessageId::SaveFailed, 0, failures});
}

void Game::LoadBackground(const std::string& path) {
  picBack_ = Surface();
  const std::string full = ResolveInProgramFolder(platform_.ProgramFolder(), path);
  if (!platform_.LoadPicture(full, picBack_)) picBack_ = Surface();
  EnlargeToField(picBack_);
}

void Game::ReloadBackground() {
  settingsApplied_ = true;
  state_.BackSetting.OffsetX = 0;
  state_.BackSetting.OffsetY = 0;
  LoadBackground(state_.BackSetting.BackImagePath);
}

void Game::SaveFiles() {
  SaveConfigAndScores();
}

void Game::FormUnload() {
  StopMusic(platform_);
  SaveConfigAndScores();
}

}  // namespace pelaryn
