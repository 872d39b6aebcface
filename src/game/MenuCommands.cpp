#include <array>

#include "audio/Music.h"
#include "base/Paths.h"
#include "game/Game.h"

namespace pelaryn {

struct Game::MenuHandler {
  MenuId Id;
  void (Game::*Handler)();
};

// During a playback the watcher's clicks control the playback; the recorded ones reach the game
// through MenuAction.
void Game::MenuCommand(MenuId id) {
  if (playing_) return WatcherCommand(id);
  if (!state_.Menu.Enabled(id)) return;
  if (id == MenuId::Pause || id == MenuId::Se || id == MenuId::Autoshot) recorder_.NoteMenu(id);
  MenuAction(id);
}

void Game::MenuAction(MenuId id) {
  static constexpr std::array<MenuHandler, 10> handlers{{
      {MenuId::Start, &Game::MnuStartClick},
      {MenuId::Pause, &Game::MnuPauseClick},
      {MenuId::Reset, &Game::MnuResetClick},
      {MenuId::Exit, &Game::MnuExitClick},
      {MenuId::Se, &Game::MnuSeClick},
      {MenuId::Autoshot, &Game::MnuAutoshotClick},
      {MenuId::Ranking, &Game::MnuRankingClick},
      {MenuId::Option, &Game::MnuOptionClick},
      {MenuId::Manual, &Game::MnuManualClick},
      {MenuId::Version, &Game::MnuVersionClick},
  }};
  for (const MenuHandler& entry : handlers) {
    if (entry.Id == id) return (this->*entry.Handler)();
  }
}

void Game::MnuStartClick() {
  state_.Running = 1;
  state_.Menu.At(MenuId::Pause).Checked = false;
  state_.Level = state_.InitialDifficulty;
}

// The first click does not return until the game is resumed: the second click runs inside its
// wait, and no game time passes in between.
void Game::MnuPauseClick() {
  MenuModel::ItemState& item = state_.Menu.At(MenuId::Pause);
  if (!item.Checked) {
    item.Checked = true;
    state_.Running = 0;
    WaitWhilePaused();
  } else {
    item.Checked = false;
    state_.Running = 1;
  }
}

// Blocks on window events (no spinning); a Reset or Exit chosen meanwhile ends the wait at once.
void Game::WaitWhilePaused() {
  while (state_.Running == 0 && request_ == Request::None) platform_.WaitEvents();
}

// Back to the title at once from any state, without asking. The play field keeps its last
// picture; everything on it is freed.
void Game::MnuResetClick() {
  EndRecording(ReplayEnding::Reset);
  picBack_ = Surface();
  SaveConfigAndScores();
  StopMusicAndClearField(ctx_);
  request_ = Request::Restart;
}

void Game::MnuExitClick() {
  RequestExit();
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

}  // namespace pelaryn

namespace pelaryn {

// 初期化 in the window changes what a game over will rank against, so a recording notes it.
void Game::MnuRankingClick() {
  const std::array<RankEntry, RankingCount> before = state_.Ranking;
  platform_.Windows().ShowRanking(state_);
  if (state_.Ranking != before) recorder_.NoteRankingReset();
}

// Each 更新 or OK applies the settings and reloads the background; a recording notes what the
// window left applied once it closes, since no frame passes while it is open.
void Game::MnuOptionClick() {
  settingsApplied_ = false;
  platform_.Windows().ShowSettings(*this);
  if (!settingsApplied_) return;
  recorder_.NoteSettings(state_, picBack_.Width(), picBack_.Height());
  KeepNamedMusic(platform_, state_);
}

// The manual is ours, an HTML file beside the program, shown without holding up the game.
void Game::MnuManualClick() {
  platform_.Windows().ShowManual(InProgramFolder(platform_.ProgramFolder(), {"pelaryn.html"}));
}

void Game::MnuVersionClick() {
  platform_.Windows().ShowAbout();
}

}  // namespace pelaryn
