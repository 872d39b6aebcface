#pragma once

#include <cstdint>
#include <vector>

#include "base/GameState.h"
#include "base/Random.h"
#include "replay/ByteStream.h"

namespace pelaryn {

// The longest path or name a replay may hold; the settings file holds nothing longer.
inline constexpr std::size_t MaxReplayText = 4096;

// Every field of the game state a frame may read, settings, ranking and menu included, in a
// fixed order and at its own width. Replays store the start of a game this way, and the
// checkpoints fingerprint the same bytes.
void WriteState(ByteWriter& out, const GameState& s);
bool ReadState(ByteReader& in, GameState& s);

// What the settings window applies (更新 or OK): the background, the music, the difficulty,
// the joystick and the title animation. The menu's switches are commands of their own.
void WriteWindowSettings(ByteWriter& out, const GameState& s);
bool ReadWindowSettings(ByteReader& in, GameState& s);

// A 64-bit FNV-1a fingerprint of the state as WriteState stores it and of the random source
// (its words and draws), computed without a buffer.
uint64_t StateFingerprint(const GameState& s, const Random& random);

}  // namespace pelaryn
