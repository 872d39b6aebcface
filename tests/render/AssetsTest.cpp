// Checks the committed artwork against the layout and colour conventions the drawing code
// relies on: sprite cells at their places, a mask that agrees with the sheet pixel for pixel,
// the see-through flare, the gauge colours, the title's masked logo and black OR pieces, and
// a background tile the game can load and wrap.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "render/Cells.h"

namespace {

const std::string kAssetDir = PELARYN_ASSET_DIR;

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
  auto operator<=>(const Rgb&) const = default;
  bool white() const { return r == 255 && g == 255 && b == 255; }
  bool black() const { return r == 0 && g == 0 && b == 0; }
};

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // always 4 channels; alpha is 255 for pictures without one

  Rgb at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
  }
  int alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

Picture load(const std::string& name) {
  Picture p;
  int channels = 0;
  const std::string path = kAssetDir + "/" + name;
  stbi_uc* data = stbi_load(path.c_str(), &p.width, &p.height, &channels, 4);
  if (!data) {
    ADD_FAILURE() << "cannot load " << path << ": " << stbi_failure_reason();
    return p;
  }
  p.rgba.assign(data, data + static_cast<size_t>(p.width) * p.height * 4);
  stbi_image_free(data);
  return p;
}

// Loaded once: every test reads the same pictures.
const Picture& sheet() {
  static const Picture p = load("chr.png");
  return p;
}
const Picture& mask() {
  static const Picture p = load("mask.png");
  return p;
}
const Picture& title() {
  static const Picture p = load("title.png");
  return p;
}

struct Rect {
  int x, y, w, h;
  bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

struct Cell {
  const char* name;
  Rect rect;
};

Rect rect(const pelaryn::CellRect& c) {
  return {c.X, c.Y, c.W, c.H};
}

const Rect kFlare = rect(pelaryn::Cell::Blast(1));

std::vector<Cell> sheetCells() {
  namespace cell = pelaryn::Cell;
  std::vector<Cell> cells = {
      {"ship", rect(cell::Ship)},
      {"orange orb", rect(cell::OrangeOrb)},
      {"magenta orb upright", rect(cell::Fireball(0))},
      {"magenta orb lying", rect(cell::Fireball(1))},
      {"energy bolt", rect(cell::PlayerShot)},
      {"beam segment", rect(cell::Beam)},
      {"rainbow strip", rect(cell::GaugeStrip)},
      {"heart", rect(cell::Heart)},
      {"glass sphere", rect(cell::GlassSphere)},
      {"enemy bullet", rect(cell::Bullet)},
      {"MAX", rect(cell::MaxLabel)},
      {"blob frame 0", rect(cell::Enemy(1, 0))},
      {"blob frame 1", rect(cell::Enemy(1, 1))},
      {"goggler frame 0", rect(cell::Enemy(2, 0))},
      {"goggler frame 1", rect(cell::Enemy(2, 1))},
      {"beetle frame 0", rect(cell::Enemy(3, 0))},
      {"beetle frame 1", rect(cell::Enemy(3, 1))},
      {"explosion ring", rect(cell::Blast(0))},
      {"flare", kFlare},
      {"combo bar", rect(cell::ComboBar)},
      {"sun frame 0", rect(cell::Sun(0))},
      {"sun frame 1", rect(cell::Sun(1))},
      {"moon", rect(cell::Moon)},
      {"score label", rect(cell::ScoreLabel)},
      {"high score label", rect(cell::HighScoreLabel)},
      {"combo label", rect(cell::ComboLabel)},
  };
  for (int d = 0; d < 10; ++d) cells.push_back({"digit", rect(cell::Digit(d))});
  return cells;
}

bool opaqueInMask(int x, int y) {
  return mask().at(x, y).black();
}

int opaqueCount(const Rect& r) {
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) n += opaqueInMask(x, y);
  return n;
}

// How many pixels differ between two same-sized cells, looking at both mask and colour.
int differences(const Rect& a, const Rect& b) {
  int n = 0;
  for (int j = 0; j < a.h; ++j)
    for (int i = 0; i < a.w; ++i)
      n += opaqueInMask(a.x + i, a.y + j) != opaqueInMask(b.x + i, b.y + j) ||
           !(sheet().at(a.x + i, a.y + j) == sheet().at(b.x + i, b.y + j));
  return n;
}

