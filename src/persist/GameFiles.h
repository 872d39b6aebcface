#pragma once

#include <string>
#include <string_view>

#include "base/GameState.h"

namespace pelaryn {

inline constexpr std::string_view SettingsFileName = "pelaryn.cfg";
inline constexpr std::string_view RankingFileName = "pelaryn.sco";

// The settings file's eight lines and the ranking file's ten, as UTF-8 text with CR LF line ends.
// Texts are quoted; one holding a double quote is written bare when it reads back whole so, and
// with its double quotes as the full-width ” otherwise.
std::string SettingsFileText(const GameState& s);
std::string RankingFileText(const GameState& s);

// Reads the files' fields over the state, one record at a time: a field that does not convert
// leaves its variable and the rest of its record as they were, and the next record reads on
// after it; the end of the file ends every record still to come. No range is checked beyond
// what the variable can hold.
void ReadSettingsText(std::string_view text, GameState& s);
void ReadRankingText(std::string_view text, GameState& s);

// The bytes a file is written as: code page 932 whenever every character has a code there,
// otherwise UTF-8 behind a byte-order mark, so that no name or path is ever lost.
std::string EncodeFileText(std::string_view utf8);
// The text of a file's bytes: UTF-8 after a byte-order mark, code page 932 otherwise.
std::string DecodeFileText(std::string_view bytes);

}  // namespace pelaryn
