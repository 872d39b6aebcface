#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/GameState.h"
#include "base/Menu.h"

namespace pelaryn {

// A replay file: one game from its first frame to its end, with the state it started from, the
// input it read and fingerprints to check a playback against. Little-endian throughout:
//
//   magic "PELRPY\x1a\n", format version (u16), game version (text), played at (i64, Unix
//   seconds UTC), name typed at game over (text), ending (u8), frames, Score, MaxCombo,
//   ShotRatio, Level; the start state; the random source (four words and its draws); the
//   background's path, width and height; the input events; the checkpoints; a fingerprint of
//   every byte before it.
//
// Texts are a varint length and UTF-8 bytes; "frames" and event frames are varints.
inline constexpr std::string_view ReplayMagic{"PELRPY\x1a\n", 8};
inline constexpr uint16_t ReplayFormatVersion = 1;
// A fingerprint of the state every this many frames, and one after the last frame.
inline constexpr uint32_t CheckpointEvery = 100;
// The name of a replay file ends so.
inline constexpr std::string_view ReplayExtension = ".pelrpy";

enum class ReplayEnding : uint8_t { GameOver = 1, Reset = 2, Exit = 3 };

// What a game's input was, one change at a time, each at the frame that first read it (keys,
// pad) or in whose yield it came (the rest).
enum class ReplayEventType : uint8_t {
  Keys,            // the ten polled keys as a mask, bit i = ReplayKeys[i]
  Joy,             // the pad's answer and reading
  Menu,            // 効果音, オートショット or ポーズ clicked
  WindowSettings,  // 更新 or OK of the settings window, with the values applied
  RankingReset,    // 初期化 of the ranking window, confirmed
  End,             // the game ended here (how: the header's ending)
};

// The keys the game polls, in the order of the key mask's bits.
inline constexpr std::array<int, 10> ReplayKeys{vk::Left,    vk::Right,  vk::Up,      vk::Down,
                                                vk::Z,       vk::X,      vk::Numpad2, vk::Numpad4,
                                                vk::Numpad6, vk::Numpad8};

struct ReplayJoy {
  int32_t Result = 0;  // what JoyGetPos answered; 0 when the reading is valid
  JoyInfo Info;
  bool operator==(const ReplayJoy&) const = default;
};

struct ReplayEvent {
  uint32_t Frame = 0;
  ReplayEventType Type = ReplayEventType::End;
  uint16_t Keys = 0;
  ReplayJoy Joy;
  MenuId Menu = MenuId::Pause;
  // Settings: the values applied, and the size of the background they gave.
  std::string_view SettingsBytes;
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
};

struct ReplayResult {
  ReplayEnding Ending = ReplayEnding::Exit;
  uint32_t Frames = 0;
  int32_t Score = 0;
  int16_t MaxCombo = 0;
  uint8_t ShotRatio = 0;
  int16_t Level = 0;
};

struct Replay {
  uint16_t FormatVersion = ReplayFormatVersion;
  std::string GameVersion;
  int64_t PlayedAt = 0;
  std::string Name;
  ReplayResult Result;
  GameState Start;
  std::array<uint64_t, 4> RandomWords{};
  uint64_t RandomDraws = 0;
  std::string BackgroundPath;
  int32_t BackgroundWidth = 0;
  int32_t BackgroundHeight = 0;
  std::vector<uint8_t> Input;  // the events, as AppendEvent writes them
  std::vector<uint64_t> Checkpoints;
};

// Appends one event to `input`, its frame counted from the event before (`lastFrame`, which it
// updates).
void AppendEvent(std::vector<uint8_t>& input, uint32_t& lastFrame, const ReplayEvent& event,
                 const GameState* settings = nullptr);

// Walks the events of a replay in order. The events are checked when the file is read, so a
// reader over a read replay never fails.
class ReplayEventReader {
 public:
  explicit ReplayEventReader(const std::vector<uint8_t>& input)
      : bytes_(reinterpret_cast<const char*>(input.data()), input.size()) {}
  // False at the end, or (with `why`) at an event that is not well formed.
  bool Next(ReplayEvent& event, std::string* why = nullptr);
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  uint32_t frame_ = 0;
};

// Why bytes are not a replay that can be played.
enum class ReplayFault { None, NotReplay, OtherFormat, CutShort, Damaged };
// The reason as the player reads it, and as the headless runner prints it.
std::string_view ReplayFaultText(ReplayFault fault);
std::string_view ReplayFaultName(ReplayFault fault);

std::string EncodeReplay(const Replay& replay);
// The replay the bytes hold; none, with the reason in `fault`, when they are not a replay, are
// of another format version, or are cut short or damaged. Nothing is allocated beyond a small
// multiple of the bytes' size.
std::optional<Replay> DecodeReplay(std::string_view bytes, ReplayFault& fault);

// Far more than hours of play: a bigger file is not a replay we wrote.
inline constexpr std::size_t MaxReplayFileSize = 64u << 20;
// The replay in the file at `path`; none when the file cannot be read (the reason in
// `readError`, `fault` None) or holds no replay that can be played (`fault`).
std::optional<Replay> LoadReplay(const std::string& path, ReplayFault& fault,
                                 std::string& readError);

// Applies the settings of a Settings event to `s`.
void ApplyEventSettings(const ReplayEvent& event, GameState& s);

// The game's version, as CMake knows it ("0.99").
std::string_view GameVersion();

}  // namespace pelaryn
