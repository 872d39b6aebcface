// The cost of whole frames: everything the main loop simulates and draws, with the virtual clock
// so that no time is spent waiting.

#include <benchmark/benchmark.h>

#include "game/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "render/Pictures.h"

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
  game.FormLoad();
  game.EnterMainLoop();
  for (auto _ : state) {
    game.RunFrame();
    benchmark::DoNotOptimize(game.State().Score);
  }
}
BENCHMARK(BM_WholeFrame);

}  // namespace
}  // namespace pelaryn
