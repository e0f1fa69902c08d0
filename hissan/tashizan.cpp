// Addition layouts: the usual written addition with carries, the addition
// with one partial sum per place, and the decimal addition with the points
// aligned.
#include <algorithm>
#include <string>

#include "hissan/columns.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace hissan {

namespace {

struct IntegerRows {
    int y2 = 0;      // row of the second operand
    int labelX = 0;  // where the part names start
};

// First operand, "+" and second operand of the integer layouts, with their
// part names when QQ_FLAG is on.
IntegerRows DrawIntegerOperands(Run& b, int y1) {
    IntegerRows r;
    r.labelX = DrawSeisu(b, b.w.Zenkou, y1) + b.MojiSize;
    if (b.jk->QQ_FLAG == 1)
        KomojiLabel(b, r.labelX, y1 + b.jk->FONTSIZE / 2, "←たされる数", kDigit);
    r.y2 = Trunc(y1 + 1.2 * b.LineH);
    b.canvas().setPart(Part::OperatorRule);
    MojiDsp(b, b.OriginX, r.y2, kSign, b.MojiSize, "+", 0, 1);
    DrawSeisu(b, b.w.Koukou, r.y2);
    if (b.jk->QQ_FLAG == 1) KomojiLabel(b, r.labelX, r.y2 + b.MojiSize / 2, "←たす数　　", kDigit);
    return r;
}

// The rule under the operands from the sign column to `toX`: the first rule
// goes with the operator, a later one is working.
void Rule(Run& b, int y, int toX, Part part = Part::OperatorRule) {
    PartScope scope(b.canvas(), part);
    SenDsp(b, b.OriginX, y, toX, y, 4, kRule);
}

// Exact sum of two integer digit texts, without leading zeros.
std::string WaText(const std::string& a, const std::string& c) {
    const int m = std::max(Keta(a), Keta(c));
    std::string sum;
    int carry = 0;
    for (int col = 0; col < m; ++col) {
        const int s = SeisuDigit(a, col) + SeisuDigit(c, col) + carry;
        carry = s / 10;
        sum += static_cast<char>('0' + s % 10);
    }
    if (carry > 0) sum += static_cast<char>('0' + carry);
    std::reverse(sum.begin(), sum.end());
    return SentouZeroKesi(sum.empty() ? std::string("0") : sum);
}

// Integer columns 0 .. m-1 of a sum on row y with the carries of `carry`
// coming in; each carry is written small above the row at `carryY`. With
// `point` the row's decimal point is drawn again after the ones digit, whose
// background square clipped it. Returns the digits ones first; `x` is left at
// the last column drawn.
std::string SeisuColumns(Run& b, int m, int y, int carryY, bool point, int& carry, int& x) {
    std::string digits;
    for (int c = 0; c < m; ++c) {
        StepMachi(b);
        const int sum = SeisuDigit(b.w.Zenkou, c) + SeisuDigit(b.w.Koukou, c) + carry;
        carry = sum / 10;
        digits += static_cast<char>('0' + sum % 10);
        x = b.RightX - (c + 1) * b.CellW;
        b.canvas().setPart(Part::Mark);
        if (b.jk->KURIAGARI == 1 && carry > 0)
            MojiDsp(b, Trunc(x - 1.4 * b.DigitW), carryY, kCarry, b.KomojiSize, carry, 0, 1);
        b.canvas().setPart(Part::Answer);
        MojiDsp(b, x, y, kDigit, b.MojiSize, sum % 10, 0, 1);
        if (c == 0 && point) MojiPut(b, b.TenX, y, kPoint, b.MojiSize, ".");
    }
    return digits;
}

}  // namespace

