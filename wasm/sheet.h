// Worksheets on the page: random problems from the core's generator, each
// laid out on a board of its own with the web font's metrics, and the parts
// of its display list a printed sheet shows: the practice problem (operands,
// sign, first rule) and the finished board, with what a board shows only on
// the screen (background squares, the grey leading zeros of an answer) left
// out. The page sets them out on A4 pages itself.
#pragma once

#include <string>

#include "hissan/canvas.h"
#include "hissan/display_list.h"
#include "hissan/jouken.h"

namespace web {

// What the sheet's maker chose: 0 any, 1 yes, 2 no for the carry and the
// remainder; 0 for any number of quotient digits; -1 for any decimals.
struct SheetRequest {
    std::string pattern;
    int count = 0;
    std::string seed;  // a whole number, as typed
    int carry = 0, remainder = 0;
    int quotientDigits = 0;
    bool zeroInQuotient = false, noTrivial = false;
    int decimals = -1;
    bool unique = false;
};

// The problems as JSON: {"problems": [{"expression", "answer", "line": [[op
// numbers, text]...] x2, "work": [...] x2, "squares": {...}}]} with [0] the
// practice problem and [1] the finished board, or {"error": message} in the
// program's words, naming the choice no problem meets.
std::string makeSheet(const hissan::TJouken& jk, const hissan::Metrics& metrics,
                      const SheetRequest& request);

}  // namespace web
