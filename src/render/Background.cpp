#include "render/Background.h"

#include <algorithm>

#include "base/Arith.h"
#include "render/GameContext.h"

namespace pelaryn {
namespace {

int WrapOffset(int offset, int extent) {
  if (extent <= 0) return offset;
  if (offset > extent) offset %= extent;
  if (offset < 0) offset += extent;
  return offset;
}

}  // namespace

void ScrollBackground(GameState& s, const Surface& picBack, Surface& picMain) {
  BackSettingRecord& b = s.BackSetting;
  b.OffsetX = Sat16(WrapOffset(b.OffsetX - b.ScrollYoko, picBack.Width()));
  b.OffsetY = Sat16(WrapOffset(b.OffsetY - b.ScrollTate, picBack.Height()));
  s.BackSplitX = Sat16(picBack.Width() - b.OffsetX);
  s.BackSplitY = Sat16(picBack.Height() - b.OffsetY);

  const int splitX = s.BackSplitX, splitY = s.BackSplitY;
  const int ox = b.OffsetX, oy = b.OffsetY;
  BitBlt(picMain, 0, 0, splitX, splitY, picBack, ox, oy, RasterOp::Copy);
  BitBlt(picMain, splitX, 0, FieldWidth - splitX, splitY, picBack, 0, oy, RasterOp::Copy);
  BitBlt(picMain, 0, splitY, splitX, FieldHeight - splitY, picBack, ox, 0, RasterOp::Copy);
  BitBlt(picMain, splitX, splitY, FieldWidth - splitX, FieldHeight - splitY, picBack, 0, 0,
         RasterOp::Copy);
}

void EnlargeToField(Surface& picBack) {
  if (picBack.Width() >= FieldWidth && picBack.Height() >= FieldHeight) return;
  Surface enlarged(std::max(picBack.Width(), FieldWidth), std::max(picBack.Height(), FieldHeight),
                   Rgb(0, 0, 0));
  BitBlt(enlarged, 0, 0, picBack.Width(), picBack.Height(), picBack, 0, 0, RasterOp::Copy);
  picBack = std::move(enlarged);
}

}  // namespace pelaryn
