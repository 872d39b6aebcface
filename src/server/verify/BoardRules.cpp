#include "server/verify/BoardRules.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "persist/SettingsTable.h"
#include "replay/ByteStream.h"
#include "replay/StateCodec.h"

namespace pelaryn {
namespace {

constexpr std::string_view StartPart = "start-";
constexpr std::string_view SkipPart = "-skip-";

// The characters of UTF-8 text, or none when it is not UTF-8 (overlong forms and surrogates
// included, which other readers would take for something else).
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int more = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      more = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, c = lead & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + more >= text.size()) return std::nullopt;
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    out.push_back(c);
    i += more + 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Control characters, the marks that turn the direction of the text after them, and the
// invisible characters that would make one name look like another: a name holding them is shown
// as other text than its characters. The joiner emoji are built with (U+200D) stays.
bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029 || c == 0x200B || c == 0x200E ||
         c == 0x200F || c == 0x061C || c == 0x2060 || c == 0xFEFF;
}

// The blanks a name is trimmed of: the space of either width a Japanese keyboard types.
bool IsBlank(char32_t c) {
  return c == U' ' || c == U'\u3000';
}

std::optional<int> NumberAt(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  // One way of writing each number, so that one board has one name.
  if (text.size() > 1 && text[0] == '0') return std::nullopt;
  return value;
}

}  // namespace

std::string BoardOf(const GameState& start) {
  if (start.InitialDifficulty == 0 && start.DifficultySkip == 0) return std::string(StandardBoard);
  return std::string(StartPart) + std::to_string(start.InitialDifficulty) + std::string(SkipPart) +
         std::to_string(start.DifficultySkip);
}

bool IsBoardName(std::string_view board) {
  if (board == StandardBoard) return true;
  if (!board.starts_with(StartPart)) return false;
  board.remove_prefix(StartPart.size());
  const std::size_t skipAt = board.find(SkipPart);
  if (skipAt == std::string_view::npos) return false;
  const std::optional<int> start = NumberAt(board.substr(0, skipAt));
  const std::optional<int> skip = NumberAt(board.substr(skipAt + SkipPart.size()));
  if (!start || !skip) return false;
  const SettingInfo& startSetting = *FindSetting("InitialDifficulty");
  const SettingInfo& skipSetting = *FindSetting("DifficultySkip");
  return *start >= startSetting.Min && *start <= startSetting.Max && *skip >= skipSetting.Min &&
         *skip <= skipSetting.Max && (*start != 0 || *skip != 0);
}

std::optional<std::string> DifficultyChangedInGame(const Replay& replay) {
  GameState settings = replay.Start;
  ReplayEventReader events(replay.Input);
  ReplayEvent event;
  while (events.Next(event)) {
    if (event.Type != ReplayEventType::WindowSettings) continue;
    ApplyEventSettings(event, settings);
    if (settings.DifficultySkip != replay.Start.DifficultySkip) return "DifficultySkip";
  }
  return std::nullopt;
}

std::optional<std::string> CleanRunName(std::string_view name, std::string& why) {
  const std::optional<std::vector<char32_t>> chars = DecodeUtf8(name);
  if (!chars) {
    why = "the name is not UTF-8 text";
    return std::nullopt;
  }
  std::size_t first = 0;
  std::size_t last = chars->size();
  for (std::size_t i = 0; i < last; ++i) {
    if (IsControl((*chars)[i])) {
      why = "the name holds a control or invisible character";
      return std::nullopt;
    }
  }
  while (first < last && IsBlank((*chars)[first])) ++first;
  last = std::min(last, first + MaxRunNameLength);
  // Trimmed after the cut too, which may leave a blank at the end.
  while (last > first && IsBlank((*chars)[last - 1])) --last;
  std::string clean;
  for (std::size_t i = first; i < last; ++i) AppendUtf8(clean, (*chars)[i]);
  return clean;
}

std::optional<std::string> RunName(std::string_view typed, std::optional<std::string_view> sent,
                                   std::string& why) {
  for (const std::optional<std::string_view> candidate : {std::optional(typed), sent}) {
    if (!candidate) continue;
    std::optional<std::string> clean = CleanRunName(*candidate, why);
    if (!clean) return std::nullopt;
    if (!clean->empty()) return clean;
  }
  return std::string(NamelessRun);
}

}  // namespace pelaryn
