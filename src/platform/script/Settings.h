#pragma once

#include <string>
#include <string_view>

#include "base/GameState.h"

namespace pelaryn {

// Sets one value by its game name: the stored settings ("BackSetting.Guriguri",
// "Bgm(1).Enabled", "InitialDifficulty", ...) or, with AtGameStart, Life, Level and PhaseFrames.
// False, with the reason in `error`, for an unknown name or a value that does not fit.
bool ApplySetting(GameState& s, std::string_view name, std::string_view value, std::string& error);

// Life, Level and PhaseFrames take effect when the game starts, not where settings are read.
bool IsGameStartValue(std::string_view name);

}  // namespace pelaryn
