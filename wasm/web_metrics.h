// The board font's metrics for the browser board, computed from the advances
// of the font the page ships (Noto Sans Mono CJK JP), with the rounding the
// desktop's font engine applies, so that a layout on the page has the same
// coordinates as on the desktop at the same point size.
#pragma once

#include <string_view>

#include "hissan/canvas.h"

namespace web {

// The board works at 96 dots per inch, like the desktop board and its export.
constexpr int kBoardDpi = 96;

// The em of a point size in whole pixels, as the desktop font engine takes it.
int fontPixels(int pointSize);

// Where a text's baseline is below the top of its cell, as the desktop
// board draws it: 0.88 em.
int cellAscent(int pointSize);

// Advance of one character in font units (the em is 1000 units); characters
// the shipped font lacks count as half or full width by their display cells.
int advanceUnits(char32_t cp);

class WebMetrics : public hissan::Metrics {
  public:
    int textWidth(std::string_view utf8, int pointSize, bool bold) const override;
    int textHeight(int pointSize) const override;
    int fontHeightValue(int pointSize) const override;
};

}  // namespace web
