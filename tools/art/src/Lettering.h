// Lettering from the IPA fonts, reduced to hard-edged bitmaps.
//
// Glyph outlines are filled at a high resolution, averaged down to the target grid and cut
// at a coverage threshold, so a label comes out as clean pixels that the sprite painter can
// shade and outline like any other figure.
#pragma once

#include <QString>
#include <vector>

#include "Canvas.h"

namespace art {

struct TextStyle {
  QString family = QStringLiteral("IPAGothic");
  double embolden = 0.0;   // extra stroke width, in target pixels
  double shear = 0.0;      // italic slant: x shift per unit of height (negative leans right)
  double threshold = 0.5;  // coverage above which a pixel is set
};

// The ink of `text`, scaled so that it fills w x h exactly.
Bits letterFit(const QString& text, int w, int h, const TextStyle& style);
std::vector<double> coverageFit(const QString& text, int w, int h, const TextStyle& style);

// One glyph per slot: glyph i is stretched across a slot widths[i] pixels wide (slots are laid
// left to right, `gap` pixels apart), all glyphs sharing one baseline and height h. Keeps
// tightly packed lettering legible because every glyph gets whole pixels of its own.
Bits letterSlots(const QString& text, const std::vector<int>& widths, int gap, int h,
                 const TextStyle& style);

// Hinted, unsmoothed glyphs at a small pixel size, as a bitmap font would give them: one
// glyph per slot, centred in it, all on one baseline and centred in height h. `stretch` is
// the font stretch in percent (narrower below 100); `boldX` and `boldY` thicken every
// stroke by that many pixels to the right and downwards.
Bits letterPixel(const QString& text, const std::vector<int>& widths, int gap, int h, int pixelSize,
                 int stretch, int boldX, int boldY,
                 const QString& family = QStringLiteral("IPAGothic"));

// Fails loudly unless the IPA fonts are installed, since a fallback font would silently
// change every label.
void requireFonts();

}  // namespace art
