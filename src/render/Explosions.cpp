#include "render/Explosions.h"

#include "base/Arith.h"
#include "render/Cells.h"

namespace pelaryn {

void DrawExplosions(GameContext& g, int count, int x, int y, int spread) {
  for (int n = 0; n < count; ++n) {
    const int size = 32 + static_cast<int>(Round(10 * g.random.Next()));
    const double r1 = g.random.Next(), r2 = g.random.Next(), r3 = g.random.Next();
    const CellRect cell = Cell::Blast(static_cast<int>(Floor(2 * r3)));
    g.SpriteStretched(static_cast<int>(Round(x - 20 + spread * r1)),
                      static_cast<int>(Round(y - 20 + spread * r2)), size, size, cell.X, cell.Y,
                      cell.W, cell.H);
  }
}

}  // namespace pelaryn
