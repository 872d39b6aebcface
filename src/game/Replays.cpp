#include <chrono>
#include <string>

#include "audio/Music.h"
#include "base/Paths.h"
#include "game/Game.h"
#include "persist/Ranking.h"

namespace pelaryn {

int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void Game::EndRecording(ReplayEnding how) {
  if (!recorder_.Active()) return;
  recorder_.Finish(how);
  if (how == ReplayEnding::GameOver) {
    awaitingName_ = true;
  } else if (OnReplayRecorded) {
    OnReplayRecorded(recorder_.Finished());
  }
}

void Game::RequestExit() {
  if (playing_) {
    player_.Abandon();
  } else {
    EndRecording(ReplayEnding::Exit);
  }
  request_ = Request::Exit;
}

void Game::RequestStop() {
  if (playing_) player_.Abandon();
  request_ = Request::Stop;
}

bool Game::PlayReplay(std::shared_ptr<const Replay> replay) {
  if (!replay || playing_) return false;
  if (const ReplayVerdict verdict = CheckGameVersion(*replay); verdict.Refused()) {
    if (OnPlaybackEnded) OnPlaybackEnded(verdict);
    real_.Windows().MessageBox(VerdictMessage(verdict, replay->GameVersion));
    return false;
  }
  pendingReplay_ = std::move(replay);
  if (inTitle_) {
    skipStartUp_ = true;
    request_ = Request::Restart;
  } else if (currentFrame_ > 0 && request_ == Request::None) {
    MnuResetClick();
  }
  return true;
}

// The picture the recording had, when one of that size is here; else black of that size, so
// that the scroll, which wraps at the picture's size, runs exactly as it did.
void Game::LoadBackgroundOfSize(const std::string& path, int32_t width, int32_t height) {
  LoadBackground(path);
  if (picBack_.Width() != width || picBack_.Height() != height) {
    picBack_ = Surface(width, height, Rgb(0, 0, 0));
    backgroundMissing_ = true;
  }
}

void Game::RunPlayback() {
  const std::shared_ptr<const Replay> replay = std::move(pendingReplay_);
  pendingReplay_.reset();
  // The player's own state, given back whole however the playback ends.
  const GameState saved = state_;
  const Random savedRandom = random_;
  playing_ = replay;
  backgroundMissing_ = false;
  holdCut_ = false;
  state_ = replay->Start;
  random_ = Random::FromState(replay->RandomWords, replay->RandomDraws);
  LoadBackgroundOfSize(replay->BackgroundPath, replay->BackgroundWidth, replay->BackgroundHeight);
  currentFrame_ = 0;
  player_.Begin(*replay, *this, state_, random_);
  // The piece the recorded game drew at its start, in place of the title's.
  StopMusic(platform_);
  const GameState& s = state_;
  if (s.Bgm[0].Enabled || s.Bgm[1].Enabled) PlayMusic(platform_, s.Bgm[s.BgmIndex & 1].Path);
  while (RunFrame()) {
  }
  const bool finished = player_.Ended() && !player_.Abandoned();
  const ReplayVerdict verdict = player_.Verdict();
  if (OnPlaybackEnded) OnPlaybackEnded(verdict);
  if (finished && request_ == Request::Restart) HoldLastPicture();
  player_.Stop();
  StopMusicAndClearField(ctx_);
  if (verdict.Refused() && request_ != Request::Stop) {
    real_.Windows().MessageBox(VerdictMessage(verdict, replay->GameVersion));
  }
  playing_.reset();
  backgroundMissing_ = false;
  state_ = saved;
  random_ = savedRandom;
  picBack_ = Surface();
  currentFrame_ = 0;
  if (request_ == Request::None) request_ = Request::Restart;
}

// The last picture stays a while, the window still answering, before the title returns.
void Game::HoldLastPicture() {
  const uint32_t start = real_.TimeGetTime();
  while (!holdCut_ && request_ == Request::Restart &&
         real_.TimeGetTime() - start < playbackHoldMs_) {
    real_.ProcessEvents();
    real_.Sleep(10);
  }
}

// The watcher's own menu clicks during a playback: only the playback's controls and the
// windows that change nothing.
void Game::WatcherCommand(MenuId id) {
  switch (id) {
    case MenuId::Pause:
      player_.TogglePause();
      break;
    case MenuId::Reset:
      player_.Abandon();
      holdCut_ = true;
      if (request_ == Request::None) request_ = Request::Restart;
      break;
    case MenuId::Exit:
      RequestExit();
      break;
    case MenuId::Manual:
      real_.Windows().ShowManual(InProgramFolder(real_.ProgramFolder(), {"pelaryn.html"}));
      break;
    case MenuId::Version:
      real_.Windows().ShowAbout();
      break;
    default:
      break;
  }
}

void Game::RecordedMenuCommand(MenuId id) {
  if (state_.Menu.Enabled(id)) MenuAction(id);
}

void Game::RecordedSettings(const ReplayEvent& event) {
  ApplyEventSettings(event, state_);
  state_.BackSetting.OffsetX = 0;
  state_.BackSetting.OffsetY = 0;
  LoadBackgroundOfSize(state_.BackSetting.BackImagePath, event.PictureWidth, event.PictureHeight);
}

void Game::RecordedRankingReset() {
  ResetRanking(state_);
}

void Game::PlaybackEnded(const ReplayVerdict&) {
  if (request_ == Request::None) request_ = Request::Restart;
}

}  // namespace pelaryn
