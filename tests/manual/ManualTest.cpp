// The player's manuals shipped beside the program: pelaryn.html in Japanese, the game's own
// language, and pelaryn.en.html in English. Both present, UTF-8, self-contained, their links
// landing on their own anchors, and naming every menu item and the words of the windows by the
// captions the game shows in that language; the English one has the Japanese one's sections and
// no Japanese text but the game's title.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Menu.h"

namespace pelaryn {
namespace {

constexpr std::string_view Japanese = "pelaryn.html";
constexpr std::string_view English = "pelaryn.en.html";

// The game's title, which the English manual shows as it is.
constexpr std::string_view Title = "ヴェルガード";

std::string ReadShipped(std::string_view name) {
  std::ifstream in(std::string(PELARYN_RUNTIME_DIR) + "/" + std::string(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF), decoded; nothing when
// the text is not.
std::optional<std::u32string> DecodeUtf8(std::string_view text) {
  std::u32string decoded;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      decoded.push_back(lead);
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) return std::nullopt;
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return std::nullopt;
    decoded.push_back(code);
    i += static_cast<std::size_t>(length);
  }
  return decoded;
}

bool IsValidUtf8(std::string_view text) {
  return DecodeUtf8(text).has_value();
}

// Japanese punctuation, kana and kanji, and the full- and half-width forms.
bool IsJapanese(char32_t code) {
  return (code >= 0x3000 && code <= 0x30FF) || (code >= 0x31F0 && code <= 0x31FF) ||
         (code >= 0x3400 && code <= 0x4DBF) || (code >= 0x4E00 && code <= 0x9FFF) ||
         (code >= 0xF900 && code <= 0xFAFF) || (code >= 0xFF00 && code <= 0xFFEF);
}

// Some 40 bytes around the first Japanese character outside the game's title, or nothing.
std::optional<std::string> JapaneseBesideTheTitle(std::string text) {
  for (auto at = text.find(Title); at != std::string::npos; at = text.find(Title, at)) {
    text.replace(at, Title.size(), "*");
  }
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const auto code = DecodeUtf8(std::string_view(text).substr(i, length));
    if (code && code->size() == 1 && IsJapanese(code->front())) {
      const std::size_t from = i < 20 ? 0 : i - 20;
      return text.substr(from, 40 + length);
    }
    i += length;
  }
  return std::nullopt;
}

// The values of one attribute in every tag of the page: name="…" of the anchors, href="#…".
std::set<std::string> Values(std::string_view html, std::string_view opening) {
  std::set<std::string> values;
  for (auto at = html.find(opening); at != std::string_view::npos; at = html.find(opening, at)) {
    at += opening.size();
    const auto end = html.find('"', at);
    if (end == std::string_view::npos) break;
    values.emplace(html.substr(at, end - at));
  }
  return values;
}

std::set<std::string> Anchors(std::string_view html) {
  std::set<std::string> anchors = Values(html, "<a name=\"");
  anchors.merge(Values(html, " id=\""));
  return anchors;
}

std::set<std::string> LinkTargets(std::string_view html) {
  return Values(html, "href=\"#");
}

// A caption as the player reads it: "終了(&X)" shows as 終了 with its access key.
std::string Shown(std::string caption) {
  if (const auto open = caption.find("(&"); open != std::string::npos) {
    if (const auto close = caption.find(')', open); close != std::string::npos) {
      caption.erase(open, close - open + 1);
    }
  }
  std::erase(caption, '&');
  return caption;
}

// The English caption of each item of the game's menu table, by the item's name.
struct EnglishCaption {
  std::string_view Name;
  std::string_view Caption;
};
constexpr EnglishCaption EnglishMenu[] = {
    {"mnuGame", "Game"},        {"mnuStart", "Start"},        {"mnuPause", "Pause"},
    {"mnuReset", "Reset"},      {"mnuExit", "Exit"},          {"mnuConfig", "Settings"},
    {"mnuSe", "Sound effects"}, {"mnuAutoshot", "Auto fire"}, {"mnuRanking", "Ranking"},
    {"mnuOption", "Options…"},  {"mnuHelp", "Help"},          {"mnuManual", "Manual"},
    {"mnuVersion", "About"},
};

// The words the program shows in both languages, each manual naming its own; the items the
// desktop adds to the game's menus come first. No Japanese where the Japanese manual has no
// need to name it.
struct Words {
  const char* Ja;
  const char* En;
  bool MenuItem;
};
constexpr Words Wording[] = {
    {"リプレイ…", "Replays…", true},
    {"操作とサウンド…", "Controls and sound…", true},
    {"ミュート", "Mute", true},
    {"とくてん", "SCORE", false},
    {"さいこうとくてん", "HI-SCORE", false},
    {"「コンボ」", "COMBO", false},
    {"「MAX」", "MAX", false},
    {"おしまい", "Game over — enemies destroyed: 48%", false},
    {"NAME ENTRY", "NAME ENTRY", false},
    {"名前を入力してください", "You made No. 3 in the ranking! Enter your name (about six letters)",
     false},
    {"<td>キー</td>", "<td>Keys</td>", false},
    {"<td>パッド</td>", "<td>Pad</td>", false},
    {nullptr, "Sound: Music, Sound effects", false},
    {"左・右・上・下・ショット・拡散ショット", "Left, Right, Up, Down, Shot and Spread shot",
     false},
    {"パッドが見つかりません", "No pad found", false},
    {"フォーカスを失ったら一時停止", "Window: Pause when the window loses focus", false},
    {"画面のフラッシュを弱める", "Window: Gentler screen flashes", false},
    {"「キャンセル」", "\"Cancel\"", false},
    {"「初期値に戻す」", "\"Restore defaults\"", false},
};

struct Manual {
  std::string_view File;
  std::string_view Language;
};
constexpr Manual Manuals[] = {{Japanese, "ja"}, {English, "en"}};

TEST(ManualTest, Utf8CheckRejectsBrokenText) {
  EXPECT_TRUE(IsValidUtf8("説明書 manual"));
  EXPECT_FALSE(IsValidUtf8("\xC3\x28"));          // a lead byte without its continuation
  EXPECT_FALSE(IsValidUtf8("\xE8\xAA"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\x90\xE0\x96\xBE"));  // code page 932 bytes
}

TEST(ManualTest, EachShippedBesideTheProgramSelfContainedWithItsOwnLinks) {
  for (const Manual& manual : Manuals) {
    SCOPED_TRACE(manual.File);
    const std::string html = ReadShipped(manual.File);
    ASSERT_FALSE(html.empty()) << "missing beside the program";
    EXPECT_TRUE(IsValidUtf8(html));
    EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
    EXPECT_NE(html.find("<html lang=\"" + std::string(manual.Language) + "\">"), std::string::npos);
    for (const char* outside : {"<script", "<link", "<img", "src=", "url(", "@import"}) {
      EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    }
    const std::set<std::string> anchors = Anchors(html);
    for (const std::string& target : LinkTargets(html)) {
      EXPECT_TRUE(anchors.contains(target)) << "a link to #" << target << " lands nowhere";
    }
  }
}

TEST(ManualTest, EachNamesEveryMenuAndItemByItsCaption) {
  const std::string japanese = ReadShipped(Japanese);
  const std::string english = ReadShipped(English);
  ASSERT_FALSE(japanese.empty());
  ASSERT_FALSE(english.empty());
  // The menus are the headings of the Menus section, their items the first cells of its rows.
  const auto named = [](const std::string& html, const MenuItemInfo& item, std::string_view shown) {
    const bool menu = item.Parent == item.Id;
    const std::string mark = std::string(menu ? "<h3>" : "<td>") + std::string(shown) +
                             std::string(menu ? "</h3>" : "</td>");
    return html.find(mark) != std::string::npos;
  };
  for (const MenuItemInfo& item : MenuItems) {
    EXPECT_TRUE(named(japanese, item, Shown(item.Caption))) << item.Name;
    const auto* englishCaption =
        std::find_if(std::begin(EnglishMenu), std::end(EnglishMenu),
                     [&](const EnglishCaption& entry) { return entry.Name == item.Name; });
    ASSERT_NE(englishCaption, std::end(EnglishMenu)) << item.Name << " has no English caption";
    EXPECT_TRUE(named(english, item, englishCaption->Caption)) << item.Name;
  }
  for (const Words& words : Wording) {
    if (!words.MenuItem) continue;
    EXPECT_NE(japanese.find("<td>" + std::string(words.Ja) + "</td>"), std::string::npos)
        << words.Ja;
    EXPECT_NE(english.find("<td>" + std::string(words.En) + "</td>"), std::string::npos)
        << words.En;
  }
}

TEST(ManualTest, EachNamesTheWordsOfTheWindowsInItsLanguage) {
  const std::string japanese = ReadShipped(Japanese);
  const std::string english = ReadShipped(English);
  ASSERT_FALSE(japanese.empty());
  ASSERT_FALSE(english.empty());
  for (const Words& words : Wording) {
    if (words.Ja) {
      EXPECT_NE(japanese.find(words.Ja), std::string::npos) << words.Ja;
    }
    EXPECT_NE(english.find(words.En), std::string::npos) << words.En;
  }
}

TEST(ManualTest, EnglishHasTheSectionsOfTheJapanese) {
  const std::string japanese = ReadShipped(Japanese);
  const std::string english = ReadShipped(English);
  ASSERT_FALSE(japanese.empty());
  ASSERT_FALSE(english.empty());
  // The Japanese manual's own short English part has no counterpart in the English manual.
  std::set<std::string> sections = Anchors(japanese);
  sections.erase("english");
  EXPECT_GE(sections.size(), 7U);
  EXPECT_EQ(Anchors(english), sections);
  // A translation, heading for heading, row for row, cell for cell and item for item.
  const std::string_view own =
      std::string_view(japanese).substr(0, japanese.find("<div class=\"en\">"));
  const auto count = [](std::string_view html, std::string_view tag) {
    std::size_t n = 0;
    for (auto at = html.find(tag); at != std::string_view::npos; at = html.find(tag, at + 1)) ++n;
    return n;
  };
  for (const char* tag : {"<h2>", "<h3>", "<table", "<tr>", "<th>", "<td", "<ul>", "<ol>", "<li>",
                          "<p>", "rowspan="}) {
    EXPECT_EQ(count(english, tag), count(own, tag)) << tag;
  }
}

TEST(ManualTest, EnglishShowsNoJapaneseButTheTitle) {
  const std::string english = ReadShipped(English);
  ASSERT_FALSE(english.empty());
  EXPECT_NE(english.find(Title), std::string::npos);
  const auto found = JapaneseBesideTheTitle(english);
  EXPECT_FALSE(found) << "Japanese in the English manual: " << found.value_or("");
}

}  // namespace
}  // namespace pelaryn