double hue(const Rgb& c) {
  const int mx = std::max({c.r, c.g, c.b}), mn = std::min({c.r, c.g, c.b});
  if (mx == mn) return 0;
  double h;
  if (mx == c.r)
    h = 60.0 * (c.g - c.b) / (mx - mn);
  else if (mx == c.g)
    h = 120.0 + 60.0 * (c.b - c.r) / (mx - mn);
  else
    h = 240.0 + 60.0 * (c.r - c.g) / (mx - mn);
  return h < 0 ? h + 360 : h;
}

double luminance(const Rgb& c) {
  return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// ---- Sizes ----------------------------------------------------------------------------

TEST(Assets, EveryPictureHasItsSize) {
  struct Expected {
    const char* file;
    int w, h;
  };
  const Expected all[] = {
      {"chr.png", 128, 240},     {"mask.png", 128, 240},         {"title.png", 388, 261},
      {"logo.png", 130, 65},     {"ranklogo.png", 250, 26},      {"about.png", 65, 65},
      {"icon-16.png", 16, 16},   {"icon-32.png", 32, 32},        {"icon-48.png", 48, 48},
      {"icon-64.png", 64, 64},   {"icon-128.png", 128, 128},     {"icon-256.png", 256, 256},
      {"labels-en.png", 58, 56}, {"labels-en-mask.png", 58, 56}, {"ranklogo-en.png", 250, 26}};
  for (const Expected& e : all) {
    const Picture p = load(e.file);
    EXPECT_EQ(p.width, e.w) << e.file;
    EXPECT_EQ(p.height, e.h) << e.file;
  }
}

// ---- Sprite sheet and mask ------------------------------------------------------------

TEST(SpriteMask, IsStrictlyBlackAndWhite) {
  for (int y = 0; y < mask().height; ++y)
    for (int x = 0; x < mask().width; ++x) {
      const Rgb m = mask().at(x, y);
      ASSERT_TRUE(m.black() || m.white()) << "mask pixel " << x << "," << y;
    }
}

TEST(SpriteMask, TransparentPixelsArePureWhiteInTheSheet) {
  // Anything else would show as an inverted blend when drawn with AND-NOT and XOR.
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 128; ++x)
      if (!opaqueInMask(x, y)) {
        ASSERT_TRUE(sheet().at(x, y).white()) << x << "," << y;
      }
}

TEST(SpriteMask, OpaquePixelsAreExactlyThePaintedOnes) {
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 128; ++x) {
      if (kFlare.contains(x, y)) continue;
      ASSERT_EQ(opaqueInMask(x, y), !sheet().at(x, y).white()) << x << "," << y;
    }
}

TEST(SpriteSheet, NothingIsPaintedOutsideTheCells) {
  const std::vector<Cell> cells = sheetCells();
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 128; ++x) {
      const bool inCell = std::any_of(cells.begin(), cells.end(),
                                      [&](const Cell& c) { return c.rect.contains(x, y); });
      if (!inCell) {
        ASSERT_FALSE(opaqueInMask(x, y)) << "stray mask pixel at " << x << "," << y;
        ASSERT_TRUE(sheet().at(x, y).white()) << "stray sheet pixel at " << x << "," << y;
      }
    }
}

TEST(SpriteSheet, EveryCellHasAPicture) {
  for (const Cell& c : sheetCells()) {
    // A real figure covers a good part of its cell, not a speck.
    EXPECT_GE(opaqueCount(c.rect), c.rect.w * c.rect.h / 5) << c.name;
  }
}

TEST(SpriteSheet, FitsA256ColourPalette) {
  std::set<Rgb> colours;
  for (int y = 0; y < pelaryn::Cell::SheetHeight; ++y)
    for (int x = 0; x < pelaryn::Cell::SheetWidth; ++x) colours.insert(sheet().at(x, y));
  EXPECT_LE(colours.size(), 256u);
}

