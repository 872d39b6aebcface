#pragma once

#include <cstdint>
#include <string>

#include "base/GameState.h"
#include "base/Random.h"
#include "replay/ForwardingPlatform.h"
#include "replay/ReplayFile.h"

namespace pelaryn {

// Passes every call through and, while a game is recorded, notes what the game read from the
// keys and the pad, frame by frame, and takes the checkpoints at the yields. The menu commands
// and settings that reach the game are told to it by the game. Once a game runs, recording
// allocates nothing until its input outgrows the room reserved for an hour and a half of play.
class RecordingPlatform : public ForwardingPlatform {
 public:
  // `frame` is the game's frame counter, read at every call.
  RecordingPlatform(Platform& inner, const uint64_t& frame)
      : ForwardingPlatform(inner), frame_(frame) {}

  // Starts recording the game that `state` and `random` are about to play, on a background
  // picture of the given size. The state and source are read again at every checkpoint.
  void Begin(const GameState& state, const Random& random, const std::string& backgroundPath,
             int32_t backgroundWidth, int32_t backgroundHeight, int64_t playedAt);
  bool Active() const { return state_ != nullptr; }

  // A menu command (効果音, オートショット, ポーズ) that reached the game in this frame's yield.
  void NoteMenu(MenuId id);
  // The settings window applied the settings `s` now holds; the background is now this size.
  void NoteSettings(const GameState& s, int32_t pictureWidth, int32_t pictureHeight);
  void NoteRankingReset();
  // Ends the recording: the last checkpoint and the result. The replay stays here, for the game
  // to add the name typed at game over, until the next Begin.
  Replay& Finish(ReplayEnding how);
  Replay& Finished() { return replay_; }

  bool KeyDown(int virtualKey) override;
  int JoyGetPos(JoyInfo& info) override;
  void ProcessEvents() override;

 private:
  uint32_t Frame() const { return static_cast<uint32_t>(frame_); }
  void Flush();
  void Append(ReplayEventType type);

  const uint64_t& frame_;
  const GameState* state_ = nullptr;
  const Random* random_ = nullptr;
  Replay replay_;
  uint32_t lastFrame_ = 0;
  uint16_t keys_ = 0;
  uint16_t keysWritten_ = 0;
  ReplayJoy joy_;
  ReplayJoy joyWritten_;
  bool joyRead_ = false;
};

}  // namespace pelaryn
