// Pieces shared by the integer and the decimal multiplication layouts: the
// product table, one partial product, the column sum of the partial products
// and the part names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hissan/board.h"

namespace hissan {

// The digits the partial products put into the columns: cell (i, c) holds the
// digit that partial product i writes into column c (0 = the column left of
// RightX). The table is sized from the operands; a cell outside it reads as 0
// and cannot be written, so a wrong index can never touch foreign memory.
class SekiTable {
  public:
    SekiTable(int rows, int cols);
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    bool contains(int i, int c) const { return i >= 0 && i < rows_ && c >= 0 && c < cols_; }
    void set(int i, int c, int digit);
    int get(int i, int c) const;
    // Sum of every partial product's digit in column c.
    int columnSum(int c) const;

  private:
    int rows_;
    int cols_;
    std::vector<int> cells_;
};

// Where one partial product puts its small carries and when it stops for a
// step: the integer layout stops before every digit, the decimal layout after.
struct PartialStyle {
    int carryY = 0;
    Colour carryColour = Colour::of(Role::Digit);
    bool stepBefore = false;
    bool stepAfter = false;
};

// Partial product i: the digits of `multiplicand` (ones last) times the
// multiplier digit d (1..9), written into row i of the table and drawn on row
// y, its ones digit i columns left of the ones column (b.RightX - W). Returns
// the x of its leftmost digit.
int KakeBubunSeki(Run& b, SekiTable& t, std::string_view multiplicand, int i, int d, int y,
                  const PartialStyle& style);

// The x of the leftmost digit that any partial product of `multiplicand` by
// the digits of `multiplier` (both ones last) writes, the ones column ending
// at rightX; rightX itself when every multiplier digit is 0.
int BubunSekiLeftX(int rightX, int cellW, std::string_view multiplicand,
                   std::string_view multiplier);

// The left end of the first rule: under the sign, or, when partial products
// reach further left than the sign, one column left of their first digit,
// where the second rule starts too.
inline int Rule1LeftX(int signX, int partialsLeftX, int cellW) {
    return partialsLeftX >= signX ? signX : partialsLeftX - cellW;
}

// Where the column sum writes its digits and small carries.
struct SumStyle {
    int digitY = 0;
    int carryY = 0;
    Colour carryColour = Colour::of(Role::Carry);
};

// The sum of the partial products column by column, a step point before each
// column. It stops without drawing at column `limit` (the product can have no
// more digits) and at a zero in the last possible column. Returns the drawn
// digits, ones first.
std::string KakeWa(Run& b, const SekiTable& t, int limit, const SumStyle& style);

// "←かけられる数" and "←かける数" at x from row `row` (the second `gap` line
// pitches lower), "←積" at (sekiX, sekiY): small labels in the digit colour.
void KakezanMeishou(Run& b, int x, int row, double gap, int sekiX, int sekiY);

}  // namespace hissan