TEST(SpriteSheet, AnimationFramesDiffer) {
  // Frames alternate every few frames of play; a pair that barely differs would not animate.
  namespace cell = pelaryn::Cell;
  const std::pair<Rect, Rect> pairs[] = {
      {rect(cell::Enemy(1, 0)), rect(cell::Enemy(1, 1))},
      {rect(cell::Enemy(2, 0)), rect(cell::Enemy(2, 1))},
      {rect(cell::Enemy(3, 0)), rect(cell::Enemy(3, 1))},
      {rect(cell::Sun(0)), rect(cell::Sun(1))},
      {rect(cell::Fireball(0)), rect(cell::Fireball(1))},
  };
  for (const auto& [a, b] : pairs) EXPECT_GE(differences(a, b), 20) << a.x << "," << a.y;
}

TEST(SpriteSheet, DigitsAreTenDifferentGlyphs) {
  auto digit = [](int d) { return Rect{65 + 13 * (d % 4), 65 + 20 * (d / 4), 13, 20}; };
  for (int a = 0; a < 10; ++a)
    for (int b = a + 1; b < 10; ++b) EXPECT_GE(differences(digit(a), digit(b)), 6) << a << " " << b;
}

TEST(SpriteSheet, DigitsAreGreenWithADarkRim) {
  // Readable over any background: a green face, ringed by dark pixels wherever it meets
  // transparency.
  for (int d = 0; d < 10; ++d) {
    const Rect r{65 + 13 * (d % 4), 65 + 20 * (d / 4), 13, 20};
    int green = 0, faces = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) {
        if (!opaqueInMask(x, y)) continue;
        const Rgb c = sheet().at(x, y);
        const bool edge = !opaqueInMask(x - 1, y) || !opaqueInMask(x + 1, y) ||
                          !opaqueInMask(x, y - 1) || !opaqueInMask(x, y + 1);
        if (edge) {
          EXPECT_LT(luminance(c), 60) << "digit " << d << " rim at " << x << "," << y;
        } else if (luminance(c) >= 60) {
          ++faces;
          green += c.g > c.r && c.g > c.b;
        }
      }
    EXPECT_GT(faces, 20) << d;
    EXPECT_EQ(green, faces) << "digit " << d;
  }
}

// ---- English status labels ------------------------------------------------------------

TEST(EnglishLabels, StandLikeTheJapaneseAndNoWider) {
  const Picture p = load("labels-en.png"), m = load("labels-en-mask.png");
  const std::pair<Rect, Rect> pairs[] = {
      // Japanese, English
      {rect(pelaryn::Cell::ScoreLabel), rect(pelaryn::Cell::English::ScoreLabel)},
      {rect(pelaryn::Cell::HighScoreLabel), rect(pelaryn::Cell::English::HighScoreLabel)},
      {rect(pelaryn::Cell::ComboLabel), rect(pelaryn::Cell::English::ComboLabel)}};
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      const bool inCell = std::any_of(std::begin(pairs), std::end(pairs),
                                      [&](const auto& l) { return l.second.contains(x, y); });
      ASSERT_TRUE(inCell || m.at(x, y).white()) << "stray pixel at " << x << "," << y;
    }
  // The rows a label's paint spans from the top of its cell, its right edge and its colours.
  struct Ink {
    int top = 1 << 20, bottom = -1, right = -1;
    std::set<Rgb> colours;
  };
  auto ink = [](const Picture& pic, const Picture& msk, const Rect& r) {
    Ink i;
    for (int y = 0; y < r.h; ++y)
      for (int x = 0; x < r.w; ++x)
        if (msk.at(r.x + x, r.y + y).black()) {
          i.top = std::min(i.top, y);
          i.bottom = std::max(i.bottom, y);
          i.right = std::max(i.right, x);
          i.colours.insert(pic.at(r.x + x, r.y + y));
        }
    return i;
  };
  for (const auto& [japanese, english] : pairs) {
    ASSERT_TRUE(english.x + english.w <= p.width && english.y + english.h <= p.height);
    const Ink jp = ink(sheet(), mask(), japanese), en = ink(p, m, english);
    // On the line of the Japanese lettering (and of the digits beside it), as tall, in its
    // colours, and never reaching further towards the digits than the Japanese cell.
    EXPECT_EQ(english.h, japanese.h) << japanese.y;
    EXPECT_EQ(en.bottom, jp.bottom) << japanese.y;
    EXPECT_LE(std::abs(en.top - jp.top), 1) << japanese.y;
    EXPECT_LT(en.right, japanese.w) << japanese.y;
    EXPECT_GT(en.right, japanese.w / 2) << japanese.y;
    for (const Rgb& c : en.colours) EXPECT_EQ(jp.colours.count(c), 1u) << japanese.y;
  }
}