int body::TashizanDsp(Run& b) {
    const int W = b.CellW, L = b.LineH;
    const int m = std::max(Keta(b.w.Zenkou), Keta(b.w.Koukou));
    SetColumnGrid(b, m);
    const int y1 = FirstRowY(b);
    const IntegerRows r = DrawIntegerOperands(b, y1);

    Sleep(b);
    Rule(b, Trunc(r.y2 + 1.2 * L), b.RightX);
    const int y3 = Trunc(r.y2 + 1.8 * L);
    if (b.jk->QQ_FLAG == 1) KomojiLabel(b, r.labelX, y3, "←和", kDigit);

    StepMachi(b);
    int carry = 0;
    int x = b.RightX;
    std::string answer = SeisuColumns(b, m, y3, y3 - L / 3 - 1, false, carry, x);
    // The carry out of the highest column is the answer's new leading digit.
    if (carry > 0) {
        answer += static_cast<char>('0' + carry);
        MojiDsp(b, x - W, y3, kDigit, b.MojiSize, carry, 0, 0);
    }
    Sleep(b);
    std::reverse(answer.begin(), answer.end());
    b.out.Kotae = SentouZeroKesi(answer);
    KotaeShiage(b, b.out.Kotae);
    return 1;
}

int body::BubunwaTashizan(Run& b) {
    const int W = b.CellW, L = b.LineH;
    const std::string& a = b.w.Zenkou;
    const std::string& c = b.w.Koukou;
    const int m = std::max(Keta(a), Keta(c));
    SetColumnGrid(b, m);
    // One line lower than the other layouts to make room for the title. The
    // settings panel shift applies here too, or the title and the operands
    // would slide under the panel and the expression line at small sizes.
    const int y1 = FirstRowY(b, 3.5);
    // The title says how the sum is to be worked.
    KomojiLabel(b, b.OriginX, y1 - L, "【部分和を使った たし算】", kSign, Part::Note);
    const IntegerRows r = DrawIntegerOperands(b, y1);

    Sleep(b);
    Rule(b, Trunc(r.y2 + 1.2 * L), b.RightX);
    const int yp = Trunc(r.y2 + 1.8 * L);
    // No "←和" beside the first partial sum: that place is taken by the row's
    // own label "…… 百の位の和", and the total is labelled "[答え]".
    StepMachi(b);

    // Partial sums from the highest place down, one row per place, each drawn
    // in the operand columns and followed by the zeros of its place.
    auto columnX = [&](int k) { return b.OriginX + k * W; };  // k = m is the ones
    int y = yp;
    for (int i = 1; i <= m; ++i) {
        StepMachi(b);
        b.canvas().setPart(Part::Working);
        const int place = m - i;
        const int sum = SeisuDigit(a, place) + SeisuDigit(c, place);
        y = yp + (i - 1) * W;
        if (sum >= 10) MojiDsp(b, columnX(i - 1), y, kDigit, b.MojiSize, 1, 0, 1);
        MojiDsp(b, columnX(i), y, kDigit, b.MojiSize, sum % 10, 0, 1);
        for (int k = i + 1; k <= m; ++k) MojiDsp(b, columnX(k), y, kSign, b.MojiSize, "0", 0, 1);
        const int penX = b.canvas().penX();
        StepMachi(b);
        KomojiLabel(b, penX + 50, y + 3, "…… " + KuraiMei(place) + "の位の和", kSign);
    }

    Sleep(b);
    const int yr2 = Trunc(y + 1.2 * L);
    Rule(b, yr2, b.RightX, Part::Working);

    // The total, worked on the digit texts so that no operand length can
    // overflow it, drawn from the right.
    const std::string total = WaText(a, c);
    const int yt = Trunc(yr2 + 0.5 * L);
    const int n = Keta(total);
    b.canvas().setPart(Part::Answer);
    for (int j = 1; j <= n; ++j) {
        StepMachi(b);
        MojiDsp(b, b.RightX - j * W, yt, kDigit, b.MojiSize, DigitValue(total[n - j]), 0, 1);
    }
    KomojiLabel(b, b.RightX + 50, Trunc(yt + 0.2 * L), "…… [答え]", kSign);

    Sleep(b, 2);
    b.out.Kotae = total;
    KotaeShiage(b, b.out.Kotae);
    return 1;
}

