// Drawing primitives and text helpers shared by every column layout.
#pragma once

#include <string>
#include <string_view>

#include "hissan/board.h"

namespace hissan {

// Whole pixels of a fraction of a metric, truncated toward zero. A tiny bias
// keeps products such as 0.3 * 50 from landing just below a whole number.
inline int Trunc(double v) {
    return static_cast<int>(v >= 0 ? v + 1e-9 : v - 1e-9);
}

// One board character with its top-left corner at (x, y). `ch` is an ASCII
// character ("7", "+", "." ...), "z" for a struck zero, or any UTF-8 text that
// is drawn as given when it is not a single ASCII character. With delay > 0 a
// pause of one StrokeDelay is recorded before it.
int MojiDsp(Run& b, int x, int y, Colour colour, int size, std::string_view ch, int strike,
            int delay);
// The same with a digit value 0..9.
int MojiDsp(Run& b, int x, int y, Colour colour, int size, int digit, int strike, int delay);
inline int MojiPut(Run& b, int x, int y, Colour colour, int size, std::string_view ch) {
    return MojiDsp(b, x, y, colour, size, ch, 0, 0);
}

// A line; afterwards the pen is at (x2, y2).
int SenDsp(Run& b, int x1, int y1, int x2, int y2, int width, Colour colour, bool dotted = false);
// The same after one StrokeDelay pause when delay > 0.
int SenDspWait(Run& b, int x1, int y1, int x2, int y2, int width, Colour colour, int delay,
               bool dotted = false);

// A pause of `units` x StrokeDelay x 100 ms (the layouts' explicit sleeps).
void Sleep(Run& b, int units = 1);

// Full-width glyph of an ASCII character ("□" for one outside the table).
std::string ZenkakuMoji(char ch);

// A step point: recorded until the answer is written. The player waits
// there for G, a click or Escape when step mode is on. Returns 0.
int StepMachi(Run& b);

// The answer (and a remainder other than "0") after the "=" of the expression
// line, its underline, "[終わり]" in step mode and the division note.
int KotaeDsp(Run& b, int x, int y, std::string answer, const std::string& remainder);

// The division note text for a quotient mode and N (empty outside "/").
// Until exact, it says whether a remainder is left.
std::string WarizanChuuki(int shouIti, int n, bool amariAri);

// Text helpers.
std::string KotaeSeiri(std::string text);
std::string SentouZeroKesi(const std::string& text);
int YuukouKeta(const std::string& text);
int MatsubiZeroSuu(const std::string& text);
int SaishoHiZero(const std::string& text);
// True for a non-empty text of the digits 0..9 only.
bool IsDigitText(const std::string& text);
// True when the text has no character other than "0" (also when it is empty).
bool AllZeros(const std::string& text);

// Japanese name of the place 10^k, k = 0..18 ("一", "十", ..., "百京"); empty
// outside that range.
std::string KuraiMei(int k);

}  // namespace hissan
