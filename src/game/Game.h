#pragma once

#include <cstdint>
#include <functional>

#include "base/GameState.h"
#include "base/Menu.h"
#include "base/Platform.h"
#include "base/Random.h"
#include "game/Pacing.h"
#include "render/GameContext.h"
#include "render/Pictures.h"

namespace pelaryn {

// Owns the state, the random source and the surfaces, and runs start-up, the main loop and the
// menu commands. Restart and exit are requests: every loop returns as soon as it sees one and
// Run() performs the next start-up or ends, so the stack is as deep in the hundredth game as in
// the first.
class Game : private SettingsHost {
 public:
  // Stop ends a run where it stands without the program's end sequence (a headless run that
  // has what it came for).
  enum class Request { None, Restart, Exit, Stop };

  Game(Platform& platform, const Pictures& pictures);
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Plays games until the program is asked to end; returns the exit code.
  int Run();

  // The pieces of Run(), for the headless runner, tests and benchmarks.
  void FormLoad();       // start-up, up to the entry into the main loop
  void EnterMainLoop();  // what the loop does once before its first frame
  bool RunFrame();       // one frame; false once a request ends the loop
  void FormUnload();     // program end: stop the music, write the files

  // A click on a menu item (or its function key), delivered inside the yield. A disabled item
  // does nothing.
  void MenuCommand(MenuId id);
  void RequestExit() { request_ = Request::Exit; }
  void RequestStop() { request_ = Request::Stop; }
  Request PendingRequest() const { return request_; }

  GameState& State() { return state_; }
  const GameState& State() const { return state_; }
  const Random& RandomSource() const { return random_; }
  const Surface& PlayField() const { return picMain_; }
  const Surface& BackgroundPicture() const { return picBack_; }
  // Number of the main-loop frame running now (or last run), counted from 1 in each game.
  uint64_t CurrentFrame() const { return currentFrame_; }
  // True while the title screen runs; its frames count from 1 in each showing.
  bool InTitle() const { return inTitle_; }
  uint64_t TitleFrame() const { return titleFrame_; }

  // Where start-up reads the settings, this lets a caller change them (the headless runner's
  // --set); the menu check marks follow.
  std::function<void(GameState&)> OnSettingsLoaded;
  // Runs once the title is set up, before its first frame.
  std::function<void()> OnTitleStart;
  // Runs after Start, just before the first frame of a game.
  std::function<void(GameState&)> OnGameStarted;
  // Runs at game over once the files are saved, before the field is cleared.
  std::function<void()> OnGameOver;

 private:
  // Start-up.
  void InitGame();
  void LoadConfigAndScores();
  void SaveConfigAndScores();
  void LoadBackground();
  void RunTitleScreen();
  void GameOver();
  void EnterRanking();
  void WaitWhilePaused();

  // Menu handlers, reached through the table in MenuCommands.cpp.
  struct MenuHandler;
  void MnuStartClick();
  void MnuPauseClick();
  void MnuResetClick();
  void MnuExitClick();
  void MnuSeClick();
  void MnuAutoshotClick();
  void MnuRankingClick();
  void MnuOptionClick();
  void MnuManualClick();
  void MnuVersionClick();

  // What the settings window reaches.
  GameState& Settings() override { return state_; }
  void ReloadBackground() override;

  Platform& platform_;
  const Pictures& pictures_;
  GameState state_;
  Random random_;
  Surface picMain_;
  Surface picFlash_;
  Surface picBack_;
  GameContext ctx_;
  Request request_ = Request::None;
  FramePacer pacer_;
  uint64_t currentFrame_ = 0;
  bool inTitle_ = false;
  uint64_t titleFrame_ = 0;
};

}  // namespace pelaryn
