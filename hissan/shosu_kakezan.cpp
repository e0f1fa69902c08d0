// Decimal multiplication: the digits are multiplied as if there were no
// points, the operands aligned by their last digits; then the product's point
// is placed so that it has the decimals of both operands together. Zeros added
// in front of the product are written in the note colour and trailing decimal
// zeros are marked with a slanted line.
#include <algorithm>
#include <string>

#include "hissan/columns.h"
#include "hissan/kakezan.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace hissan {

namespace {

// The entry limits of a multiplication: 18 digits per operand, 29 for both.
constexpr int kMaxOperandDigits = 18;
constexpr int kMaxBothDigits = 29;

// Length of a digit text read as a whole number (leading zeros dropped).
int SeisuNagasa(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? 1 : static_cast<int>(digits.size() - first);
}

// The product digits in reading order with the point before the last `decimals`
// digits, tidied like every answer.
std::string SekiText(std::string digits, int decimals) {
    if (decimals > 0) {
        if (Keta(digits) <= decimals) digits.insert(0, decimals + 1 - Keta(digits), '0');
        digits.insert(digits.size() - decimals, 1, '.');
    }
    return KotaeSeiri(digits);
}

}  // namespace

int body::ShosuKakezanDsp(Run& b) {
    Canvas& cv = b.canvas();
    const TJouken& jk = *b.jk;
    WorkCopy& w = b.w;
    const int W = b.CellW;
    const int L = b.LineH;
    const bool kuriagari = jk.KURIAGARI == 1;
    const bool matsubi = jk.MatsubiZeroKake == 1;

    const std::string zen = SentouZeroKesi(w.Zenkou);
    const std::string kou = SentouZeroKesi(w.Koukou);
    const std::string& zenShosu = w.ZenkouShosu;
    const std::string& kouShosu = w.KoukouShosu;
    const bool readable = IsDigitText(zen) && IsDigitText(kou) &&
                          (zenShosu.empty() || IsDigitText(zenShosu)) &&
                          (kouShosu.empty() || IsDigitText(kouShosu));
    if (!readable) return 1;  // a damaged work copy: nothing to multiply
    const int n1 = Keta(zen), f1 = Keta(zenShosu);
    const int n2 = Keta(kou), f2 = Keta(kouShosu);
    if (n1 + f1 > kMaxOperandDigits || n2 + f2 > kMaxOperandDigits ||
        n1 + f1 + n2 + f2 > kMaxBothDigits) {
        b.out.messages.push_back({"ケタがオーバー！", "残念！", Message::NoIcon, Message::Nothing});
        return 1;
    }

    // All digits of each operand without the point.
    std::string A = zen + zenShosu;
    std::string B = kou + kouShosu;
    const bool zeroProduct = AllZeros(A) || AllZeros(B);
    const int d = Keta(B) - Keta(A);
    const int D = f1 + f2;
    const int P = SeisuNagasa(A) + SeisuNagasa(B);

    // Trailing zeros of an integer operand are set apart and brought down.
    const int s1 = f1 == 0 && n1 > 1 ? MatsubiZeroSuu(zen) : 0;
    const int s2 = f2 == 0 && n2 > 1 ? MatsubiZeroSuu(kou) : 0;
    const int k1 = n1 - s1, k2 = n2 - s2;
    A.resize(A.size() - s1);
    B.resize(B.size() - s2);
    w.ZenkouKeta = k1;
    w.KoukouKeta = k2;
    w.MaxSeisuKeta = std::max(k1, k2);
    const int Z = s1 + s2;
    const int t1 = k1 + f1, t2 = k2 + f2;
    const int sig1 = std::clamp(YuukouKeta(A), 0, t1);

    // Where row 1 starts, by the zeros' condition, the longer operand and
    // whether the multiplicand has decimals.
    int placement;
    if (matsubi)
        placement = d < 0 ? (f1 == 0 ? 7 : 6) : (f1 == 0 ? 5 : 4);
    else
        placement = d < 0 ? (f1 == 0 ? 3 : 2) : (f1 > 0 ? 0 : 1);
    // Placement 1 brings the multiplicand's zeros down left of where its
    // digits end, so it gets their columns as extra room on the left.
    b.RightX = b.OriginX + (t1 + t2 + (placement == 1 ? Z : 0)) * W;
    int x0 = 0;
    switch (placement) {
        case 7:
        case 5:
            x0 = b.RightX - k1 * W;
            break;
        case 6:
        case 4:
            x0 = b.RightX - (k1 + f1) * W;
            break;
        case 3:
            x0 = b.RightX + (s2 - k1) * W;
            break;
        case 2:
        case 0:
            x0 = b.RightX + (s2 - k1 - f1) * W;
            break;
        default:
            x0 = b.RightX - (k1 + s1) * W;
            break;
    }

    // Row 1: integer digits, point, decimals, set-apart zeros.
    const int y1 = FirstRowY(b);
    cv.setPart(Part::Operand);
    for (int p = 0; p < k1; ++p)
        MojiDsp(b, x0 + p * W, y1, kDigit, b.MojiSize, DigitValue(zen[p]), 0, 1);
    const int xe = cv.penX();
    int labelX = xe;
    if (f1 > 0) {
        const int tenX = Trunc(xe - 0.2 * W);
        MojiDsp(b, tenX, y1, kPoint, b.MojiSize, ".", 0, 1);
        for (int j = 0; j < f1; ++j)
            MojiDsp(b, xe + j * W, y1, kDigit, b.MojiSize, DigitValue(zenShosu[j]), 0, 1);
        labelX = cv.penX();
        MojiPut(b, tenX, y1, kPoint, b.MojiSize, ".");
    }
    if (s1 > 0) {
        for (int j = 0; j < s1; ++j) MojiDsp(b, xe + j * W, y1, kAux, b.MojiSize, 0, 0, 1);
        labelX = cv.penX();
    }

    // Row 2: the sign, the multiplier right-aligned with the multiplicand.
    const int y2 = Trunc(y1 + 1.2 * L);
    const int M = std::max(t1, t2);
    cv.setPart(Part::OperatorRule);
    MojiDsp(b, b.RightX - (M + 1) * W, y2, kSign, b.MojiSize, "*", 0, 1);
    cv.setPart(Part::Operand);
    const int shift = placement == 3 ? s1 : 0;
    for (int p = 0; p < k2; ++p)
        MojiDsp(b, b.RightX + (p + shift - t2) * W, y2, kDigit, b.MojiSize, DigitValue(kou[p]), 0,
                1);
    for (int j = 0; j < s2; ++j)
        MojiDsp(b, b.RightX + (k2 + j + shift - t2) * W, y2, kAux, b.MojiSize, 0, 0, 1);
    labelX = std::max(labelX, cv.penX());
    if (f2 > 0) {
        const int tenX = Trunc(b.RightX - (f2 + 0.2 - shift) * W);
        MojiDsp(b, tenX, y2, kPoint, b.MojiSize, ".", 0, 1);
        for (int j = 0; j < f2; ++j)
            MojiDsp(b, b.RightX + (j + shift - f2) * W, y2, kDigit, b.MojiSize,
                    DigitValue(kouShosu[j]), 0, 1);
        labelX = std::max(labelX, cv.penX());
        MojiPut(b, tenX, y2, kPoint, b.MojiSize, ".");
    }

    // Where the partial products end: without the zeros' condition RightX
    // moves so that the set-apart zeros end under the operands.
    const int J = !matsubi && placement != 1 ? std::max(s1, s2) : 0;
    int rProducts = b.RightX + J * W;
    if (!(matsubi && Z > 0)) rProducts -= Z * W;
    if (!matsubi) {
        if (placement != 1) rProducts -= Z * W;
        if (placement == 0 || placement == 2) rProducts += s2 * W;
        if (placement == 3) rProducts += s1 * W;
    }
    const std::string_view kakerare(A.data() + (t1 - sig1), sig1);

    // Rule 1, over every partial product too.
    int y = Trunc(y2 + 1.8 * L);
    const int yr = Trunc(y - 0.5 * L);
    const int signX = b.RightX - (M + 1) * W;
    const int rule1X =
        zeroProduct ? signX : Rule1LeftX(signX, BubunSekiLeftX(rProducts, W, kakerare, B), W);
    Sleep(b, 1);
    cv.setPart(Part::OperatorRule);
    SenDsp(b, rule1X, yr, b.RightX, yr, 4, kRule);
    if (J > 0) SenDsp(b, b.RightX, yr, b.RightX + J * W, yr, 4, kRule);
    b.RightX += J * W;

    std::string seki;  // product digits in reading order
    int ys = y;        // the product's row
    cv.setPart(Part::Working);
    if (zeroProduct) {
        cv.setPart(Part::Answer);
        MojiPut(b, b.RightX - W, y, kNote, b.MojiSize, "0");
        seki.push_back('0');
    } else {
        // The set-apart zeros stay right of RightX; without the zeros'
        // condition RightX moves so that they end under the operands.
        if (matsubi && Z > 0) {
            SenDsp(b, b.RightX, yr, b.RightX + Z * W, yr, 4, kAquaLine);
            const int yz = s1 > 0 ? y1 : y2;
            for (int k = 0; k < Z; ++k) MojiPut(b, b.RightX + k * W, yz, kAux, b.MojiSize, "0");
            labelX = std::max(labelX, cv.penX());
        }
        b.RightX = rProducts;
        const int R = b.RightX;
        // Written under operands aligned by their last digits, the
        // multiplicand's set-apart zeros stand over the multiplier's last
        // digits, so each partial product brings them down after its digits
        // (80 x 2.6: 480 under 6, 160 under 2) and ends under the multiplier
        // digit that made it. Set apart to the right, they come down into
        // the product only.
        const int oroshiZero = !matsubi ? s1 : 0;

        // Partial products, one row per non-zero multiplier digit.
        const int cs = kuriagari ? L / 3 : 0;
        const int q = SaishoHiZero(B);
        const int yb = Trunc(b.OriginY + 5.3 * L + cs - b.ScrollY) + (jk.KAIGYO_FLAG == 1 ? L : 0);
        const int yRow0 = yb + b.harufa();
        // The set-apart zeros come down into the product only; they stand on
        // the first partial product's row only when it is the product.
        const bool onePartial =
            std::count_if(B.begin(), B.end(), [](char c) { return c != '0'; }) == 1;
        if (onePartial && oroshiZero == 0) {
            PartScope answer(cv, Part::Answer);
            for (int k = 0; k < Z; ++k) MojiPut(b, R + k * W, yRow0, kAux, b.MojiSize, "0");
        }
        StepMachi(b);

        SekiTable table(t2, t1 + t2);
        int skipped = 0;
        int partials = 0;
        int yi = yRow0;
        int yPartial = yRow0;  // row of the last partial product drawn
        for (int i = 0; i < t2; ++i) {
            StepMachi(b);
            yi = Trunc((1.2 * L + cs) * (i - skipped) + yb + b.harufa());
            const int di = DigitValue(B[t2 - 1 - i]);
            if (di > 0) {
                ++partials;
                yPartial = yi;
                for (int k = 0; k < oroshiZero; ++k)
                    MojiDsp(b, R + (k - i) * W, yi, kAux, b.MojiSize, 0, 0, 1);
                KakeBubunSeki(b, table, kakerare, i, di, yi,
                              PartialStyle{Trunc(yi - 0.45 * L), kCarry, false, true});
                continue;
            }
            ++skipped;
            if (i == t2 - 1) {
                // No row for a leading zero of the multiplier: the sum
                // follows the last partial product at the usual pitch.
                yi = Trunc((1.2 * L + cs) * (i - skipped) + yb + b.harufa());
                break;
            }
            if (q < t2 - i) MojiPut(b, R + (oroshiZero - i - 1) * W, yi, kAux, b.MojiSize, "0");
        }

        // The sum: exactly over the only partial product (its digits cover
        // the product's own, whatever the font's proportions), or under rule 2.
        cv.setPart(Part::Working);
        int yRule2 = yr;
        if (partials == 1) {
            ys = yPartial;
        } else {
            ys = Trunc(yi + 1.2 * L);
            yRule2 = ys + L / 20;
            SenDsp(b, R - (P - Z) * W, yRule2, R, yRule2, 3, kRedLine);
            ys = Trunc(cs + 0.4 * L + ys);
        }
        seki = KakeWa(b, table, P - Z, SumStyle{ys, Trunc(ys - 0.4 * L), kNote});
        std::reverse(seki.begin(), seki.end());

        // The set-apart zeros are the product's last digits.
        if (Z > 0) {
            cv.setPart(Part::Answer);
            for (int k = 0; k < Z; ++k) MojiPut(b, R + k * W, ys, kAux, b.MojiSize, "0");
            cv.setPart(Part::Working);
            SenDsp(b, R, yRule2, R + Z * W, yRule2, 3, kAquaLine);
        }

        // Zeros in front up to the ones column when the product is shorter
        // than its decimals.
        const int e = D - Z - Keta(seki);
        seki += std::string(Z, '0');
        if (e >= 0) {
            cv.setPart(Part::Working);
            if (partials == 1)
                SenDsp(b, R - (D - Z + 1) * W, yRule2, R, yRule2, 4, kRule);
            else
                SenDsp(b, R - (D - Z + 1) * W, yRule2, R, yRule2, 3, kRedLine);
            cv.setPart(Part::Answer);
            for (int k = e; k >= 0; --k)
                MojiDsp(b, R - (D - Z + 1 - k) * W, ys, kNote, b.MojiSize, 0, 0, 1);
            seki.insert(0, e + 1, '0');
        }
        cv.setPart(Part::Answer);
        StepMachi(b);
        MojiDsp(b, Trunc(R - (D - Z) * W - 0.2 * W), ys, kPoint, b.MojiSize, ".", 0, 1);

        // A slanted mark over every zero at the end of the decimals.
        for (int k = 1; k <= D && k <= Keta(seki) && seki[Keta(seki) - k] == '0'; ++k) {
            const int xk = R - (k - Z) * W;
            SenDsp(b, xk, ys, Trunc(xk + 0.8 * W), ys + L, 2, kAux);
        }
        cv.setPart(Part::Working);
        if (matsubi && Z > 0 && jk.SYOUPTLNDSP == 1) SenDsp(b, R, y1, R, cv.penY(), 1, kRule, true);
    }

    Sleep(b, 1);
    if (jk.QQ_FLAG == 1) {
        labelX = Trunc(labelX + 0.5 * b.MojiSize);
        KakezanMeishou(b, labelX, Trunc(y1 + 0.3 * L), 1.3, labelX,
                       ys + (kuriagari ? b.CharH / 5 : 0));
    }

    // The answer is the column result: read aloud and written after "=".
    b.out.Kotae = SekiText(seki, D);
    KotaeShiage(b, b.out.Kotae);
    return 1;
}

}  // namespace hissan
