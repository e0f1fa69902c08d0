// Pieces shared by the integer and the decimal long-division layouts: the
// frame geometry, the digit-by-digit engine WarizanStep, rounding on the
// quotient's digit text, the finishing of quotient and remainder, the part
// names and the answer.
//
// Columns are counted by dividend position p (1 = the first dividend digit):
// position p has its left edge at KakkoX + (p - 3) CellW. Every digit of the
// quotient and of the remainder stands in the position of its place value.
#pragma once

#include <cstdint>
#include <string>

#include "hissan/board.h"

namespace hissan {

// The frame of one division and what the engine walks.
struct WarizanWaku {
    int KakkoX = 0;     // dividend position p at KakkoX + (p - 3) CellW
    int WarareruY = 0;  // dividend row (before the engine moves it down)
    int KakkoY = 0;     // the bracket's horizontal line
    int ShouY = 0;      // quotient row
    int MigiX = 0;      // right end of the bracket line
    int ShouTenX = 0;   // the quotient's point
    int TypedTenX = 0;  // the dividend's typed point: the remainder's point

    std::string digits;  // the extended dividend: typed digits and appended zeros
    int walk = 0;        // positions the engine walks (1..walk)
    int shouIchi = 0;    // position of the quotient's ones digit
    int amariIchi = 0;   // position of the dividend's ones digit as typed
    int64_t divisor = 0;
    std::string divisorDigits;  // the divisor as the engine reads it
    int divisorLastX = 0;       // left edge of the divisor's last kept digit

    int colX(const Run& b, int p) const { return KakkoX + (p - 3) * b.CellW; }
};

// What the engine leaves for the finishing.
struct WarizanKiroku {
    std::string shou;     // quotient digit per walked position, ' ' where none stands
    int64_t amari = 0;    // last remainder, in units of the last walked position
    int steps = 0;        // products drawn
    int AmariY = 0;       // row of the last partial remainder
    int ruleY = 0;        // row of the last rule
    int lastRowLeft = 0;  // first and last position drawn in the last remainder row
    int lastRowRight = 0;
    int WarareruY = 0;  // the dividend row as the engine moved it
};

// The extended dividend text as a signed 64-bit value; false when it does
// not fit (the layouts then show the overflow message).
bool WarizanFits(const std::string& digits);

// The overflow message of both division layouts; the layout returns -10.
int WarizanOverflow(Run& b);

// Walks positions 1..f.walk: quotient digit, product, rule, partial
// remainder and the brought-down digit of each, with the step points and
// pauses of the written calculation.
int WarizanStep(Run& b, const WarizanWaku& f, WarizanKiroku& k);

// The quotient rounded on its digit text at its last digit (half up): the
// text without its last digit, one unit added at the new last place when
// that digit is 5 or more (carrying through nines and across the point).
std::string ShishaGonyuText(const std::string& shou);

// The condition of one run: the quotient mode and N after the adjustments
// that switch rounding off when there is nothing to round.
struct WarizanJouken {
    int shouIti = 0;
    int n = 0;
    bool round = false;  // the quotient is rounded at its N-th decimal
    int w = 0;           // quotient decimals drawn
};
WarizanJouken WarizanJoukenOf(const Run& b);

// Prepares the division again for the conditions of this run (into b.out.wz),
// so that a redraw after a change of N or of the quotient mode shows that
// quotient. False when the preparation refuses the expression.
bool WarizanJunbiAgain(Run& b);

// The quotient's "0" and zeros before its first digit, and its point.
void ShouShiage(Run& b, const WarizanWaku& f, const WarizanKiroku& k, int w);

// Rounding marks on the quotient row; returns the rounded answer.
std::string ShishaGonyuDsp(Run& b, const WarizanWaku& f);

// The remainder written in its place-value columns on row y: a point under
// the typed point, added zeros in the auxiliary colour, zeros of the row
// after its last significant digit struck through, `cancelled` columns left
// of the ones position (zeros cancelled from both operands) in the
// auxiliary colour under an aqua line.
void AmariShiage(Run& b, const WarizanWaku& f, const WarizanKiroku& k, int y, int rowRight,
                 int cancelled);

// The dotted reference line from the dividend's typed point down to the
// remainder's point.
void HojoSen(Run& b, const WarizanWaku& f, int amariY);

// Part names; `labelX` is the end of the dividend row, "割る数↓" ends
// before `limitX`.
void WarizanMeishou(Run& b, int labelX, int warareruY, int amariY, bool round, int warumojiX,
                    int divisorDigits, int warumojiShift, bool asciiBracket, int limitX);

// The answer after "=" and Kotae: the rounded answer without remainder, or
// the quotient and its remainder.
void WarizanKotae(Run& b, const std::string& rounded, bool wasRounded);

}  // namespace hissan
