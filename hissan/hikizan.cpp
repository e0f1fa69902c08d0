// Subtraction layouts with the school notation of borrowing: the lending digit
// is slashed, its lowered value written small above it and a small "10" over
// the digit that borrows. Leading zeros of the difference are grey; in
// decimals the trailing zeros are struck through.
#include <algorithm>
#include <string>

#include "hissan/columns.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace hissan {

namespace {

// One column: the digit written and the borrow taken from the next column.
int HikuColumn(int top, int bottom, int& borrow) {
    int diff = top - bottom - borrow;
    borrow = diff < 0 ? 1 : 0;
    if (diff < 0) diff += 10;
    return diff;
}

// The borrow marks of the column whose left edge is x: `lender` is the first
// operand's digit one column to the left, yT the first operand's row. The
// decimal layout draws them a little tighter and with the aqua slash.
void KurisagariMarks(Run& b, bool shosu, int x, int yT, int lender) {
    const int W = b.CellW, L = b.LineH, k = b.KomojiSize;
    const int lowered = lender == 0 ? 9 : lender - 1;
    PartScope part(b.canvas(), Part::Mark);
    if (!shosu) {
        SenDspWait(b, x - W, yT, x - W + b.CharH, yT + b.CharH, 2, Colour::of(Role::RedLine), 1);
        const int tx = x - b.MojiSize / 5, ty = yT - L / 3;
        MojiPut(b, tx, ty, kCarry, k, "1");
        MojiPut(b, tx + k, ty, kCarry, k, "0");
        MojiDsp(b, Trunc(x - 0.8 * W + k), Trunc(yT - 0.6 * L), Colour::of(Role::ReducedDigit), k,
                lowered, 0, 0);
    } else {
        SenDspWait(b, x - W, Trunc(yT + 0.1 * b.CharH), Trunc(x - 0.2 * W),
                   Trunc(yT + 0.8 * b.CharH), 2, Colour::of(Role::AquaLine), 1);
        const int tx = Trunc(x - 0.1 * W), ty = Trunc(yT - 0.3 * L);
        MojiPut(b, tx, ty, kCarry, k, "1");
        MojiPut(b, Trunc(x - 0.1 * W + k), ty, kCarry, k, "0");
        MojiDsp(b, Trunc(x - 0.4 * W), Trunc(yT - 0.7 * L), Colour::of(Role::ReducedDigit), k,
                lowered, 0, 0);
    }
}

// Leading zeros of an integer part (reading order) drawn again in grey on
// row y; the ones digit keeps its colour even when it is 0.
void GreyLeadingZeros(Run& b, const std::string& seisu, int y, int delay) {
    const int K = Keta(seisu);
    const int x0 = b.RightX - K * b.CellW;
    for (int i = 1; i <= K - 1 && seisu[i - 1] == '0'; ++i)
        MojiDsp(b, x0 + (i - 1) * b.CellW, y, kGrey, b.MojiSize, "0", 0, delay);
}

// Integer columns 0 .. m-1 of the difference on row y with the borrow coming
// in; marks over the first operand row yT. Returns the digits ones first.
std::string SeisuColumns(Run& b, bool shosu, int m, int y, int yT, int& borrow) {
    const WorkCopy& w = b.w;
    std::string digits;
    for (int c = 0; c < m; ++c) {
        StepMachi(b);
        const int d = HikuColumn(SeisuDigit(w.Zenkou, c), SeisuDigit(w.Koukou, c), borrow);
        digits += static_cast<char>('0' + d);
        const int x = b.RightX - (c + 1) * b.CellW;
        if (b.jk->KURISAGARI == 1 && borrow == 1)
            KurisagariMarks(b, shosu, x, yT, SeisuDigit(w.Zenkou, c + 1));
        b.canvas().setPart(Part::Answer);
        MojiDsp(b, x, y, kDigit, b.MojiSize, d, 0, 1);
        // The ones digit's background square clips the point; draw it again.
        if (shosu && c == 0) MojiPut(b, b.TenX, y, kPoint, b.MojiSize, ".");
    }
    return digits;
}

void PartNames(Run& b, int labelX, int y1, Colour colour) {
    const int L = b.LineH;
    const int labelY = Trunc(y1 + 0.3 * L);
    KomojiLabel(b, labelX, labelY, "←引かれる数", colour);
    KomojiLabel(b, labelX, Trunc(labelY + 1.3 * L), "←引く数");
    KomojiLabel(b, labelX, Trunc(labelY + 2.6 * L), "←差");
}

}  // namespace

