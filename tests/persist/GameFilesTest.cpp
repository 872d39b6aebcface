#include "persist/GameFiles.h"

#include <gtest/gtest.h>

#include "../TestGame.h"
#include "persist/Cp932.h"
#include "persist/FieldReader.h"
#include "persist/Utf8.h"

namespace pelaryn {
namespace {

// The state start-up would have before reading any file, for a program in `folder`.
GameState Defaults(const std::string& folder) {
  testing::TestGame t(false);
  HeadlessPlatform platform(folder);
  Game game(platform, t.pictures);
  game.OnTitleStart = [&] { game.RequestStop(); };
  game.FormLoad();
  return game.State();
}

std::vector<std::string> Fields(std::string_view text) {
  FieldReader reader(text);
  std::vector<std::string> fields;
  while (auto field = reader.Next()) fields.emplace_back(*field);
  return fields;
}

TEST(GameFiles, DefaultFilesAreWrittenByteForByte) {
  const GameState s = Defaults("/opt/GAME");
  EXPECT_EQ(SettingsFileText(s),
            "#TRUE#,#FALSE#,#TRUE#,0,0\r\n"
            "\"/opt/GAME/back.bmp\",0,3,#FALSE#,#FALSE#\r\n"
            "\"/opt/GAME/sound/title.mid\",#TRUE#\r\n"
            "\"/opt/GAME/sound/1.mid\",#TRUE#\r\n"
            "\"/opt/GAME/sound/boss1.mid\",#TRUE#\r\n"
            "\"/opt/GAME/sound/2.mid\",#TRUE#\r\n"
            "\"/opt/GAME/sound/boss2.mid\",#TRUE#\r\n"
            "#TRUE#,0\r\n");
  std::string ranking;
  for (int score = 100; score >= 10; score -= 10) {
    ranking += "\"KEVA\"," + std::to_string(score) + ",0,0\r\n";
  }
  EXPECT_EQ(RankingFileText(s), ranking);
  // Plain ASCII needs no mark: the bytes are the text.
  EXPECT_EQ(EncodeFileText(ranking), ranking);
}

TEST(GameFiles, WhatIsWrittenReadsBackUnchanged) {
  GameState s = Defaults("/g");
  s.Ranking[0] = {.Name = "AB", .Score = 1234, .ShotRatio = 85, .MaxCombo = 12};
  s.Ranking[1].Name = "a, b";  // a comma inside the quotes stays in the name
  s.Ranking[2].Name = "";
  s.Ranking[3].Name = "ヴェルガード";
  s.Ranking[4].Score = -5;
  s.BackSetting.ScrollYoko = -20;
  s.BackSetting.ScrollTate = -7;
  s.BackSetting.BackImagePath = "";
  s.JoySensitivity = 32767;
  s.Bgm[1].Enabled = false;
  const std::string ranking = RankingFileText(s);
  EXPECT_TRUE(ranking.starts_with("\"AB\",1234,12,85\r\n\"a, b\",90,0,0\r\n\"\",80,0,0\r\n"));

  GameState back = Defaults("/elsewhere");
  ReadSettingsText(DecodeFileText(EncodeFileText(SettingsFileText(s))), back);
  ReadRankingText(DecodeFileText(EncodeFileText(ranking)), back);
  EXPECT_EQ(SettingsFileText(back), SettingsFileText(s));
  EXPECT_EQ(RankingFileText(back), ranking);
  EXPECT_EQ(back.Ranking[3].Name, "ヴェルガード");
  EXPECT_EQ(back.BackSetting.ScrollYoko, -20);
}

TEST(GameFiles, ADoubleQuoteInATextNeverCutsItsField) {
  // Quotes cannot hold a double quote, so such a text goes bare when it reads back whole.
  GameState s = Defaults("/g");
  s.BackSetting.BackImagePath = "/home/u/say \"hi\".bmp";
  s.Ranking[0].Name = "a\"b";
  s.Ranking[1].Name = "\"x\", y ";  // a comma, a blank and a leading quote: bare cannot hold it
  s.Ranking[2].Name = "\"";
  s.Ranking[3].Name = "b\" ";  // bare, the blank would be trimmed
  const std::string settings = SettingsFileText(s);
  const std::string ranking = RankingFileText(s);
  EXPECT_NE(settings.find("\r\n/home/u/say \"hi\".bmp,0,3,"), std::string::npos) << settings;
  EXPECT_TRUE(ranking.starts_with("a\"b,100,0,0\r\n\"”x”, y \",90,0,0\r\n\"”\",80,0,0\r\n"))
      << ranking;

  GameState back = Defaults("/elsewhere");
  ReadSettingsText(settings, back);
  ReadRankingText(ranking, back);
  EXPECT_EQ(back.BackSetting.BackImagePath, s.BackSetting.BackImagePath);
  EXPECT_EQ(back.BackSetting.ScrollTate, 3);  // the fields after it stay in their places
  EXPECT_EQ(back.Ranking[0].Name, "a\"b");
  EXPECT_EQ(back.Ranking[1].Name, "”x”, y ");
  EXPECT_EQ(back.Ranking[1].Score, 90);
  EXPECT_EQ(back.Ranking[2].Name, "”");
  EXPECT_EQ(back.Ranking[3].Name, "b” ");
  EXPECT_EQ(RankingFileText(back).substr(0, 6), "a\"b,10");
}

TEST(GameFiles, JapaneseIsCodePage932AndWhatItCannotHoldIsUtf8WithAMark) {
  // ヴ is 83 94, ェ 83 46, ル 83 8B: the page's bytes, not UTF-8's.
  EXPECT_EQ(EncodeFileText("\"ヴェル\",100,0,0\r\n"), "\"\x83\x94\x83\x46\x83\x8B\",100,0,0\r\n");
  EXPECT_EQ(DecodeFileText("\"\x83\x94\x83\x46\x83\x8B\""), "\"ヴェル\"");
  // A backslash stays one: old paths with it read back as they were written.
  EXPECT_EQ(DecodeFileText("C:\\GAME\\back.bmp"), "C:\\GAME\\back.bmp");

  const std::string name = "Zoë 🚀";
  const std::string bytes = EncodeFileText("\"" + name + "\",5,0,0\r\n");
  EXPECT_EQ(bytes, "\xEF\xBB\xBF\"" + name + "\",5,0,0\r\n");
  GameState s;
  ReadRankingText(DecodeFileText(bytes), s);
  EXPECT_EQ(s.Ranking[0].Name, name);
  EXPECT_EQ(s.Ranking[0].Score, 5);

  // A byte that starts nothing costs one character, not the file.
  EXPECT_EQ(DecodeCp932("a\xFF"
                        "b\x83"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF"
                           "x\xC0y"),
            "x\xEF\xBF\xBDy");
  // After a mark, one U+FFFD for each byte of what is not UTF-8: beyond U+10FFFF, a five-byte
  // form, a surrogate, an overlong form, a sequence cut off by the end.
  const std::string bad =
      "\xF4\x90\x80\x80|\xF8\x88\x80\x80\x80|\xED\xA0\x80|\xE0\x80\xAF|\xF0\x9F\x9A";
  std::string replaced;
  for (char c : bad) replaced += c == '|' ? "|" : "\xEF\xBF\xBD";
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF" + bad), replaced);
  EXPECT_EQ(SanitizeUtf8("\xF4\x8F\xBF\xBF\xEF\xBF\xBE\xF0\x9F\x9A\x80"),
            "\xF4\x8F\xBF\xBF\xEF\xBF\xBE\xF0\x9F\x9A\x80");  // the last code point, U+FFFE, 🚀
}

TEST(GameFiles, FieldsFlowAcrossLinesWithTheReadingsDecidedForTheFormat) {
  EXPECT_EQ(Fields("a,b\r\nc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Fields("  a  ,\t\"b c\" junk,x\ry\r\n"),
            (std::vector<std::string>{"a", "b c", "x\ry"}));                  // a lone CR is text
  EXPECT_EQ(Fields("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));  // empty line
  EXPECT_EQ(Fields("a,"), (std::vector<std::string>{"a"}));  // no field after a final comma
  EXPECT_EQ(Fields("\"never closed, at all\r\nx"),
            (std::vector<std::string>{"never closed, at all\r\nx"}));
  EXPECT_EQ(Fields(""), (std::vector<std::string>{}));

  EXPECT_EQ(ParseFileBool("#TRUE#"), true);
  EXPECT_EQ(ParseFileBool("#FALSE#"), false);
  EXPECT_EQ(ParseFileBool("#true#"), std::nullopt);
  EXPECT_EQ(ParseFileBool("0.4"), true);
  EXPECT_EQ(ParseFileBool("-0"), false);
  EXPECT_EQ(ParseFileBool(""), false);
  EXPECT_EQ(ParseFileBool("yes"), std::nullopt);

  EXPECT_EQ(ParseFileInteger("2.5", -100, 100), 2);  // ties go to the even neighbour
  EXPECT_EQ(ParseFileInteger("3.5", -100, 100), 4);
  EXPECT_EQ(ParseFileInteger("2.51", -100, 100), 3);
  EXPECT_EQ(ParseFileInteger("-2.5", -100, 100), -2);
  EXPECT_EQ(ParseFileInteger("+007", -100, 100), 7);
  EXPECT_EQ(ParseFileInteger("", -100, 100), 0);
  EXPECT_EQ(ParseFileInteger("100.4", -100, 100), 100);  // checked after rounding
  EXPECT_EQ(ParseFileInteger("100.5", -100, 101), 100);
  EXPECT_EQ(ParseFileInteger("100.6", -100, 100), std::nullopt);
  EXPECT_EQ(ParseFileInteger("99999999999999999999999", INT64_MIN, INT64_MAX), std::nullopt);
  for (const char* bad : {"1e3", "1.", ".5", "--1", "1 2", "0x10", "+"}) {
    EXPECT_EQ(ParseFileInteger(bad, -100, 100), std::nullopt) << bad;
  }
}

TEST(GameFiles, AFieldThatFailsCostsOnlyTheRestOfItsRecord) {
  GameState s = Defaults("/g");
  s.InitialDifficulty = 9;
  // Line 1's third field fails: the first two are taken, the difficulty keeps 9 and the
  // fourth and fifth fields are left for the next record, which is line 2's.
  ReadSettingsText("#FALSE#,#TRUE#,maybe,3,4\r\n\"pic.bmp\",1,2,#TRUE#,#FALSE#\r\n", s);
  EXPECT_FALSE(s.SoundEffectsOn);
  EXPECT_TRUE(s.AutoShot);
  EXPECT_TRUE(s.TitleAnimation);
  EXPECT_EQ(s.InitialDifficulty, 9);
  EXPECT_EQ(s.BackSetting.BackImagePath, "3");
  EXPECT_EQ(s.BackSetting.ScrollYoko, 4);
  // Line 2's own path is then read as ScrollTate, fails, and ends that record.
  EXPECT_EQ(s.BackSetting.ScrollTate, 3);
  EXPECT_FALSE(s.BackSetting.Guriguri);
  // The title slot reads on from there: 1 is not a path a player would want, but it is text.
  EXPECT_EQ(s.TitleBgm.Path, "1");
  EXPECT_TRUE(s.TitleBgm.Enabled);  // "2" reads as true

  // Three lines only: the music after them and the joystick keep their defaults.
  GameState three = Defaults("/g");
  ReadSettingsText(
      "#FALSE#,#FALSE#,#FALSE#,50,10\r\n\"\",-3,5,#TRUE#,#FALSE#\r\n\"t.mid\",#FALSE#\r\n", three);
  EXPECT_EQ(three.InitialDifficulty, 50);
  EXPECT_EQ(three.BackSetting.BackImagePath, "");
  EXPECT_EQ(three.BackSetting.ScrollYoko, -3);
  EXPECT_FALSE(three.TitleBgm.Enabled);
  EXPECT_EQ(three.Bgm[0].Path, "/g/sound/1.mid");
  EXPECT_TRUE(three.UseJoystick);

  // A value beyond what the variable holds fails; one beyond the dialog's range does not.
  GameState range = Defaults("/g");
  ReadSettingsText("#TRUE#,#FALSE#,#TRUE#,40000,99\r\n", range);
  EXPECT_EQ(range.InitialDifficulty, 0);
  EXPECT_EQ(range.DifficultySkip, 0);  // the rest of the record
  ReadSettingsText("#TRUE#,#FALSE#,#TRUE#,32767,99\r\n", range);
  EXPECT_EQ(range.InitialDifficulty, 32767);
  EXPECT_EQ(range.DifficultySkip, 99);

  // Ranking: a bad score leaves that entry's score, combo and ratio; the next entry reads on.
  GameState r = Defaults("/g");
  ReadRankingText("\"A\",lots,1,2\r\n\"B\",50,3,4\r\n\"C\",60,5,300\r\n", r);
  EXPECT_EQ(r.Ranking[0].Name, "A");
  EXPECT_EQ(r.Ranking[0].Score, 100);
  EXPECT_EQ(r.Ranking[1].Name, "1");
  EXPECT_EQ(r.Ranking[1].Score, 2);
  EXPECT_EQ(r.Ranking[1].MaxCombo, 0);  // "B" is not a number
  EXPECT_EQ(r.Ranking[2].Name, "50");
  EXPECT_EQ(r.Ranking[2].Score, 3);
  EXPECT_EQ(r.Ranking[2].MaxCombo, 4);
  EXPECT_EQ(r.Ranking[2].ShotRatio, 0);
  EXPECT_EQ(r.Ranking[3].Name, "60");
  EXPECT_EQ(r.Ranking[3].Score, 5);
  EXPECT_EQ(r.Ranking[3].MaxCombo, 300);
  EXPECT_EQ(r.Ranking[4].Score, 60);  // untouched: the file ended
  ReadRankingText("\"C\",60,5,300\r\n\"D\",7,8,9\r\n", r);
  EXPECT_EQ(r.Ranking[0].ShotRatio, 0);  // 300 does not fit a percentage byte
  EXPECT_EQ(r.Ranking[1].Name, "D");
  EXPECT_EQ(r.Ranking[1].ShotRatio, 9);
}

}  // namespace
}  // namespace pelaryn
