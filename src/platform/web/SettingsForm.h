#pragma once

// The settings window of the page, built from the one settings table: what the page is told of
// each setting, and how its answer reaches the state. Decided without a browser, so it is tested
// on the desktop.

#include <string>

#include <nlohmann/json.hpp>

#include "base/GameState.h"

namespace pelaryn {

// Every setting of the table, in its order: name, type ("bool", "int" or "text"), the range the
// window allows, the default (a text's is its file in the program folder) and the value now.
nlohmann::json SettingsDescription(const GameState& state, const std::string& programFolder);

// The window's values ({"name": value, …}) into the state. Every value is checked first against
// its setting: a Boolean is true or false, a number a whole number that fits the setting's 16
// bits, a text a string, and the name is the table's. A number outside the window's range is
// kept, as the desktop keeps one a hand-edited file holds. Nothing changes unless all fit; false,
// with the reason, then.
bool ApplySettingValues(GameState& state, const nlohmann::json& values, std::string& why);

}  // namespace pelaryn