int body::HikizanDsp(Run& b) {
    const int L = b.LineH;
    const WorkCopy& w = b.w;
    const int m = std::max(Keta(w.Zenkou), Keta(w.Koukou));
    SetColumnGrid(b, m);
    const int y1 = FirstRowY(b);
    const int yT = y1;

    int labelX = DrawSeisu(b, w.Zenkou, y1);
    const int y2 = Trunc(y1 + 1.2 * L);
    b.canvas().setPart(Part::OperatorRule);
    MojiDsp(b, b.OriginX, y2, kSign, b.MojiSize, "-", 0, 1);
    DrawSeisu(b, w.Koukou, y2);

    Sleep(b);
    b.canvas().setPart(Part::OperatorRule);
    SenDsp(b, b.OriginX, Trunc(y2 + 1.2 * L), b.RightX, Trunc(y2 + 1.2 * L), 4, kRule);
    const int y3 = Trunc(y2 + 1.6 * L);
    if (b.jk->QQ_FLAG == 1) {
        labelX += b.MojiSize / 2;
        PartNames(b, labelX, y1, kNote);
    }

    int borrow = 0;
    StepMachi(b);
    std::string digits = SeisuColumns(b, false, m, y3, yT, borrow);
    std::reverse(digits.begin(), digits.end());
    // Kotae keeps all m digits, leading zeros too (1000 - 1 gives 0999); the
    // expression line shows the tidied value.
    b.out.Kotae = digits;
    GreyLeadingZeros(b, digits, y3, 0);
    KotaeShiage(b, KotaeSeiri(b.out.Kotae));
    return 1;
}

int body::ShosuHikizanDsp(Run& b) {
    const int W = b.CellW, L = b.LineH;
    WorkCopy& w = b.w;
    const int m = std::max(Keta(w.Zenkou), Keta(w.Koukou));
    const int f1 = Keta(w.ZenkouShosu), f2 = Keta(w.KoukouShosu);
    const int fm = std::max(f1, f2);
    SetColumnGrid(b, m);
    const int y1 = FirstRowY(b);
    const int yT = y1;

    int labelX = DrawSeisu(b, w.Zenkou, y1);
    // The decimals of a row between two drawings of its point: the first
    // decimal digit's background square clips the point's right edge.
    auto decimals = [&](const std::string& digits, int y) {
        if (digits.empty()) return;
        PartScope operand(b.canvas(), Part::Operand);
        MojiDsp(b, b.TenX, y, kPoint, b.MojiSize, ".", 0, 1);
        labelX = std::max(labelX, DrawShosu(b, digits, y));
        MojiPut(b, b.TenX, y, kPoint, b.MojiSize, ".");
    };
    decimals(w.ZenkouShosu, y1);
    const int y2 = Trunc(y1 + 1.2 * L);
    b.canvas().setPart(Part::OperatorRule);
    MojiDsp(b, b.OriginX, y2, kSign, b.MojiSize, "-", 0, 1);
    DrawSeisu(b, w.Koukou, y2);
    decimals(w.KoukouShosu, y2);

    // The shorter decimal part is filled up with zeros in the auxiliary
    // colour (and a point of its own when it had none) so that every column
    // has two digits.
    auto pad = [&](std::string& digits, int& count, int have, int y) {
        if (have >= fm) return;
        PartScope working(b.canvas(), Part::Working);
        const Colour added = Colour::of(Role::AddedPoint);
        if (have == 0) MojiDsp(b, b.TenX, y, added, b.MojiSize, ".", 0, 1);
        for (int k = 0; k < fm - have; ++k)
            MojiDsp(b, b.RightX + (have + k) * W, y, Colour::of(Role::Aux), b.MojiSize, "0", 0, 1);
        if (have == 0) MojiPut(b, b.TenX, y, added, b.MojiSize, ".");
        digits.append(static_cast<size_t>(fm - have), '0');
        count = fm;
    };
    pad(w.ZenkouShosu, w.ZenkouShosuKeta, f1, y1);
    pad(w.KoukouShosu, w.KoukouShosuKeta, f2, y2);

    if (b.jk->QQ_FLAG == 1) {
        labelX += b.MojiSize / 2;
        PartNames(b, labelX, y1, kDigit);
    }

    Sleep(b);
    b.canvas().setPart(Part::OperatorRule);
    SenDsp(b, b.OriginX, Trunc(y2 + 1.2 * L), b.RightX + fm * W, Trunc(y2 + 1.2 * L), 4, kRule);
    const int y3 = Trunc(y2 + 1.3 * L);
    const int ya = y3 + L / 3;

    int borrow = 0;
    StepMachi(b);
    std::string shosu;
    for (int j = fm; j >= 1; --j) {
        StepMachi(b);
        const int d =
            HikuColumn(ShosuDigit(w.ZenkouShosu, j), ShosuDigit(w.KoukouShosu, j), borrow);
        shosu += static_cast<char>('0' + d);
        const int x = b.RightX + (j - 1) * W;
        if (b.jk->KURISAGARI == 1 && borrow == 1) {
            // The tenths borrow from the ones digit of the integer part.
            const int lender = j == 1 ? SeisuDigit(w.Zenkou, 0) : ShosuDigit(w.ZenkouShosu, j - 1);
            KurisagariMarks(b, true, x, yT, lender);
        }
        b.canvas().setPart(Part::Answer);
        MojiDsp(b, x, ya, kDigit, b.MojiSize, d, 0, 1);
    }
    std::reverse(shosu.begin(), shosu.end());
    b.canvas().setPart(Part::Answer);
    MojiDsp(b, b.TenX, ya, kPoint, b.MojiSize, ".", 0, 1);

    std::string seisu = SeisuColumns(b, true, m, ya, yT, borrow);
    std::reverse(seisu.begin(), seisu.end());
    GreyLeadingZeros(b, seisu, ya, 1);

    ShosuKotaeShiage(b, seisu, shosu, ya, kNote);
    return 1;
}

}  // namespace hissan
