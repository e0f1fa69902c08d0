// The state a column layout reads and writes: the expression, its work copy,
// the board metrics, the entry flags the primitives consult and the results.
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

// Everything the primitives and layouts share for one drawing run. The main
// window owns one and points `cv` at the board, a printer page or an image.
struct Board {
    Canvas* cv = nullptr;
    TJouken* jk = nullptr;

    // board metrics (see setMetrics)
    int MojiSize = 40;
    int KomojiSize = 16;
    int DigitW = 26;
    int CellW = 52;
    int CharH = 57;
    int LineH = 57;
    int OriginX = 144;
    int OriginY = 57;
    int ScrollY = 0;
    // HARUFA, the downward shift below the settings panel, is jk->HARUFA.

    // running positions
    int EqualX = 0, EqualY = 0;  // the drawn "=" and the expression line's y
    int NextX = 0, LineY = 0;    // running column x and row y
    int RightX = 0, TenX = 0;    // column grid of the current layout

    // entry state the primitives consult
    int NyuryokuKa = 0;  // 1 while the board accepts typed input
    int CursorX = 0, CursorY = 0, CursorOn = 0;
    int Busy = 0;  // 1 while a layout runs; step points are recorded only then

    TShiki shiki;
    WorkCopy w;
    int HissanKind = 0;

    // results of the last run
    std::string Kotae;       // answer text: 15, 0.25, or quotient "R" remainder
    std::string KotaeSeisu;  // integer part of a decimal layout's answer
    std::string KotaeShosu;  // decimal part of a decimal layout's answer
    WarizanResult wz;        // results of the last WarizanJunbi
    std::vector<Message> messages;

    int harufa() const { return jk->HARUFA; }
    Canvas& canvas() const { return *cv; }

    // Board metrics from the font: DigitW = width("1234567890")/10, CharH =
    // its height, CellW = 2 DigitW, LineH = CharH, KomojiSize = 0.4 MojiSize.
    // The screen origin is (2 CharH + 30, CharH); a printed page uses
    // (2 CharH, 3 CharH / 2).
    void setMetrics(const Metrics& m, int mojiSize, bool printer = false);

    // Fills the work copy from `shiki`: leading zeros of the integer parts
    // removed (one digit stays), counts and the integer maximum recomputed.
    void restoreWork();
};

}  // namespace hissan
