#pragma once

#include <string>

#include "base/CoreContext.h"

namespace pelaryn {

// Opens the piece under the one music device and plays it. Opening while a piece is open fails,
// and the play then acts on the piece already open: callers stop first when they change pieces.
void PlayMusic(Platform& platform, const std::string& path);

// Stops and closes the open piece.
void StopMusic(Platform& platform);

// Plays the piece again from its beginning once it has ended; the only way music loops.
void KeepMusicLooping(Platform& platform);

// Chooses the play music for a new game or after a boss: one random draw only when both slots
// are enabled; with neither enabled nothing plays and BgmIndex keeps its value.
void StartPlayMusic(CoreContext& g);

// Silences the music and frees every shot, enemy, enemy shot, boss bomb and boss bullet.
void StopMusicAndClearField(CoreContext& g);

// Tells the music device which pieces the settings turn on, so that it may prepare them ahead
// and let go of any other.
void KeepNamedMusic(Platform& platform, const GameState& s);

}  // namespace pelaryn