// ---- The flare ------------------------------------------------------------------------

TEST(Flare, IsDrawnHalfSeeThroughAsACheckerboard) {
  const int parity = (kFlare.x + kFlare.y) % 2;
  for (int y = kFlare.y; y < kFlare.y + kFlare.h; ++y)
    for (int x = kFlare.x; x < kFlare.x + kFlare.w; ++x) {
      if (!opaqueInMask(x, y)) continue;
      ASSERT_EQ((x + y) % 2, parity) << x << "," << y;
      ASSERT_FALSE(sheet().at(x, y).white()) << x << "," << y;
    }
  // The disc itself is solid in its pattern: every other pixel of its middle is opaque.
  for (int y = kFlare.y + 8; y < kFlare.y + 24; ++y)
    for (int x = kFlare.x + 8; x < kFlare.x + 24; ++x)
      EXPECT_EQ(opaqueInMask(x, y), (x + y) % 2 == parity) << x << "," << y;
  EXPECT_GE(opaqueCount(kFlare), 300);  // a large disc, most of the cell's 512 on-pattern pixels
}

// ---- Gauge colours --------------------------------------------------------------------

TEST(RainbowStrip, TenSolidColumnsFromRedToDarkRed) {
  // Gauges lay columns of one colour side by side, so each column must repeat the same
  // colour across its width; neighbouring gauge colours must never share a shade.
  std::array<std::set<Rgb>, 10> shades;
  std::array<Rgb, 10> middle;
  for (int c = 0; c < 10; ++c) {
    for (int y = 0; y < 12; ++y) {
      const Rgb left = sheet().at(80 + 4 * c, y);
      ASSERT_TRUE(opaqueInMask(80 + 4 * c, y));
      for (int i = 1; i < 4; ++i) {
        ASSERT_TRUE(opaqueInMask(80 + 4 * c + i, y));
        ASSERT_EQ(sheet().at(80 + 4 * c + i, y), left) << "column " << c << " row " << y;
      }
      shades[c].insert(left);
    }
    middle[c] = sheet().at(80 + 4 * c, 6);
  }
  for (int a = 0; a < 10; ++a)
    for (int b = a + 1; b < 10; ++b)
      for (const Rgb& s : shades[a]) EXPECT_EQ(shades[b].count(s), 0u) << a << " " << b;

  // Red, orange, yellow, yellow-green, green, cyan, blue, violet, purple: hue rises.
  auto h = [&](int c) {
    const double v = hue(middle[c]);
    return v > 330 ? v - 360 : v;
  };
  for (int c = 1; c < 9; ++c) EXPECT_GT(h(c), h(c - 1) + 10) << "column " << c;
  // ... and the last is a dark red: a red hue, darker than the first.
  const double last = hue(middle[9]);
  EXPECT_TRUE(last > 330 || last < 15) << last;
  EXPECT_LT(luminance(middle[9]), luminance(middle[0]) * 0.8);
}

// ---- Title pictures -------------------------------------------------------------------

TEST(TitleLogo, MaskBelowMatchesTheLettering) {
  int opaque = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 190; x < 388; ++x) {
      const Rgb logo = title().at(x, y), m = title().at(x, y + 100);
      ASSERT_TRUE(m.black() || m.white()) << "logo mask pixel " << x << "," << y + 100;
      if (m.white())
        ASSERT_TRUE(logo.white()) << "logo pixel " << x << "," << y << " shows through the mask";
      else
        ASSERT_FALSE(logo.white()) << "opaque logo pixel " << x << "," << y << " is white";
      opaque += m.black();
    }
  EXPECT_GT(opaque, 198 * 100 / 6);
}

