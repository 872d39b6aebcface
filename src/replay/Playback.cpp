#include "replay/Playback.h"

#include <algorithm>

#include "replay/StateCodec.h"

namespace pelaryn {

PlaybackPlatform::PlaybackPlatform(Platform& inner, const uint64_t& frame)
    : ForwardingPlatform(inner), frame_(frame) {}

void PlaybackPlatform::Begin(const Replay& replay, ReplayTarget& target, const GameState& state,
                             const Random& random) {
  replay_ = &replay;
  target_ = &target;
  state_ = &state;
  random_ = &random;
  events_.emplace(replay.Input);
  hasNext_ = events_->Next(next_);
  keys_ = 0;
  joy_ = ReplayJoy{};
  ended_ = abandoned_ = atGameOver_ = false;
  verdict_ = VerdictAt(ReplayCheck::Unfinished);
  paused_ = false;
  dialogs_.name = replay.Name;
}

void PlaybackPlatform::Stop() {
  replay_ = nullptr;
  target_ = nullptr;
  events_.reset();
  hasNext_ = false;
  paused_ = false;
}

void PlaybackPlatform::Advance() {
  hasNext_ = events_->Next(next_);
}

void PlaybackPlatform::TakeInput() {
  while (HasEventNow() &&
         (next_.Type == ReplayEventType::Keys || next_.Type == ReplayEventType::Joy)) {
    if (next_.Type == ReplayEventType::Keys) {
      keys_ = next_.Keys;
    } else {
      joy_ = next_.Joy;
    }
    Advance();
  }
}

void PlaybackPlatform::End(const ReplayVerdict& verdict) {
  if (ended_) return;
  ended_ = true;
  verdict_ = verdict;
  paused_ = false;
  target_->PlaybackEnded(verdict_);
}

void PlaybackPlatform::DeliverOne() {
  TakeInput();
  if (!HasEventNow() || ended_) return;
  // Taken before the event runs: a pause runs the events after it from inside its wait.
  const ReplayEvent event = next_;
  Advance();
  switch (event.Type) {
    case ReplayEventType::Menu:
      target_->RecordedMenuCommand(event.Menu);
      break;
    case ReplayEventType::WindowSettings:
      target_->RecordedSettings(event);
      break;
    case ReplayEventType::RankingReset:
      target_->RecordedRankingReset();
      break;
    case ReplayEventType::End: {
      if (StateFingerprint(*state_, *random_) != replay_->Checkpoints.back() ||
          Frame() != replay_->Result.Frames) {
        Differs();
        break;
      }
      // The recording's own game, to its end: what remains is whether the head tells of it.
      const GameState& s = *state_;
      const ReplayResult made{atGameOver_ ? ReplayEnding::GameOver : ReplayEnding::Reset,
                              Frame(),
                              s.Score,
                              s.MaxCombo,
                              s.ShotRatio,
                              s.Level};
      End(CheckClaims(replay_->Result, made));
      break;
    }
    case ReplayEventType::Keys:
    case ReplayEventType::Joy:
      break;
  }
}

void PlaybackPlatform::CheckPeriodic() {
  const uint32_t frame = Frame();
  if (frame % CheckpointEvery != 0) return;
  const std::size_t index = frame / CheckpointEvery - 1;
  // The last checkpoint is the end's; a game that runs on past its recorded end differs there.
  if (index + 1 >= replay_->Checkpoints.size() ||
      StateFingerprint(*state_, *random_) != replay_->Checkpoints[index]) {
    Differs();
  }
}

void PlaybackPlatform::ProcessEvents() {
  if (!Active()) return Inner().ProcessEvents();
  if (!ended_) CheckPeriodic();
  TakeInput();
  Inner().ProcessEvents();
  while (paused_ && !ended_) Inner().WaitEvents();
  // Each recorded command may stop the game; the rest of the yield then has nothing to do.
  while (!ended_ && HasEventNow()) DeliverOne();
  // A recording ends with its End event; one that runs out before it has been played out.
  if (!ended_ && !hasNext_) Differs();
}

// The pause's wait: the recording's next command of this frame is what ended it, so it is
// handed over at once; the watcher's own events wait for the next yield, since a yield of the
// platform's may count as a frame (the headless one's does).
void PlaybackPlatform::WaitEvents() {
  if (!Active()) return Inner().WaitEvents();
  while (paused_ && !ended_) Inner().WaitEvents();
  if (ended_) return;
  if (HasEventNow()) return DeliverOne();
  Differs();  // a pause the recording never left
}

void PlaybackPlatform::GameOverReached() {
  if (!Active() || ended_) return;
  TakeInput();
  atGameOver_ = true;
  if (HasEventNow() && next_.Type == ReplayEventType::End) return DeliverOne();
  Differs();
}

void PlaybackPlatform::WaitUntil(uint32_t start, uint32_t micros) {
  Inner().WaitUntil(start, Active() && fast_ ? micros / 4 : micros);
}

bool PlaybackPlatform::KeyDown(int virtualKey) {
  if (!Active()) return Inner().KeyDown(virtualKey);
  TakeInput();
  const auto* key = std::find(ReplayKeys.begin(), ReplayKeys.end(), virtualKey);
  return key != ReplayKeys.end() && (keys_ >> (key - ReplayKeys.begin()) & 1) != 0;
}

int PlaybackPlatform::JoyGetPos(JoyInfo& info) {
  if (!Active()) return Inner().JoyGetPos(info);
  TakeInput();
  if (joy_.Result == 0) info = joy_.Info;
  return joy_.Result;
}

Dialogs& PlaybackPlatform::Windows() {
  return Active() ? dialogs_ : Inner().Windows();
}

FileStore& PlaybackPlatform::Files() {
  return Active() ? files_ : Inner().Files();
}

}  // namespace pelaryn
