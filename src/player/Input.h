#pragma once

#include <cstdint>

#include "render/GameContext.h"

namespace pelaryn {

// Polls the six keys in a fixed order; opposite directions held together both act.
void ReadKeyboard(GameContext& g);

// Asks for joystick 1's axis ranges and centres it; a failed query leaves the centres alone.
// Returns the platform's result, 0 on success.
int16_t QueryJoystickCaps(GameContext& g);

// Reads joystick `joystick` into `state`; on success the button code is 2 x the button mask,
// otherwise 0. Returns the platform's result, 0 on success.
int16_t GetJoystickState(GameContext& g, int16_t& joystick, JoyStateRecord& state,
                         int16_t& buttonCode);

// Moves and fires from joystick 1: one direction per axis beyond the dead zone, and at most one
// shot (button 1 alone: straight; button 2 with or without 1: spread).
void ReadJoystick(GameContext& g);

}  // namespace pelaryn