TEST(TitlePicture, PiecesDrawnWithOrSitOnBlack) {
  const Rect listed[] = {
      {0, 0, 190, 195}, {190, 0, 198, 200}, {0, 195, 80, 66}, {80, 219, 118, 42}};
  for (int y = 0; y < 261; ++y)
    for (int x = 0; x < 388; ++x) {
      const bool inPiece = std::any_of(std::begin(listed), std::end(listed),
                                       [&](const Rect& r) { return r.contains(x, y); });
      if (!inPiece) {
        ASSERT_TRUE(title().at(x, y).black()) << "unused area at " << x << "," << y;
      }
    }
  const Rect orPieces[] = {{0, 0, 190, 195}, {0, 195, 80, 66}, {80, 219, 118, 42}};
  for (const Rect& r : orPieces) {
    int lit = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) lit += !title().at(x, y).black();
    EXPECT_GT(lit, r.w * r.h / 20) << r.x << "," << r.y;
    for (auto [x, y] : {std::pair{r.x, r.y},
                        {r.x + r.w - 1, r.y},
                        {r.x, r.y + r.h - 1},
                        {r.x + r.w - 1, r.y + r.h - 1}})
      EXPECT_TRUE(title().at(x, y).black()) << "corner " << x << "," << y;
  }
}

TEST(TitlePicture, EmblemIsBlueAndCreditCyan) {
  auto check = [](const Rect& r, auto ok, const char* what) {
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) {
        const Rgb c = title().at(x, y);
        if (!c.black() && luminance(c) > 40) {
          ASSERT_TRUE(ok(c)) << what << " at " << x << "," << y;
        }
      }
  };
  check(
      {0, 195, 80, 66}, [](const Rgb& c) { return c.b > c.r && c.b >= c.g; }, "emblem");
  check(
      {80, 219, 118, 42}, [](const Rgb& c) { return c.g > c.r + 40 && c.b > c.r + 40; }, "credit");
}

TEST(CoinLogo, TwoFacesOnBlack) {
  const Picture p = load("logo.png");
  ASSERT_EQ(p.width, 130);
  // The faces are squeezed to a sliver while the coin turns: both must stay inside their
  // halves, on black.
  for (int y = 0; y < 65; ++y) {
    EXPECT_TRUE(p.at(0, y).black());
    EXPECT_TRUE(p.at(64, y).black());
    EXPECT_TRUE(p.at(65, y).black());
    EXPECT_TRUE(p.at(129, y).black());
  }
  double front[3] = {}, back[3] = {};
  int nf = 0, nb = 0;
  for (int y = 0; y < 65; ++y)
    for (int x = 0; x < 65; ++x) {
      const Rgb f = p.at(x, y), b = p.at(x + 65, y);
      if (luminance(f) > 40) front[0] += f.r, front[1] += f.g, front[2] += f.b, ++nf;
      if (luminance(b) > 40) back[0] += b.r, back[1] += b.g, back[2] += b.b, ++nb;
    }
  ASSERT_GT(nf, 1500);
  ASSERT_GT(nb, 1500);
  // Yellow in front, brown behind.
  EXPECT_GT(front[1] / nf, 150);
  EXPECT_LT(front[2] / nf, front[1] / nf * 0.6);
  EXPECT_LT(back[1] / nb, 140);
  EXPECT_GT(back[0] / nb, back[2] / nb * 1.4);
}

