#include "replay/Recorder.h"

#include <algorithm>

#include "replay/StateCodec.h"

namespace pelaryn {
namespace {

// Room for 120,000 frames of busy play: an hour and a half without a reallocation.
constexpr std::size_t ReservedInput = 512 * 1024;
constexpr std::size_t ReservedCheckpoints = 120000 / CheckpointEvery + 2;

}  // namespace

void RecordingPlatform::Begin(const GameState& state, const Random& random,
                              const std::string& backgroundPath, int32_t backgroundWidth,
                              int32_t backgroundHeight, int64_t playedAt) {
  state_ = &state;
  random_ = &random;
  replay_.GameVersion = std::string(GameVersion());
  replay_.PlayedAt = playedAt;
  replay_.Name.clear();
  replay_.Result = ReplayResult{};
  replay_.Start = state;
  replay_.RandomWords = random.StateWords();
  replay_.RandomDraws = random.Draws();
  replay_.BackgroundPath = backgroundPath;
  replay_.BackgroundWidth = backgroundWidth;
  replay_.BackgroundHeight = backgroundHeight;
  replay_.Input.clear();
  replay_.Input.reserve(ReservedInput);
  replay_.Checkpoints.clear();
  replay_.Checkpoints.reserve(ReservedCheckpoints);
  lastFrame_ = 0;
  keys_ = keysWritten_ = 0;
  joy_ = joyWritten_ = ReplayJoy{};
  joyRead_ = false;
}

void RecordingPlatform::Append(ReplayEventType type) {
  ReplayEvent event;
  event.Frame = Frame();
  event.Type = type;
  event.Keys = keys_;
  event.Joy = joy_;
  AppendEvent(replay_.Input, lastFrame_, event);
}

// Keys and pad are written once per frame, as they stood after the frame read them, and only
// when they changed: a player holding a direction costs nothing.
void RecordingPlatform::Flush() {
  if (keys_ != keysWritten_) {
    Append(ReplayEventType::Keys);
    keysWritten_ = keys_;
  }
  if (joyRead_ && joy_ != joyWritten_) {
    Append(ReplayEventType::Joy);
    joyWritten_ = joy_;
  }
}

bool RecordingPlatform::KeyDown(int virtualKey) {
  const bool down = Inner().KeyDown(virtualKey);
  if (!Active()) return down;
  const auto* key = std::find(ReplayKeys.begin(), ReplayKeys.end(), virtualKey);
  if (key == ReplayKeys.end()) return down;
  const auto bit = static_cast<uint16_t>(1u << (key - ReplayKeys.begin()));
  keys_ = down ? static_cast<uint16_t>(keys_ | bit) : static_cast<uint16_t>(keys_ & ~bit);
  return down;
}

int RecordingPlatform::JoyGetPos(JoyInfo& info) {
  const int result = Inner().JoyGetPos(info);
  if (!Active()) return result;
  joy_.Result = result;
  // A failed reading leaves the game's record as it was, so what it held is not the answer.
  joy_.Info = result == 0 ? info : JoyInfo{};
  joyRead_ = true;
  return result;
}

void RecordingPlatform::ProcessEvents() {
  if (Active()) {
    Flush();
    if (Frame() % CheckpointEvery == 0) {
      replay_.Checkpoints.push_back(StateFingerprint(*state_, *random_));
    }
  }
  Inner().ProcessEvents();
}

void RecordingPlatform::NoteMenu(MenuId id) {
  if (!Active()) return;
  Flush();
  ReplayEvent event;
  event.Frame = Frame();
  event.Type = ReplayEventType::Menu;
  event.Menu = id;
  AppendEvent(replay_.Input, lastFrame_, event);
}

void RecordingPlatform::NoteSettings(const GameState& s, int32_t pictureWidth,
                                     int32_t pictureHeight) {
  if (!Active()) return;
  Flush();
  ReplayEvent event;
  event.Frame = Frame();
  event.Type = ReplayEventType::WindowSettings;
  event.PictureWidth = pictureWidth;
  event.PictureHeight = pictureHeight;
  AppendEvent(replay_.Input, lastFrame_, event, &s);
}

void RecordingPlatform::NoteRankingReset() {
  if (!Active()) return;
  Flush();
  Append(ReplayEventType::RankingReset);
}

Replay& RecordingPlatform::Finish(ReplayEnding how) {
  if (!Active()) return replay_;
  Flush();
  const GameState& s = *state_;
  // A game that ends in the frame of a checkpoint has no yield there to take it.
  const uint64_t fingerprint = StateFingerprint(s, *random_);
  if (Frame() % CheckpointEvery == 0 && replay_.Checkpoints.size() < Frame() / CheckpointEvery) {
    replay_.Checkpoints.push_back(fingerprint);
  }
  replay_.Checkpoints.push_back(fingerprint);
  Append(ReplayEventType::End);
  replay_.Result = {how, Frame(), s.Score, s.MaxCombo, s.ShotRatio, s.Level};
  state_ = nullptr;
  random_ = nullptr;
  return replay_;
}

}  // namespace pelaryn
