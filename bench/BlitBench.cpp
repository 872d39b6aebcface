// Our masked sprite drawing against SDL's software colour-keyed blit, drawing the same cells onto
// a play-field-sized surface.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include "render/Pictures.h"
#include "render/Sprites.h"

namespace pelaryn {
namespace {

struct Cell {
  int x, y, w, h, sx, sy;
};

// A busy frame's worth of sprites: the ship, shots, enemies, bullets and digits.
constexpr Cell Cells[] = {
    {150, 320, 16, 32, 0, 0}, {40, 60, 32, 32, 0, 32},   {90, 120, 32, 32, 32, 64},
    {200, 80, 32, 32, 0, 96}, {155, 280, 8, 16, 64, 0},  {159, 240, 8, 16, 64, 0},
    {100, 200, 8, 8, 64, 16}, {180, 210, 8, 8, 64, 16},  {120, 10, 64, 48, 0, 128},
    {137, 0, 13, 20, 65, 65}, {124, 0, 13, 20, 78, 65},  {111, 0, 13, 20, 91, 85},
    {280, 2, 16, 16, 32, 16}, {60, 300, 32, 32, 64, 32}, {-10, 390, 32, 32, 96, 32},
};

void BM_DrawSprite(benchmark::State& state) {
  Pictures pictures;
  LoadEmbeddedPictures(pictures);
  Surface field(300, 400, Rgb(10, 20, 40));
  for (auto _ : state) {
    for (const Cell& c : Cells) DrawSprite(field, pictures.Sheet, c.x, c.y, c.w, c.h, c.sx, c.sy);
    benchmark::DoNotOptimize(field.Data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(std::size(Cells)));
}
BENCHMARK(BM_DrawSprite);

void BM_SdlColourKeyBlit(benchmark::State& state) {
  Pictures pictures;
  LoadEmbeddedPictures(pictures);
  const Surface& chr = pictures.Sheet.Chr;
  SDL_Surface* sheet =
      SDL_CreateRGBSurfaceWithFormat(0, chr.Width(), chr.Height(), 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_Surface* field = SDL_CreateRGBSurfaceWithFormat(0, 300, 400, 32, SDL_PIXELFORMAT_XRGB8888);
  if (!sheet || !field) {
    state.SkipWithError("SDL surfaces");
    return;
  }
  for (int y = 0; y < chr.Height(); ++y) {
    auto* row =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(sheet->pixels) + y * sheet->pitch);
    for (int x = 0; x < chr.Width(); ++x) row[x] = chr.Pixel(x, y);
  }
  SDL_SetColorKey(sheet, SDL_TRUE, SDL_MapRGB(sheet->format, 255, 255, 255));
  SDL_FillRect(field, nullptr, SDL_MapRGB(field->format, 10, 20, 40));
  for (auto _ : state) {
    for (const Cell& c : Cells) {
      SDL_Rect src{c.sx, c.sy, c.w, c.h};
      SDL_Rect dst{c.x, c.y, c.w, c.h};
      SDL_BlitSurface(sheet, &src, field, &dst);
    }
    benchmark::DoNotOptimize(field->pixels);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(std::size(Cells)));
  SDL_FreeSurface(sheet);
  SDL_FreeSurface(field);
}
BENCHMARK(BM_SdlColourKeyBlit);

}  // namespace
}  // namespace pelaryn
