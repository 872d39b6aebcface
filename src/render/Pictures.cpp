#include "render/Pictures.h"

#include <stb/stb_image.h>

#include <cstdio>
#include <memory>

#include "render/EmbeddedFiles.h"

namespace pelaryn {
namespace {

struct StbFree {
  void operator()(unsigned char* p) const { stbi_image_free(p); }
};

bool SizeAcceptable(int w, int h) {
  return w > 0 && h > 0 && w <= MaxPictureSide && h <= MaxPictureSide;
}

bool FromRgb(std::unique_ptr<unsigned char, StbFree> rgb, int w, int h, Surface& out) {
  if (!rgb) return false;
  out.Resize(w, h);
  const unsigned char* p = rgb.get();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x, p += 3) out.SetPixel(x, y, Rgb(p[0], p[1], p[2]));
  }
  return true;
}

bool FindEmbedded(std::string_view name, std::span<const unsigned char>& bytes) {
  for (const EmbeddedFile& file : EmbeddedFiles()) {
    if (file.Name == name) {
      bytes = file.Bytes;
      return true;
    }
  }
  return false;
}

}  // namespace

bool DecodePicture(std::span<const unsigned char> bytes, Surface& out) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return false;
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(data, length, &w, &h, &channels) || !SizeAcceptable(w, h)) {
    return false;
  }
  std::unique_ptr<unsigned char, StbFree> rgb(
      stbi_load_from_memory(data, length, &w, &h, &channels, 3));
  return FromRgb(std::move(rgb), w, h, out);
}

bool LoadEmbeddedPictures(Pictures& pictures) {
  const struct {
    const char* name;
    Surface& surface;
  } wanted[] = {
      {"chr.png", pictures.Sheet.Chr},
      {"mask.png", pictures.Sheet.Mask},
      {"title.png", pictures.Title},
      {"logo.png", pictures.Logo},
      {"ranklogo.png", pictures.RankLogo},
      {"ranklogo-en.png", pictures.EnglishRankLogo},
      {"about.png", pictures.About},
      {"labels-en.png", pictures.EnglishLabels.Chr},
      {"labels-en-mask.png", pictures.EnglishLabels.Mask},
  };
  bool all = true;
  for (const auto& item : wanted) {
    std::span<const unsigned char> bytes;
    if (!FindEmbedded(item.name, bytes) || !DecodePicture(bytes, item.surface)) {
      std::fprintf(stderr, "pelaryn: the built-in picture %s could not be decoded\n", item.name);
      all = false;
    }
  }
  return all;
}

}  // namespace pelaryn