int body::ShosuTashizanDsp(Run& b) {
    const int W = b.CellW, L = b.LineH;
    WorkCopy& w = b.w;
    const int m = std::max(Keta(w.Zenkou), Keta(w.Koukou));
    const int fm = std::max(Keta(w.ZenkouShosu), Keta(w.KoukouShosu));
    SetColumnGrid(b, m);
    const int y1 = FirstRowY(b);

    int labelX = DrawSeisu(b, w.Zenkou, y1) + b.MojiSize;
    // The decimals of a row between two drawings of its point: the first
    // decimal digit's background square clips the point's right edge.
    auto decimals = [&](const std::string& digits, int y) {
        if (digits.empty()) return;
        PartScope operand(b.canvas(), Part::Operand);
        MojiDsp(b, b.TenX, y, kPoint, b.MojiSize, ".", 0, 1);
        labelX = std::max(labelX, DrawShosu(b, digits, y) + b.MojiSize);
        MojiDsp(b, b.TenX, y, kPoint, b.MojiSize, ".", 0, 1);
    };
    decimals(w.ZenkouShosu, y1);

    const int y2 = Trunc(y1 + 1.2 * L);
    b.canvas().setPart(Part::OperatorRule);
    MojiDsp(b, b.OriginX, y2, kSign, b.MojiSize, "+", 0, 1);
    DrawSeisu(b, w.Koukou, y2);
    decimals(w.KoukouShosu, y2);

    if (b.jk->QQ_FLAG == 1) {
        // In the colour of the glyph drawn last.
        const int labelY = Trunc(y1 + 0.3 * L);
        KomojiLabel(b, labelX, labelY, "←たされる数");
        KomojiLabel(b, labelX, Trunc(labelY + 1.3 * L), "←たす数");
        KomojiLabel(b, labelX, Trunc(labelY + 2.6 * L), "←和");
    }

    Sleep(b);
    Rule(b, Trunc(y2 + 1.2 * L), b.RightX + fm * W);
    int y3 = Trunc(y2 + 1.6 * L);
    if (b.jk->KURIAGARI == 1) y3 = Trunc(y3 + 0.3 * L);  // room for the carries
    const int carryY = Trunc(y3 - 0.4 * L);
    int carry = 0;
    StepMachi(b);

    std::string shosu;
    for (int j = fm; j >= 1; --j) {
        StepMachi(b);
        const int sum = ShosuDigit(w.ZenkouShosu, j) + ShosuDigit(w.KoukouShosu, j) + carry;
        carry = sum / 10;
        shosu += static_cast<char>('0' + sum % 10);
        const int x = b.RightX + (j - 1) * W;
        b.canvas().setPart(Part::Mark);
        if (b.jk->KURIAGARI == 1 && carry > 0)
            MojiDsp(b, Trunc(x - 1.4 * b.DigitW), carryY, kCarry, b.KomojiSize, carry, 0, 1);
        b.canvas().setPart(Part::Answer);
        MojiDsp(b, x, y3, kDigit, b.MojiSize, sum % 10, 0, 1);
    }
    std::reverse(shosu.begin(), shosu.end());
    b.canvas().setPart(Part::Answer);
    MojiDsp(b, b.TenX, y3, kPoint, b.MojiSize, ".", 0, 1);

    int x = b.RightX;
    std::string seisu = SeisuColumns(b, m, y3, carryY, true, carry, x);
    if (carry > 0) {
        seisu += static_cast<char>('0' + carry);
        MojiDsp(b, x - W, y3, kDigit, b.MojiSize, carry, 0, 0);
    }
    std::reverse(seisu.begin(), seisu.end());

    ShosuKotaeShiage(b, seisu, shosu, y3, kDigit);
    return 1;
}

}  // namespace hissan
