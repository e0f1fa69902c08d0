// What a worksheet prints of a finished board: the practice problem chosen
// from its display list, the ops as they go on paper, and the squares behind
// its working. The same for every front end that prints sheets.
#pragma once

#include <cstddef>
#include <vector>

#include "hissan/board.h"
#include "hissan/display_list.h"

namespace worksheet {

// The practice problem of a finished board whose layout starts at op
// `layoutStart`, for the operator `op`: the expression line up to its "=",
// then the operands, the sign and the first rule (a division: the divisor,
// the bracket and the dividend, and the note saying how far to work),
// chosen by the part each op was drawn as, never by its colour.
hissan::DisplayList problemOps(const hissan::DisplayList& board, size_t layoutStart, char op);

// A board's ops as printed on paper: the background squares the board lays
// under its glyphs are not filled (what they would wipe out is left out
// instead), a text written twice in one place is printed once, and on an
// answer page (`answers`) the leading zeros the board shows in an answer row
// (1000-372 is worked as 0628) are left out, so that 628 is printed.
hissan::DisplayList paperOps(const hissan::DisplayList& ops, bool answers);

// Whether an op of a finished board belongs to its expression line (the
// expression, its "=" and the answer after it, a note above it) rather than
// to the working. `lineTop` and `lineBottom` bound the expression's texts.
bool onExpressionLine(const hissan::Op& op, int lineTop, int lineBottom);

// The squared grid behind a board's working: one row of squares for each row
// of full-size digits, all rows over the same columns, in board pixels.
struct Squares {
    int left = 0, columns = 0, size = 0;
    std::vector<int> rowTops;
};

// The squares of the finished board `full` laid out on `grid`, whose
// expression line spans `lineTop` to `lineBottom`.
Squares squaresOf(const hissan::DisplayList& full, const hissan::Grid& grid, int lineTop,
                  int lineBottom);

// Adds empty rows under `sq` until it has `rows`, one under another as the
// board sets its rows apart, so that the squares of a problem do not tell
// how long its working is. Squares with no columns are left as they are.
void padRows(Squares& sq, size_t rows);

}  // namespace worksheet
