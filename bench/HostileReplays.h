#pragma once

#include <array>
#include <random>
#include <string>
#include <string_view>

namespace pelaryn {

// What a cheat, a broken client or a stranger may send a score board instead of a fair game.
// The first three are whole replays sealed again after the edit, so that only the board's own
// checks can find them; the rest are bytes that are no whole replay at all.
enum class Hostility {
  ForgedScore,   // the head claims a score the input did not make
  EditedStart,   // the start state's Life changed
  OtherVersion,  // recorded, it says, by a version of the game this board does not play
  FlippedBit,    // one bit of the file turned over
  CutShort,      // the file cut off before its end
  Noise,         // random bytes as long as the replay
};
inline constexpr std::array<Hostility, 6> Hostilities{
    Hostility::ForgedScore, Hostility::EditedStart, Hostility::OtherVersion,
    Hostility::FlippedBit,  Hostility::CutShort,    Hostility::Noise};

std::string_view HostilityName(Hostility kind);

// The bytes of `kind` made from the bytes of a fair replay; empty when those do not read as a
// replay.
std::string MakeHostile(std::string_view fair, Hostility kind, std::mt19937_64& random);

}  // namespace pelaryn
