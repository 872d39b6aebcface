#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "base/GameState.h"
#include "base/Menu.h"
#include "base/Platform.h"
#include "base/Random.h"
#include "game/Pacing.h"
#include "render/GameContext.h"
#include "render/Pictures.h"
#include "replay/Playback.h"
#include "replay/Recorder.h"

namespace pelaryn {

// The system clock in Unix seconds, when a recorded game is said to be played.
int64_t SystemSeconds();

// Owns the state, the random source and the surfaces, and runs start-up, the main loop and the
// menu commands. Restart and exit are requests: every loop returns as soon as it sees one and
// Run() performs the next start-up or ends, so the stack is as deep in the hundredth game as in
// the first.
//
// Every game can be recorded, and a recorded game played again in its place: the game talks to
// its platform through a playback wrapper over a recording wrapper, and takes and restores the
// state and the random source for a playback here, in one place.
class Game : private SettingsHost, private ReplayTarget {
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
  void StartUp();        // its first half: the joystick, the defaults and the files
  void TitleAndStart();  // its second half: the title until Start, the background
  void EnterMainLoop();  // what the loop does once before its first frame
  bool RunFrame();       // one frame; false once a request ends the loop
  void FormUnload();     // program end: stop the music, write the files
  // Writes the settings and ranking files as the program's end does, for a host that can be
  // closed without notice (a browser tab). While a replay plays, nothing: its files are not the
  // player's.
  void SaveFiles();

  // A click on a menu item (or its function key), delivered inside the yield. A disabled item
  // does nothing.
  void MenuCommand(MenuId id);
  void RequestExit();
  void RequestStop();
  Request PendingRequest() const { return request_; }

  GameState& State() { return state_; }
  const GameState& State() const { return state_; }
  const Random& RandomSource() const { return random_; }
  const Surface& PlayField() const { return picMain_; }
  const Surface& BackgroundPicture() const { return picBack_; }
  // The hit's red frame laid over the field at a quarter instead of covering it; the picture
  // only, never the state.
  void SetGentleFlash(bool on) { ctx_.GentleFlash = on; }
  // The four status labels (score, high score, combo, best combo) in English instead of
  // Japanese, in play and on the title; the picture only, never the state.
  void SetEnglishLabels(bool on) { ctx_.EnglishLabels = on ? &pictures_.EnglishLabels : nullptr; }
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

  // Set, every game is recorded, and handed over here when it ends: after the name entry and
  // the save at a game over, at once at a reset or an exit.
  std::function<void(const Replay&)> OnReplayRecorded;
  // The time a recorded game is said to be played at, in Unix seconds (UTC); the system clock
  // when not set.
  std::function<int64_t()> WallClock;

  // Plays `replay` in place of a game: at once from the title, after ending a game as Reset
  // does, or right after start-up when Run() has not begun. The player's settings, ranking,
  // high score, check marks and random source are as they were once it is over. A replay that
  // another version of the game recorded is refused at once, with a box and OnPlaybackEnded
  // saying so, and nothing of the game in progress ends. True when the replay is to be played.
  bool PlayReplay(std::shared_ptr<const Replay> replay);
  // The replay playing now, or null.
  const Replay* Playing() const { return playing_.get(); }
  // Pause and fast playback, for the watcher's keys.
  PlaybackPlatform& Playback() { return player_; }
  const PlaybackPlatform& Playback() const { return player_; }
  // True while a playback runs on a black picture because the recorded one is not here.
  bool PlaybackBackgroundMissing() const { return backgroundMissing_; }
  // How long the last picture of a playback stays before the title returns.
  void SetPlaybackHold(uint32_t ms) { playbackHoldMs_ = ms; }
  // Runs when a playback is over, the replay's state still in place, with what it found; and
  // when a replay is refused before it plays.
  std::function<void(const ReplayVerdict&)> OnPlaybackEnded;

 private:
  // Start-up.
  void InitGame();
  void LoadConfigAndScores();
  void SaveConfigAndScores();
  // The picture at `path` (relative to the program folder), enlarged to cover the field; none
  // when it cannot be read.
  void LoadBackground(const std::string& path);
  void RunTitleScreen();
  void GameOver();
  void EnterRanking();
  void WaitWhilePaused();

  // Menu handlers, reached through the table in MenuCommands.cpp.
  struct MenuHandler;
  void MenuAction(MenuId id);
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

  // Recording and playback.
  void EndRecording(ReplayEnding how);
  void RunPlayback();
  void LoadBackgroundOfSize(const std::string& path, int32_t width, int32_t height);
  void HoldLastPicture();
  void WatcherCommand(MenuId id);
  void RecordedMenuCommand(MenuId id) override;
  void RecordedSettings(const ReplayEvent& event) override;
  void RecordedRankingReset() override;
  void PlaybackEnded(const ReplayVerdict& verdict) override;

  Platform& real_;
  uint64_t currentFrame_ = 0;
  RecordingPlatform recorder_;
  PlaybackPlatform player_;
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
  bool inTitle_ = false;
  uint64_t titleFrame_ = 0;
  bool settingsApplied_ = false;
  bool awaitingName_ = false;  // a game over's recording, handed over once the name is in
  std::shared_ptr<const Replay> pendingReplay_;
  std::shared_ptr<const Replay> playing_;
  bool skipStartUp_ = false;
  bool backgroundMissing_ = false;
  bool holdCut_ = false;
  uint32_t playbackHoldMs_ = 2000;
};

}  // namespace pelaryn
