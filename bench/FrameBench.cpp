// The cost of whole frames: everything the main loop simulates and draws, with the virtual clock
// so that no time is spent waiting.

#include <benchmark/benchmark.h>

#include "game/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "render/GameContext.h"
#include "render/Pictures.h"
#include "render/StatusDisplay.h"
#include "replay/Recorder.h"

namespace pelaryn {
namespace {

void BM_WholeFrame(benchmark::State& state) {
  Pictures pictures;
  if (!LoadEmbeddedPictures(pictures)) {
    state.SkipWithError("pictures");
    return;
  }
  HeadlessPlatform platform(PELARYN_RUNTIME_DIR);
  Game game(platform, pictures);
  KeyScript keys;
  keys.Hold(1, UINT64_MAX, vk::Z);
  platform.SetKeys(std::move(keys));
  platform.SetFrameSource([&] { return game.CurrentFrame(); });
  game.OnTitleStart = [&] { game.MenuCommand(MenuId::Start); };  // straight past the title
  game.FormLoad();
  game.EnterMainLoop();
  // The lives are held where they are (a game over would leave the loop for the title), at three
  // or at a number that fills the field with hearts; the level from the easiest to the hardest.
  const auto life = static_cast<int16_t>(state.range(0));
  game.State().Level = static_cast<int16_t>(state.range(1));
  for (auto _ : state) {
    game.State().Life = life;
    game.RunFrame();
    benchmark::DoNotOptimize(game.State().Score);
  }
}
BENCHMARK(BM_WholeFrame)->Args({3, 0})->Args({30000, 0})->Args({3, 32767});

// The boss's life gauge at the hardest level, full: a column for each point of life.
void BM_BossLifeGauge(benchmark::State& state) {
  Pictures pictures;
  if (!LoadEmbeddedPictures(pictures)) {
    state.SkipWithError("pictures");
    return;
  }
  HeadlessPlatform platform(PELARYN_RUNTIME_DIR);
  GameState s;
  Random random;
  Surface field(300, 400);
  GameContext g{{s, random, platform}, field, pictures.Sheet};
  s.Level = 32767;
  s.Boss.Life() = 32767;
  for (auto _ : state) {
    DrawBossLifeGauge(g);
    benchmark::DoNotOptimize(field.Row(388)[150]);
  }
}
BENCHMARK(BM_BossLifeGauge);

}  // namespace
}  // namespace pelaryn

namespace pelaryn {
namespace {

// What recording adds to a frame, alone: the ten keys and the pad read through the recorder,
// changing every frame (the worst case for its change list), and its yield with a checkpoint of
// the whole state every hundredth frame. A new recording starts every hour of play.
void BM_RecordingPerFrame(benchmark::State& state) {
  HeadlessPlatform platform(PELARYN_RUNTIME_DIR);
  uint64_t frame = 0;
  RecordingPlatform recorder(platform, frame);
  GameState s;
  Random random;
  KeyScript keys;
  for (uint64_t f = 1; f < 80000; f += 2) keys.Hold(f, f, vk::Left);
  platform.SetKeys(std::move(keys));
  platform.SetFrameSource([&] { return frame; });
  JoyInfo info;
  for (auto _ : state) {
    if (frame % 80000 == 0) {
      frame = 0;
      recorder.Begin(s, random, "back.bmp", 300, 400, 0);
    }
    ++frame;
    for (const int key : ReplayKeys) benchmark::DoNotOptimize(recorder.KeyDown(key));
    benchmark::DoNotOptimize(recorder.JoyGetPos(info));
    recorder.ProcessEvents();
  }
}
BENCHMARK(BM_RecordingPerFrame);

}  // namespace
}  // namespace pelaryn