// The ranking window shows one heading or the other in the same place: the English one in the
// Japanese one's colours (drawn, not blended), its lettering on the same rows and its badge
// ending where the Japanese one's does.
TEST(RankLogo, BothLanguagesInSixteenColoursOnOneLine) {
  struct Ink {
    std::set<Rgb> colours;
    int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
  };
  const auto ink = [](const Picture& p) {
    Ink i;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        i.colours.insert(p.at(x, y));
        if (p.at(x, y).black()) continue;
        i.left = std::min(i.left, x), i.right = std::max(i.right, x);
        i.top = std::min(i.top, y), i.bottom = std::max(i.bottom, y);
      }
    return i;
  };
  const Picture japanese = load("ranklogo.png"), english = load("ranklogo-en.png");
  const Ink ja = ink(japanese), en = ink(english);
  for (const Ink* i : {&ja, &en}) {
    EXPECT_LE(i->colours.size(), 16u);
    EXPECT_GE(i->colours.size(), 4u);  // lettering, not a blank panel
  }
  for (const Rgb& c : en.colours)
    EXPECT_EQ(ja.colours.count(c), 1u) << c.r << "," << c.g << "," << c.b;
  EXPECT_EQ((std::array{en.left, en.right, en.top, en.bottom}),
            (std::array{ja.left, ja.right, ja.top, ja.bottom}));
  EXPECT_NE(english.rgba, japanese.rgba);
}

TEST(Icons, FigureOnATransparentSquare) {
  for (int size : {16, 32, 48, 64, 128, 192, 256, 512}) {
    const Picture p = load("icon-" + std::to_string(size) + ".png");
    ASSERT_EQ(p.width, size);
    EXPECT_EQ(p.alpha(0, 0), 0) << size;
    EXPECT_EQ(p.alpha(size - 1, size - 1), 0) << size;
    int solid = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) solid += p.alpha(x, y) == 255;
    EXPECT_GT(solid, size * size / 6) << size;
  }
}

// ---- Background tile ------------------------------------------------------------------

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

TEST(Background, IsAnUncompressed24BitBmp) {
  std::ifstream in(kAssetDir + "/back.bmp", std::ios::binary);
  ASSERT_TRUE(in) << "back.bmp missing";
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(le(b, 14, 4), 40u);  // BITMAPINFOHEADER
  const int32_t w = static_cast<int32_t>(le(b, 18, 4)), h = static_cast<int32_t>(le(b, 22, 4));
  EXPECT_GE(w, 300);
  EXPECT_GE(std::abs(h), 400);
  EXPECT_EQ(le(b, 26, 2), 1u);   // planes
  EXPECT_EQ(le(b, 28, 2), 24u);  // bits per pixel
  EXPECT_EQ(le(b, 30, 4), 0u);   // BI_RGB: no compression
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  EXPECT_GE(b.size(), le(b, 10, 4) + stride * static_cast<size_t>(std::abs(h)));
}

TEST(Background, IsDarkAndWrapsWithoutASeam) {
  const Picture p = load("back.bmp");
  ASSERT_GE(p.width, 300);
  ASSERT_GE(p.height, 400);
  // Dark: sprites and digits must stand out everywhere.
  double sum = 0;
  int bright = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const double l = luminance(p.at(x, y));
      sum += l;
      bright += l > 128;
    }
  EXPECT_LT(sum / (p.width * p.height), 40.0);
  EXPECT_LT(bright, p.width * p.height / 200);

  // Seamless: the step across the wrap is no larger than a step between ordinary
  // neighbouring rows or columns.
  auto colStep = [&](int a, int b) {
    double d = 0;
    for (int y = 0; y < p.height; ++y) {
      const Rgb u = p.at(a, y), v = p.at(b, y);
      d += std::abs(u.r - v.r) + std::abs(u.g - v.g) + std::abs(u.b - v.b);
    }
    return d / p.height;
  };
  auto rowStep = [&](int a, int b) {
    double d = 0;
    for (int x = 0; x < p.width; ++x) {
      const Rgb u = p.at(x, a), v = p.at(x, b);
      d += std::abs(u.r - v.r) + std::abs(u.g - v.g) + std::abs(u.b - v.b);
    }
    return d / p.width;
  };
  double cols = 0, rows = 0;
  for (int x = 0; x + 1 < p.width; ++x) cols += colStep(x, x + 1);
  for (int y = 0; y + 1 < p.height; ++y) rows += rowStep(y, y + 1);
  cols /= p.width - 1;
  rows /= p.height - 1;
  EXPECT_LT(colStep(p.width - 1, 0), cols * 2.0 + 1.0);
  EXPECT_LT(rowStep(p.height - 1, 0), rows * 2.0 + 1.0);
}

}  // namespace
