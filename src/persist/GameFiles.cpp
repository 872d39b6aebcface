#include "persist/GameFiles.h"

#include <limits>
#include <optional>

#include "persist/Cp932.h"
#include "persist/FieldReader.h"
#include "persist/SettingsTable.h"
#include "persist/Utf8.h"

namespace pelaryn {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

void AppendBool(std::string& line, bool value) {
  line += value ? "#TRUE#" : "#FALSE#";
}

// Whether a text reads back whole as a bare field: nothing in it ends the field, and nothing at
// its ends is trimmed or opens a quoted field.
bool ReadsBackBare(std::string_view value) {
  auto trimmed = [](char c) { return c == ' ' || c == '\t'; };
  return !value.empty() && value.find_first_of(",\n") == std::string_view::npos &&
         !trimmed(value.front()) && !trimmed(value.back()) && value.front() != '"';
}

// Texts are quoted, but the format has no escape for a double quote inside quotes: it would end
// the field there and lose the rest. A text holding one is written bare when it reads back whole
// that way (any text read from a file does); otherwise its double quotes become the full-width
// ” that reads the same, as in a typed ranking name.
void AppendText(std::string& line, std::string_view value) {
  if (value.find('"') != std::string_view::npos && ReadsBackBare(value)) {
    line += value;
    return;
  }
  line += '"';
  for (char c : value) {
    if (c == '"') {
      line += "”";
    } else {
      line += c;
    }
  }
  line += '"';
}

template <typename Int>
std::optional<Int> ReadInteger(std::string_view field) {
  const std::optional<int64_t> value =
      ParseFileInteger(field, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
  if (!value) return std::nullopt;
  return static_cast<Int>(*value);
}

enum class FieldResult { Stored, Failed, EndOfFile };

template <typename Int>
FieldResult ReadInto(FieldReader& reader, Int& target) {
  const std::optional<std::string_view> field = reader.Next();
  if (!field) return FieldResult::EndOfFile;
  const std::optional<Int> value = ReadInteger<Int>(*field);
  if (!value) return FieldResult::Failed;
  target = *value;
  return FieldResult::Stored;
}

// Stores one field into a setting; false when it does not convert.
bool ReadSetting(std::string_view field, const SettingInfo& setting, GameState& s) {
  const SettingRef ref = setting.Ref(s);
  if (bool* const* b = std::get_if<bool*>(&ref)) {
    const std::optional<bool> value = ParseFileBool(field);
    if (value) **b = *value;
    return value.has_value();
  }
  if (int16_t* const* n = std::get_if<int16_t*>(&ref)) {
    const std::optional<int16_t> value = ReadInteger<int16_t>(field);
    if (value) **n = *value;
    return value.has_value();
  }
  *std::get<std::string*>(ref) = field;
  return true;
}

}  // namespace

std::string SettingsFileText(const GameState& s) {
  std::string text;
  int line = 0;
  for (const SettingInfo* setting : SettingsInFileOrder()) {
    if (setting->Line != line) {
      if (line != 0) text += "\r\n";
      line = setting->Line;
    } else {
      text += ',';
    }
    const ConstSettingRef ref = setting->Get(s);
    if (const bool* const* b = std::get_if<const bool*>(&ref)) {
      AppendBool(text, **b);
    } else if (const int16_t* const* n = std::get_if<const int16_t*>(&ref)) {
      text += std::to_string(**n);
    } else {
      AppendText(text, *std::get<const std::string*>(ref));
    }
  }
  text += "\r\n";
  return text;
}

std::string RankingFileText(const GameState& s) {
  std::string text;
  for (const RankEntry& entry : s.Ranking) {
    AppendText(text, entry.Name);
    text += ',' + std::to_string(entry.Score) + ',' + std::to_string(entry.MaxCombo) + ',' +
            std::to_string(entry.ShotRatio) + "\r\n";
  }
  return text;
}

void ReadSettingsText(std::string_view text, GameState& s) {
  FieldReader reader(text);
  const auto order = SettingsInFileOrder();
  // A record is one line's worth of settings; the table's order groups them by line.
  for (std::size_t i = 0; i < order.size();) {
    const int line = order[i]->Line;
    std::size_t next = i;
    while (next < order.size() && order[next]->Line == line) ++next;
    for (; i < next; ++i) {
      const std::optional<std::string_view> field = reader.Next();
      if (!field) return;
      if (!ReadSetting(*field, *order[i], s)) break;
    }
    i = next;
  }
}

void ReadRankingText(std::string_view text, GameState& s) {
  FieldReader reader(text);
  for (RankEntry& entry : s.Ranking) {
    const std::optional<std::string_view> name = reader.Next();
    if (!name) return;
    entry.Name = *name;
    // The file's order: the combo comes before the ratio.
    FieldResult result = ReadInto(reader, entry.Score);
    if (result == FieldResult::Stored) result = ReadInto(reader, entry.MaxCombo);
    if (result == FieldResult::Stored) result = ReadInto(reader, entry.ShotRatio);
    if (result == FieldResult::EndOfFile) return;
  }
}

std::string EncodeFileText(std::string_view utf8) {
  if (std::optional<std::string> bytes = EncodeCp932(utf8)) return std::move(*bytes);
  std::string bytes(ByteOrderMark);
  bytes += utf8;
  return bytes;
}

std::string DecodeFileText(std::string_view bytes) {
  if (bytes.starts_with(ByteOrderMark)) return SanitizeUtf8(bytes.substr(ByteOrderMark.size()));
  return DecodeCp932(bytes);
}

}  // namespace pelaryn
