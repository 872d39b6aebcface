#include "HostileReplays.h"

#include <cstdint>
#include <optional>

#include "replay/ReplayFile.h"

namespace pelaryn {

std::string_view HostilityName(Hostility kind) {
  switch (kind) {
    case Hostility::ForgedScore:
      return "forged score";
    case Hostility::EditedStart:
      return "edited start";
    case Hostility::OtherVersion:
      return "other version";
    case Hostility::FlippedBit:
      return "flipped bit";
    case Hostility::CutShort:
      return "cut short";
    case Hostility::Noise:
      return "noise";
  }
  return "";
}

std::string MakeHostile(std::string_view fair, Hostility kind, std::mt19937_64& random) {
  std::string bytes(fair);
  const auto anywhere = [&](std::size_t from) {
    return from + static_cast<std::size_t>(random() % (bytes.size() - from));
  };
  switch (kind) {
    case Hostility::ForgedScore:
    case Hostility::EditedStart:
    case Hostility::OtherVersion: {
      ReplayFault fault = ReplayFault::None;
      std::optional<Replay> replay = DecodeReplay(fair, fault);
      if (!replay) return {};
      if (kind == Hostility::ForgedScore) {
        replay->Result.Score = replay->Result.Score * 2 + 1000;
      } else if (kind == Hostility::EditedStart) {
        replay->Start.Life = static_cast<int16_t>(replay->Start.Life + 5);
      } else {
        replay->GameVersion = GameVersion() == "0.98" ? "0.97" : "0.98";
      }
      return EncodeReplay(*replay);
    }
    case Hostility::FlippedBit:
      if (bytes.size() <= ReplayMagic.size()) return {};
      // Past the magic, so that the bytes still claim to be a replay.
      bytes[anywhere(ReplayMagic.size())] ^= static_cast<char>(1u << (random() % 8));
      return bytes;
    case Hostility::CutShort:
      if (bytes.size() < 2) return {};
      bytes.resize(anywhere(1));
      return bytes;
    case Hostility::Noise:
      for (char& c : bytes) c = static_cast<char>(random());
      return bytes;
  }
  return {};
}

}  // namespace pelaryn
