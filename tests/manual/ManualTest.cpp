// The player's manual shipped beside the program: present, UTF-8, self-contained, and naming
// every menu item by the caption the game gives it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "base/Menu.h"

namespace pelaryn {
namespace {

std::string ReadManual() {
  std::ifstream in(std::string(PELARYN_RUNTIME_DIR) + "/pelaryn.html", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
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
      return false;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) return false;
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
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

TEST(ManualTest, Utf8CheckRejectsBrokenText) {
  EXPECT_TRUE(IsValidUtf8("説明書 manual"));
  EXPECT_FALSE(IsValidUtf8("\xC3\x28"));          // a lead byte without its continuation
  EXPECT_FALSE(IsValidUtf8("\xE8\xAA"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\x90\xE0\x96\xBE"));  // code page 932 bytes
}

TEST(ManualTest, ShippedBesideTheProgramAsUtf8) {
  const std::string html = ReadManual();
  ASSERT_FALSE(html.empty()) << "pelaryn.html is missing beside the program";
  EXPECT_TRUE(IsValidUtf8(html));
  EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
}

TEST(ManualTest, SelfContained) {
  const std::string html = ReadManual();
  ASSERT_FALSE(html.empty());
  for (const char* outside : {"<script", "<link", "<img", "src=", "url(", "@import"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
}

TEST(ManualTest, NamesEveryMenuCaption) {
  const std::string html = ReadManual();
  ASSERT_FALSE(html.empty());
  EXPECT_EQ(Shown("終了(&X)"), "終了");
  for (const MenuItemInfo& item : MenuItems) {
    const std::string caption = Shown(item.Caption);
    EXPECT_NE(html.find(caption), std::string::npos) << item.Name << " " << caption;
  }
}

}  // namespace
}  // namespace pelaryn
