#pragma once

// A whole game on the headless platform, started and ready for its first frame.

#include <gtest/gtest.h>

#include <algorithm>

#include "game/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "render/Pictures.h"

namespace pelaryn::testing {

inline const Pictures& LoadedPictures(Pictures& pictures) {
  EXPECT_TRUE(LoadEmbeddedPictures(pictures));
  return pictures;
}

struct TestGame {
  Pictures pictures;
  HeadlessPlatform platform{PELARYN_RUNTIME_DIR};
  Game game{platform, LoadedPictures(pictures)};
  GameState& s = game.State();

  explicit TestGame(bool start = true) {
    platform.SetFrameSource([this] { return game.CurrentFrame(); });
    // Straight past the title, unless a test wants to see it.
    game.OnTitleStart = [this] { game.MenuCommand(MenuId::Start); };
    if (start) Start();
  }
  void Start() {
    game.FormLoad();
    game.EnterMainLoop();
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) game.RunFrame();
  }
  const Surface& Field() const { return game.PlayField(); }
  const SpriteSheet& Sheet() const { return pictures.Sheet; }
};

// A started game plus a context of its own (own random source, own field) for calling single
// routines directly.
struct Scene : TestGame {
  Random random;
  Surface field{300, 400};
  GameContext g{s, random, platform, field, pictures.Sheet};
  void Keys(KeyScript keys) { platform.SetKeys(std::move(keys)); }
  void Joystick(JoyScript joy) { platform.SetJoystick(std::move(joy)); }
  int Sounds(std::string_view file) { return platform.RecordedSound().Count(file); }
};

// True when the w x h block of `field` at (x, y) looks exactly like the sheet cell drawn there
// on the same background.
inline bool ShowsCell(const Surface& field, const Surface& before, const SpriteSheet& sheet, int x,
                      int y, int w, int h, int sx, int sy) {
  Surface expected = before;
  DrawSprite(expected, sheet, x, y, w, h, sx, sy);
  for (int j = std::max(0, y); j < std::min(field.Height(), y + h); ++j) {
    for (int i = std::max(0, x); i < std::min(field.Width(), x + w); ++i) {
      if (field.Pixel(i, j) != expected.Pixel(i, j)) return false;
    }
  }
  return true;
}

}  // namespace pelaryn::testing
