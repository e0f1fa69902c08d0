// Pieces shared by the addition and subtraction layouts: reading operand
// digits by column, the first row of a layout, drawing an operand into its
// columns, the small part-name labels and writing the answer after "=".
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "hissan/board.h"
#include "hissan/primitives.h"

namespace hissan {

// Value of a digit character; anything else counts as 0 so that a damaged
// work copy draws zeros instead of reading garbage.
inline int DigitValue(char ch) {
    return ch >= '0' && ch <= '9' ? ch - '0' : 0;
}

inline int Keta(const std::string& s) {
    return static_cast<int>(s.size());
}

// Digit of an integer text in column c (0 = ones, 1 = tens, ...); 0 when the
// text has no digit there.
inline int SeisuDigit(const std::string& s, int c) {
    const int n = Keta(s);
    return c >= 0 && c < n ? DigitValue(s[n - 1 - c]) : 0;
}

// Decimal digit j of a decimal text (1 = tenths); 0 when the text is shorter.
inline int ShosuDigit(const std::string& s, int j) {
    return j >= 1 && j <= Keta(s) ? DigitValue(s[j - 1]) : 0;
}

// The column grid for m integer columns: RightX is the right edge of the
// ones column and TenX the x of every row's decimal point.
inline void SetColumnGrid(Run& b, int m) {
    b.RightX = b.OriginX + (m + 1) * b.CellW;
    b.TenX = Trunc(b.RightX - 0.2 * b.CellW);
}

// y of the first operand row: `lines` line pitches below the expression line,
// one more when "=" stands on a line of its own.
inline int FirstRowY(const Run& b, double lines = 2.5) {
    int y = Trunc(b.OriginY + lines * b.LineH - b.ScrollY + b.harufa());
    if (b.jk->KAIGYO_FLAG == 1) y += b.LineH;
    return y;
}

// The integer digits of an operand right-aligned on RightX in row y, each
// after a stroke pause. Returns the pen x after the last digit (RightX when
// the operand has no integer digit).
inline int DrawSeisu(Run& b, const std::string& digits, int y) {
    PartScope part(b.canvas(), Part::Operand);
    const int n = Keta(digits);
    int penX = b.RightX;
    for (int p = 0; p < n; ++p) {
        MojiDsp(b, b.RightX + (p - n) * b.CellW, y, Colour::of(Role::Digit), b.MojiSize,
                std::string_view(&digits[p], 1), 0, 1);
        penX = b.canvas().penX();
    }
    return penX;
}

// The decimal digits of an operand in decimal columns 1, 2, ... of row y.
// Returns the pen x after the last digit (RightX when there is none).
inline int DrawShosu(Run& b, const std::string& digits, int y) {
    PartScope part(b.canvas(), Part::Operand);
    int penX = b.RightX;
    for (int j = 1; j <= Keta(digits); ++j) {
        MojiDsp(b, b.RightX + (j - 1) * b.CellW, y, Colour::of(Role::Digit), b.MojiSize,
                std::string_view(&digits[j - 1], 1), 0, 1);
        penX = b.canvas().penX();
    }
    return penX;
}

// A part-name label ("←和", "…… 百の位の和") at 0.7 of the board size, in
// the current font colour.
inline void KomojiLabel(Run& b, int x, int y, std::string_view text, Part part = Part::Label) {
    Canvas& cv = b.canvas();
    PartScope scope(cv, part);
    cv.setFontSize(Trunc(0.7 * b.MojiSize));
    cv.textOut(x, y, text);
}

inline void KomojiLabel(Run& b, int x, int y, std::string_view text, Colour colour,
                        Part part = Part::Label) {
    b.canvas().setFontColour(colour);
    KomojiLabel(b, x, y, text, part);
}

// The end of every layout: one more step point, and the answer is written
// after the "=" of the expression line.
inline void KotaeShiage(Run& b, const std::string& shown) {
    b.canvas().setPart(Part::Answer);
    StepMachi(b);
    KotaeDsp(b, Trunc(b.EqualX + 1.2 * b.CellW), b.EqualY, shown, "0");
}

// The end of the decimal layouts: the trailing zeros of the decimal part on
// row y are struck through in `strike` (they do not count), then the answer
// is tidied (1.20 + 2.80 gives 4) and written after "=".
inline void ShosuKotaeShiage(Run& b, const std::string& seisu, const std::string& shosu, int y,
                             Colour strike) {
    b.canvas().setPart(Part::Answer);
    for (int j = Keta(shosu); j >= 1 && shosu[j - 1] == '0'; --j)
        MojiDsp(b, b.RightX + (j - 1) * b.CellW, y, strike, b.MojiSize, "0", 1, 1);
    Sleep(b);
    b.out.KotaeSeisu = seisu;
    b.out.KotaeShosu = shosu;
    b.out.Kotae = KotaeSeiri(seisu + "." + shosu);
    KotaeShiage(b, b.out.Kotae);
}

}  // namespace hissan
