// Hand-set capitals for English headings.
//
// The IPA fonts' Latin letters, averaged down to a heading twenty pixels tall, come out with
// uneven strokes and counters that close up (R, A, the bowl of P). These are drawn pixel by
// pixel instead: three-pixel strokes, the bars of E, A, R, S and G on one line, corners cut
// round. Two heights: 19 rows for a heading's words, 17 for the badge beside it.
#pragma once

#include <QString>

#include "Canvas.h"

namespace art {

// `text` in capitals `height` rows tall, letters `gap` pixels apart and words `space` pixels
// apart. Exits with a message for a size or a letter the set does not have.
Bits capitals(const QString& text, int height, int gap, int space);

// Leans `b` to the right as an italic leans: row y moves right by round(lean * (h - 1 - y))
// whole pixels, and the bitmap widens to hold it. Steps instead of a sheared outline, so that
// every stroke keeps its width.
Bits leaning(const Bits& b, double lean);

}  // namespace art
