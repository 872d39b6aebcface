// The background picture the player names: any bytes at all. A picture that loads has a size
// within the limit, and it is whole: the same bytes followed by junk decode to the same pixels,
// so a picture whose data ends early (which a decoder would finish from whatever its memory
// held, or from the junk) shows. A refusal says why and leaves the surface alone.

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "platform/picture/PictureFile.h"
#include "render/Surface.h"

using pelaryn::fuzz::Check;

namespace pelaryn {
namespace {

// Pictures of up to a million pixels: the largest allowed would spend each run filling 64 MB
// under the sanitizers, and at a few hundred runs a second the decoders would hardly be explored.
// The size checks themselves are the same for any limit, and the unit tests load a picture of
// the full size.
constexpr int64_t FuzzMaxPixels = int64_t{1} << 20;

bool SamePixels(const Surface& a, const Surface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Data(), a.Data() + std::size_t{1} * a.Width() * a.Height(), b.Data());
}

}  // namespace
}  // namespace pelaryn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace pelaryn;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const Surface before(3, 2, Rgb(1, 2, 3));
  Surface out = before;
  std::string why;
  if (!LoadPictureBytes(bytes, out, why, FuzzMaxPixels)) {
    Check(!why.empty(), "a refused picture says why");
    Check(SamePixels(out, before), "a refused picture leaves the surface as it was");
    return 0;
  }
  Check(!out.Empty(), "a loaded picture has pixels");
  Check(int64_t{out.Width()} * out.Height() <= FuzzMaxPixels,
        "a loaded picture is within the size limit");
  Check(out.Width() <= MaxPictureFileSide && out.Height() <= MaxPictureFileSide,
        "a loaded picture's sides are within their limit");
  Surface padded = before;
  std::string whyPadded;
  Check(LoadPictureBytes(bytes + std::string(4096, '\x5A'), padded, whyPadded, FuzzMaxPixels),
        "a picture followed by junk still loads");
  Check(SamePixels(out, padded), "junk after a picture changes none of its pixels");
  return 0;
}
