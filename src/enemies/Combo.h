#pragma once

#include "base/GameState.h"
#include "render/GameContext.h"

namespace pelaryn {

// Counts the combo timer down; when a chain of at least ten kills runs out, the popup starts
// with that chain's length (fifty frames). The chain itself is reset at the next kill.
void StartComboPopup(GameState& s);

// Draws the popup of a finished chain and counts its frames down.
void ComboPopup(GameContext& g);

}  // namespace pelaryn
