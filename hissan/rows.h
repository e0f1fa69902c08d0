// Reads a display list back as rows of text on the board grid, so that tests
// and the export tool can show a drawing as the picture it is.
#pragma once

#include <string>
#include <vector>

#include "hissan/board.h"
#include "hissan/display_list.h"

namespace hissan {

struct BoardRow {
    int y = 0;         // top of the glyphs of this row
    int size = 0;      // largest point size in the row
    std::string text;  // one character per column, points between columns
};

// Every text op is snapped to the column grid of `b` (OriginX, CellW): glyphs
// in whole columns, the point "●" on the nearest column boundary. Full-width
// digits and signs read back as ASCII ("１２" -> "12", "×" -> "*", "●" -> ".",
// "□" -> "#"); other texts (labels, small marks) are kept as they are. Ops of
// the same y form one row; rows are ordered top to bottom. Step-only ops are
// left out unless `withStepOnly`.
std::vector<BoardRow> boardRows(const DisplayList& ops, const Grid& b, bool withStepOnly = false);

// The rows as plain strings, trailing spaces removed.
std::vector<std::string> boardRowTexts(const DisplayList& ops, const Grid& b,
                                       bool withStepOnly = false);

}  // namespace hissan
