#include "replay/ReplayFile.h"

#include <algorithm>

#include "base/Field.h"
#include "base/Fingerprint.h"
#include "base/RegularFile.h"
#include "replay/ByteStream.h"
#include "replay/StateCodec.h"

namespace pelaryn {
namespace {

constexpr uint8_t JoyResult = 1, JoyX = 2, JoyY = 4, JoyZ = 8, JoyButtons = 16;
constexpr int EventTypeBits = 3;
// More frames than this is more than three years of play: not a file we wrote.
constexpr uint64_t MaxFrames = uint64_t{1} << 31;

// A background as the game holds it: enlarged to the field, and no larger than the picture
// loader reads.
bool PlausiblePicture(uint64_t width, uint64_t height) {
  return width >= FieldWidth && height >= FieldHeight && width <= 4096 && height <= 4096;
}

bool IsRecordedCommand(uint64_t id) {
  return id == static_cast<uint64_t>(MenuId::Pause) || id == static_cast<uint64_t>(MenuId::Se) ||
         id == static_cast<uint64_t>(MenuId::Autoshot);
}

}  // namespace

void AppendEvent(std::vector<uint8_t>& input, uint32_t& lastFrame, const ReplayEvent& event,
                 const GameState* settings) {
  ByteWriter out(input);
  out.Varint((uint64_t{event.Frame - lastFrame} << EventTypeBits) |
             static_cast<uint64_t>(event.Type));
  lastFrame = event.Frame;
  switch (event.Type) {
    case ReplayEventType::Keys:
      out.Varint(event.Keys);
      break;
    case ReplayEventType::Joy: {
      const JoyInfo& info = event.Joy.Info;
      out.U8(JoyResult | JoyX | JoyY | JoyZ | JoyButtons);
      out.Signed(event.Joy.Result);
      for (const uint32_t value : {info.XPos, info.YPos, info.ZPos, info.Buttons}) {
        out.Varint(value);
      }
      break;
    }
    case ReplayEventType::Menu:
      out.U8(static_cast<uint8_t>(event.Menu));
      break;
    case ReplayEventType::WindowSettings:
      WriteWindowSettings(out, *settings);
      out.Varint(static_cast<uint32_t>(event.PictureWidth));
      out.Varint(static_cast<uint32_t>(event.PictureHeight));
      break;
    case ReplayEventType::RankingReset:
    case ReplayEventType::End:
      break;
  }
}

bool ReplayEventReader::Next(ReplayEvent& event, std::string* why) {
  if (AtEnd()) return false;
  ByteReader in(bytes_.substr(pos_));
  auto fail = [&](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  const uint64_t head = in.Varint();
  const uint64_t type = head & ((1u << EventTypeBits) - 1);
  const uint64_t delta = head >> EventTypeBits;
  if (!in.Ok()) return fail("an event is cut short");
  if (type > static_cast<uint64_t>(ReplayEventType::End)) return fail("an unknown event");
  if (delta >= MaxFrames - frame_) return fail("an event lies beyond the last frame");
  event = ReplayEvent{};
  event.Frame = frame_ + static_cast<uint32_t>(delta);
  event.Type = static_cast<ReplayEventType>(type);
  switch (event.Type) {
    case ReplayEventType::Keys: {
      const uint64_t keys = in.Varint();
      if (keys >= (1u << ReplayKeys.size())) return fail("a key that is not polled");
      event.Keys = static_cast<uint16_t>(keys);
      break;
    }
    case ReplayEventType::Joy: {
      const uint8_t fields = in.U8();
      if (fields != (JoyResult | JoyX | JoyY | JoyZ | JoyButtons)) return fail("a bad pad event");
      const int64_t result = in.Signed();
      if (result < INT32_MIN || result > INT32_MAX) return fail("a bad pad answer");
      event.Joy.Result = static_cast<int32_t>(result);
      for (uint32_t* value : {&event.Joy.Info.XPos, &event.Joy.Info.YPos, &event.Joy.Info.ZPos,
                              &event.Joy.Info.Buttons}) {
        const uint64_t v = in.Varint();
        if (v > UINT32_MAX) return fail("a bad pad reading");
        *value = static_cast<uint32_t>(v);
      }
      break;
    }
    case ReplayEventType::Menu: {
      const uint8_t id = in.U8();
      if (!IsRecordedCommand(id)) return fail("a menu command that is not recorded");
      event.Menu = static_cast<MenuId>(id);
      break;
    }
    case ReplayEventType::WindowSettings: {
      const std::size_t start = in.Position();
      GameState scratch;
      if (!ReadWindowSettings(in, scratch)) return fail("bad settings");
      event.SettingsBytes = bytes_.substr(pos_ + start, in.Position() - start);
      const uint64_t width = in.Varint(), height = in.Varint();
      if (!PlausiblePicture(width, height)) return fail("a bad picture size");
      event.PictureWidth = static_cast<int32_t>(width);
      event.PictureHeight = static_cast<int32_t>(height);
      break;
    }
    case ReplayEventType::RankingReset:
    case ReplayEventType::End:
      break;
  }
  if (!in.Ok()) return fail("an event is cut short");
  pos_ += in.Position();
  frame_ = event.Frame;
  return true;
}

std::optional<Replay> LoadReplay(const std::string& path, ReplayFault& fault,
                                 std::string& readError) {
  fault = ReplayFault::None;
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxReplayFileSize, readError);
  if (!bytes) return std::nullopt;
  return DecodeReplay(*bytes, fault);
}

void ApplyEventSettings(const ReplayEvent& event, GameState& s) {
  ByteReader in(event.SettingsBytes);
  ReadWindowSettings(in, s);
}

std::string_view GameVersion() {
  return PELARYN_VERSION;
}

std::string_view ReplayFaultText(ReplayFault fault) {
  switch (fault) {
    case ReplayFault::None:
      return "";
    case ReplayFault::NotReplay:
      return "リプレイファイルではありません";
    case ReplayFault::OtherFormat:
      return "この版では読めない形式のリプレイです";
    case ReplayFault::CutShort:
      return "ファイルが途中で切れています";
    case ReplayFault::Damaged:
      return "ファイルが壊れています";
  }
  return "";
}

std::string_view ReplayFaultName(ReplayFault fault) {
  switch (fault) {
    case ReplayFault::None:
      return "";
    case ReplayFault::NotReplay:
      return "not a replay file";
    case ReplayFault::OtherFormat:
      return "a replay of another format version";
    case ReplayFault::CutShort:
      return "the replay is cut short";
    case ReplayFault::Damaged:
      return "the replay is damaged";
  }
  return "";
}

std::string EncodeReplay(const Replay& replay) {
  std::vector<uint8_t> bytes;
  bytes.reserve(replay.Input.size() + replay.Checkpoints.size() * 8 + 16384);
  ByteWriter out(bytes);
  for (const char c : ReplayMagic) out.U8(static_cast<uint8_t>(c));
  out.Fixed(replay.FormatVersion, 2);
  const std::size_t lengthAt = bytes.size();
  out.Fixed(0, 8);  // the file's length, filled in below
  out.Text(replay.GameVersion);
  out.Fixed(static_cast<uint64_t>(replay.PlayedAt), 8);
  out.Text(replay.Name);
  const ReplayResult& r = replay.Result;
  out.U8(static_cast<uint8_t>(r.Ending));
  out.Varint(r.Frames);
  out.Fixed(static_cast<uint32_t>(r.Score), 4);
  out.Fixed(static_cast<uint16_t>(r.MaxCombo), 2);
  out.U8(r.ShotRatio);
  out.Fixed(static_cast<uint16_t>(r.Level), 2);
  WriteState(out, replay.Start);
  for (const uint64_t word : replay.RandomWords) out.Fixed(word, 8);
  out.Fixed(replay.RandomDraws, 8);
  out.Text(replay.BackgroundPath);
  out.Fixed(static_cast<uint32_t>(replay.BackgroundWidth), 4);
  out.Fixed(static_cast<uint32_t>(replay.BackgroundHeight), 4);
  out.Varint(replay.Input.size());
  bytes.insert(bytes.end(), replay.Input.begin(), replay.Input.end());
  out.Varint(replay.Checkpoints.size());
  for (const uint64_t checkpoint : replay.Checkpoints) out.Fixed(checkpoint, 8);
  const uint64_t length = bytes.size() + 8;
  for (int i = 0; i < 8; ++i) bytes[lengthAt + i] = static_cast<uint8_t>(length >> (8 * i));
  out.Fixed(Fingerprint(bytes.data(), bytes.size()), 8);
  return std::string(bytes.begin(), bytes.end());
}

std::optional<Replay> DecodeReplay(std::string_view bytes, ReplayFault& fault) {
  fault = ReplayFault::None;
  auto refuse = [&](ReplayFault why) -> std::optional<Replay> {
    fault = why;
    return std::nullopt;
  };
  constexpr std::size_t headSize = ReplayMagic.size() + 2 + 8;
  if (bytes.empty()) return refuse(ReplayFault::NotReplay);
  if (bytes.size() < headSize) {
    const std::size_t common = std::min(bytes.size(), ReplayMagic.size());
    return refuse(bytes.substr(0, common) == ReplayMagic.substr(0, common)
                      ? ReplayFault::CutShort
                      : ReplayFault::NotReplay);
  }
  if (!bytes.starts_with(ReplayMagic)) return refuse(ReplayFault::NotReplay);
  ByteReader in(bytes.substr(ReplayMagic.size()));
  Replay replay;
  replay.FormatVersion = static_cast<uint16_t>(in.Fixed(2));
  if (replay.FormatVersion != ReplayFormatVersion) return refuse(ReplayFault::OtherFormat);
  // The length the file was written with tells a file cut short from a damaged one; the
  // fingerprint at its end finds the damage.
  const uint64_t length = in.Fixed(8);
  if (bytes.size() < length) return refuse(ReplayFault::CutShort);
  if (bytes.size() > length || length < headSize + 8) return refuse(ReplayFault::Damaged);
  ByteReader tail(bytes.substr(bytes.size() - 8));
  if (tail.Fixed(8) != Fingerprint(bytes.data(), bytes.size() - 8)) {
    return refuse(ReplayFault::Damaged);
  }

  replay.GameVersion = in.Text(64);
  replay.PlayedAt = static_cast<int64_t>(in.Fixed(8));
  replay.Name = in.Text(MaxReplayText);
  ReplayResult& r = replay.Result;
  const uint8_t ending = in.U8();
  r.Ending = static_cast<ReplayEnding>(ending);
  const uint64_t frames = in.Varint();
  r.Frames = static_cast<uint32_t>(frames);
  r.Score = static_cast<int32_t>(in.Fixed(4));
  r.MaxCombo = static_cast<int16_t>(in.Fixed(2));
  r.ShotRatio = in.U8();
  r.Level = static_cast<int16_t>(in.Fixed(2));
  ReadState(in, replay.Start);
  for (uint64_t& word : replay.RandomWords) word = in.Fixed(8);
  replay.RandomDraws = in.Fixed(8);
  replay.BackgroundPath = in.Text(MaxReplayText);
  replay.BackgroundWidth = static_cast<int32_t>(in.Fixed(4));
  replay.BackgroundHeight = static_cast<int32_t>(in.Fixed(4));
  const uint64_t inputSize = in.Varint();
  if (in.Ok() && inputSize <= in.Left()) {
    const std::size_t at = ReplayMagic.size() + in.Position();
    replay.Input.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + inputSize));
    for (uint64_t i = 0; i < inputSize; ++i) in.U8();
  } else {
    in.Fail();
  }
  const uint64_t checkpoints = in.Varint();
  if (in.Ok() && checkpoints <= in.Left() / 8) {
    replay.Checkpoints.reserve(static_cast<std::size_t>(checkpoints));  // within the bytes left
    for (uint64_t i = 0; i < checkpoints; ++i) replay.Checkpoints.push_back(in.Fixed(8));
  } else {
    in.Fail();
  }
  if (!in.Ok() || in.Left() != 8) return refuse(ReplayFault::Damaged);

  // Intact, but is it one we could have written?
  const bool sane = ending >= 1 && ending <= 3 && frames >= 1 && frames < MaxFrames &&
                    checkpoints == frames / CheckpointEvery + 1 && replay.Start.FramePeriod > 0 &&
                    replay.Start.FramePeriod <= 1000 &&
                    PlausiblePicture(static_cast<uint32_t>(replay.BackgroundWidth),
                                     static_cast<uint32_t>(replay.BackgroundHeight));
  if (!sane) return refuse(ReplayFault::Damaged);
  ReplayEventReader events(replay.Input);
  ReplayEvent event;
  bool ended = false;
  while (events.Next(event)) {
    if (ended || event.Frame > r.Frames) return refuse(ReplayFault::Damaged);
    ended = event.Type == ReplayEventType::End;
    if (ended && event.Frame != r.Frames) return refuse(ReplayFault::Damaged);
  }
  if (!events.AtEnd() || !ended) return refuse(ReplayFault::Damaged);
  return replay;
}

}  // namespace pelaryn
