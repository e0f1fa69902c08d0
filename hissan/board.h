// The contract of the column layouts: what a layout is given (the expression,
// the grid metrics, the conditions, a canvas), what it reports (LayoutResult)
// and the context of one run that its primitives share (Run).
#pragma once

#include <string>
#include <vector>

#include "hissan/arith.h"
#include "hissan/canvas.h"
#include "hissan/jouken.h"

namespace hissan {

// The current expression as typed and accepted.
struct TShiki {
    std::string Shiki;        // as typed, with the final "=" once accepted
    std::string ZenkouSeisu;  // first operand, integer digits (leading zeros kept)
    std::string ZenkouShosu;  // first operand, decimal digits without the point
    int ZenkouSeisuKeta = 0;
    int ZenkouShosuKeta = 0;
    std::string KoukouSeisu;  // second operand
    std::string KoukouShosu;
    int KoukouSeisuKeta = 0;
    int KoukouShosuKeta = 0;
    char Enzanshi = '!';  // '+', '-', '*', '/', '!' for none
    int MaxSeisuKeta = 0;
    int MaxShosuKeta = 0;
    int MaxKeta = 0;
    int Kakutei = 0;  // 1 once "=" was accepted

    void clear() { *this = TShiki{}; }
};

// The work copy the layouts read and may change freely (for example padding
// decimal texts with zeros); refilled from TShiki before every run.
struct WorkCopy {
    std::string ShikiNyuryoku;
    std::string Zenkou, Koukou;            // integer digits, leading zeros removed
    std::string ZenkouShosu, KoukouShosu;  // decimal digits
    int ZenkouKeta = 0, KoukouKeta = 0;
    int ZenkouShosuKeta = 0, KoukouShosuKeta = 0;
    char EnzanshiNyuryoku = '!';
    int MaxSeisuKeta = 0, MaxShosuKeta = 0, MaxKeta = 0;
};

// A message a layout or a check asks the main window to show.
struct Message {
    enum Icon { NoIcon, Information, Warning, Exclamation };
    // What the main window does after the box is closed.
    enum Then { Nothing, ClearAndRestore };  // ClearAndRestore: Delete, then Insert
    std::string text;
    std::string title;
    Icon icon = NoIcon;
    Then then = Nothing;
};

// The size of the small digits (carries, borrow marks) on a board of
// `mojiSize`: at least 0.4 of it, rounded up.
int komojiSizeFor(int mojiSize);

// The board's grid: font sizes, cell and line metrics, origin and scroll.
struct Grid {
    int MojiSize = 40;
    int KomojiSize = 16;
    int DigitW = 26;
    int CellW = 52;
    int CharH = 57;
    int LineH = 57;
    int OriginX = 144;
    int OriginY = 57;
    int ScrollY = 0;
    // HARUFA, the downward shift below the settings panel, is a condition.

    // Board metrics from the font: DigitW = width("1234567890")/10, CharH =
    // its height, CellW = 2 DigitW, LineH = CharH, KomojiSize =
    // komojiSizeFor(MojiSize).
    // The screen origin is (2 CharH + 30, CharH); a printed page uses
    // (2 CharH, 3 CharH / 2).
    void setMetrics(const Metrics& m, int mojiSize, bool printer = false);
};

// The expression a layout draws: as accepted, and where the "=" of its
// expression line stands (the answer is written after it).
struct Expression {
    TShiki shiki;
    int EqualX = 0;
    int EqualY = 0;
};

// The work copy of an expression: leading zeros of the integer parts removed
// (one digit stays), counts and the integer maximum recomputed.
WorkCopy workCopyOf(const TShiki& s);

// What one layout run reports.
struct LayoutResult {
    enum Status {
        Drawn,     // the calculation and its answer are drawn
        Refused,   // not drawn to its answer; `messages` say why when they can
        Overflow,  // a division too long for the board: its message asks to start again
    };
    Status status = Refused;
    std::string Kotae;       // answer text: 15, 0.25, or quotient "R" remainder
    std::string KotaeSeisu;  // integer part of a decimal layout's answer
    std::string KotaeShosu;  // decimal part of a decimal layout's answer
    WarizanResult wz;        // a division's preparation under this run's conditions
    std::vector<Message> messages;
    int RightX = 0, TenX = 0;  // the column grid the layout ended with
};

// The context of one layout run, shared by its primitives: the canvas, the
// conditions, the grid, the expression and its work copy (which the layout may
// change freely), the running positions and the result being written. It
// lives for one run only.
struct Run : Grid {
    Run(Canvas& canvas, const TJouken& conditions, const Grid& grid, const Expression& e = {});

    Canvas* cv;
    const TJouken* jk;
    TShiki shiki;
    WorkCopy w;
    int EqualX = 0, EqualY = 0;  // the drawn "=" and the expression line's y

    // running positions
    int NextX = 0, LineY = 0;  // running column x and row y
    int RightX = 0, TenX = 0;  // column grid of the current layout

    // A character typed on the expression line gets a whole cell as its
    // background square; a layout's glyph only its own size.
    bool typing = false;
    // Step points are recorded until the answer is written.
    bool stepPoints = true;
    bool answered = false;  // the answer after "=" is written

    LayoutResult out;

    int harufa() const { return jk->HARUFA; }
    Canvas& canvas() const { return *cv; }
};

}  // namespace hissan
