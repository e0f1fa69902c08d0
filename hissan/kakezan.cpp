// Integer multiplication: the multiplicand over the multiplier, one partial
// product per non-zero multiplier digit, the second rule and the column sum.
// With MatsubiZeroKake the trailing zeros of both operands are set apart to
// the right and brought down into the product.
#include "hissan/kakezan.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>

#include "hissan/columns.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace hissan {

namespace {

bool ReadInt64(const std::string& text, int64_t& value) {
    if (!IsDigitText(text)) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// A small carry near the left neighbour column above the row at y. The sum of
// many partial products can carry 10 or more: all its digits are written, the
// last one where a one-digit carry stands.
void KuriagariDsp(Run& b, int x, int y, Colour colour, int carry) {
    PartScope part(b.canvas(), Part::Mark);
    std::string digits = std::to_string(carry);
    if (digits.size() == 1) {
        MojiDsp(b, Trunc(x - 1.4 * b.DigitW), y, colour, b.KomojiSize, carry, 0, 0);
        return;
    }
    std::string glyphs;
    for (char ch : digits) glyphs += ZenkakuMoji(ch);
    const int extra = b.canvas().metrics().textWidth(glyphs, b.KomojiSize, false) -
                      b.canvas().metrics().textWidth(ZenkakuMoji('0'), b.KomojiSize, false);
    MojiDsp(b, Trunc(x - 1.4 * b.DigitW) - extra, y, colour, b.KomojiSize, glyphs, 0, 0);
}

}  // namespace

// ---- shared with the decimal layout -------------------------------------------

SekiTable::SekiTable(int rows, int cols)
    : rows_(std::max(0, rows)),
      cols_(std::max(0, cols)),
      cells_(static_cast<size_t>(rows_) * static_cast<size_t>(cols_), 0) {}

void SekiTable::set(int i, int c, int digit) {
    if (contains(i, c)) cells_[static_cast<size_t>(i) * cols_ + c] = digit;
}

int SekiTable::get(int i, int c) const {
    return contains(i, c) ? cells_[static_cast<size_t>(i) * cols_ + c] : 0;
}

int SekiTable::columnSum(int c) const {
    int sum = 0;
    for (int i = 0; i < rows_; ++i) sum += get(i, c);
    return sum;
}

int KakeBubunSeki(Run& b, SekiTable& t, std::string_view multiplicand, int i, int d, int y,
                  const PartialStyle& style) {
    const int W = b.CellW;
    const int n = static_cast<int>(multiplicand.size());
    int carry = 0;
    int x = b.RightX - (i + 1) * W;
    for (int j = 0; j < n; ++j) {
        if (style.stepBefore) StepMachi(b);
        const int value = DigitValue(multiplicand[n - 1 - j]) * d + carry;
        carry = value / 10;
        t.set(i, i + j, value % 10);
        x = b.RightX - (i + j + 1) * W;
        if (b.jk->KURIAGARI == 1 && carry > 0)
            KuriagariDsp(b, x, style.carryY, style.carryColour, carry);
        MojiDsp(b, x, y, kDigit, b.MojiSize, value % 10, 0, 1);
        if (style.stepAfter) StepMachi(b);
    }
    if (carry > 0) {
        // The last carry is the partial product's leading digit.
        t.set(i, i + n, carry);
        x -= W;
        MojiDsp(b, x, y, kDigit, b.MojiSize, carry, 0, 1);
    }
    return x;
}

int BubunSekiLeftX(int rightX, int cellW, std::string_view multiplicand,
                   std::string_view multiplier) {
    const int n = static_cast<int>(multiplicand.size());
    const int m = static_cast<int>(multiplier.size());
    int left = rightX;
    for (int i = 0; i < m; ++i) {
        const int d = DigitValue(multiplier[m - 1 - i]);
        if (d == 0) continue;
        int carry = 0;
        for (int j = 0; j < n; ++j) carry = (DigitValue(multiplicand[n - 1 - j]) * d + carry) / 10;
        left = std::min(left, rightX - (i + n + (carry > 0 ? 1 : 0)) * cellW);
    }
    return left;
}

std::string KakeWa(Run& b, const SekiTable& t, int limit, const SumStyle& style) {
    const int last = t.cols() - 1;
    std::string digits;
    int carry = 0;
    for (int c = 0; c <= last; ++c) {
        const int sum = t.columnSum(c) + carry;
        const int digit = sum % 10;
        carry = sum / 10;
        const int x = b.RightX - (c + 1) * b.CellW;
        StepMachi(b);
        if (b.jk->KURIAGARI == 1 && carry > 0)
            KuriagariDsp(b, x, style.carryY, style.carryColour, carry);
        // A product has as many digits as both factors or one fewer: a zero in
        // the top column is no digit.
        if (c >= limit || (digit == 0 && (c >= last || c + 1 == limit))) break;
        b.canvas().setPart(Part::Answer);
        MojiDsp(b, x, style.digitY, kDigit, b.MojiSize, digit, 0, 1);
        digits += static_cast<char>('0' + digit);
    }
    return digits;
}

void KakezanMeishou(Run& b, int x, int row, double gap, int sekiX, int sekiY) {
    KomojiLabel(b, x, row, "←かけられる数", kDigit);
    KomojiLabel(b, x, Trunc(row + gap * b.LineH), "←かける数");
    KomojiLabel(b, sekiX, sekiY, "←積");
    b.canvas().setFontSize(b.MojiSize);
}

// ---- the integer layout --------------------------------------------------------

int body::KakezanDsp(Run& b) {
    Canvas& cv = b.canvas();
    const TJouken& jk = *b.jk;
    WorkCopy& w = b.w;
    const int W = b.CellW;
    const int L = b.LineH;

    const std::string zen = SentouZeroKesi(w.Zenkou);
    const std::string kou = SentouZeroKesi(w.Koukou);
    int64_t v1 = 0, v2 = 0;
    if (!ReadInt64(zen, v1) || !ReadInt64(kou, v2)) {
        b.out.messages.push_back({"ケタがオーバー！", "残念！", Message::NoIcon, Message::Nothing});
        return 1;
    }

    // Trailing zeros set apart, and the digits that are really multiplied.
    const int n1 = Keta(zen), n2 = Keta(kou);
    const int z1 = MatsubiZeroSuu(zen), z2 = MatsubiZeroSuu(kou);
    const int s1 = jk.MatsubiZeroKake == 1 && n1 > 1 ? z1 : 0;
    const int s2 = jk.MatsubiZeroKake == 1 && n2 > 1 ? z2 : 0;
    const int k1 = n1 - s1, k2 = n2 - s2;  // at least one digit each: no leading zeros
    const int Z = s1 + s2;
    const int e2 = n2 - z2;
    const int m = std::max(k1, k2);
    w.ZenkouKeta = k1;
    w.KoukouKeta = k2;
    w.MaxSeisuKeta = m;
    b.RightX = b.OriginX + (k1 + k2) * W;
    const int R = b.RightX;

    // 0 both operands are 0, 1 only the multiplicand, 2 only the multiplier, 3 neither.
    const int zeroCase = v1 == 0 ? (v2 == 0 ? 0 : 1) : (v2 == 0 ? 2 : 3);
    // The single "0" of a zero multiplier, and the product 0, stand under the
    // last digit of the other operand, set-apart zeros included.
    const int x0 = R + ((zeroCase == 1 ? s2 : zeroCase == 2 ? s1 : 0) - 1) * W;
    const int cs = jk.KURIAGARI == 1 ? L / 2 : 0;

    // Row 1: the multiplied digits, then the set-apart zeros right of RightX.
    const int y1 = FirstRowY(b);
    cv.setPart(Part::Operand);
    for (int p = 0; p < k1; ++p)
        MojiDsp(b, R + (p - k1) * W, y1, kDigit, b.MojiSize, DigitValue(zen[p]), 0, 1);
    for (int j = 0; j < s1; ++j) MojiDsp(b, R + j * W, y1, kAux, b.MojiSize, 0, 0, 1);
    int labelX = cv.penX();

    // Row 2, one cell lower, with the sign two columns left of the longer operand.
    const int y2 = y1 + W;
    cv.setPart(Part::OperatorRule);
    MojiDsp(b, R - (m + 2) * W, y2, kSign, b.MojiSize, "*", 0, 1);
    cv.setPart(Part::Operand);
    if (zeroCase == 1 || zeroCase == 3) {
        for (int p = 0; p < k2; ++p)
            MojiDsp(b, R + (p - k2) * W, y2, kDigit, b.MojiSize, DigitValue(kou[p]), 0, 1);
        for (int j = 0; j < s2; ++j) MojiDsp(b, R + j * W, y2, kAux, b.MojiSize, 0, 0, 1);
    } else {
        MojiDsp(b, x0, y2, kDigit, b.MojiSize, 0, 0, 1);
    }
    labelX = std::max(labelX, cv.penX());

    // Rule 1, over every partial product too.
    const int yr = Trunc(y1 + 2.4 * L);
    const std::string_view kakerare(zen.data(), k1);
    const std::string_view kakeru(kou.data(), k2);
    const int signX = R - (m + 2) * W;
    const int rule1X =
        zeroCase == 3 ? Rule1LeftX(signX, BubunSekiLeftX(R, W, kakerare, kakeru), W) : signX;
    Sleep(b, 1);
    cv.setPart(Part::OperatorRule);
    SenDsp(b, rule1X, yr, zeroCase == 3 ? R : R + Z * W, yr, 4, kRule);

    std::string seki;        // product digits, ones first
    int sekiY = yr + L / 2;  // the product's row, where its name goes too
    if (zeroCase != 3) {
        cv.setPart(Part::Answer);
        MojiPut(b, x0, sekiY, kAnswer, b.MojiSize, "0");
        seki = "0";
    } else {
        const int yp = Trunc(yr + 0.3 * L) + cs;
        if (Z > 0) {
            SenDsp(b, R, yr, R + Z * W, yr, 4, kRule);
            // The set-apart zeros come down into the product only: beside a
            // first partial product of several they would make 115 read
            // 115000. With a one-digit multiplier that row is the product.
            cv.setPart(Part::Answer);
            if (k2 == 1)
                for (int j = 0; j < Z; ++j) MojiPut(b, R + j * W, yp, kAux, b.MojiSize, "0");
        }
        StepMachi(b);

        // One partial product per non-zero multiplier digit; a zero digit is
        // written as "0" and the next product shares its row. The only
        // partial product of a one-digit multiplier is the product.
        cv.setPart(k2 == 1 ? Part::Answer : Part::Working);
        SekiTable table(k2, k1 + k2);
        int skipped = 0;
        int xLast = R;
        int lastY = yp;
        for (int i = 0; i < k2; ++i) {
            const int d = DigitValue(kou[k2 - 1 - i]);
            const int yi = yp + (W + cs) * (i - skipped);
            lastY = yi;
            if (d == 0) {
                ++skipped;
                MojiPut(b, R - (i + 1) * W, yi, kAux, b.MojiSize, "0");
                continue;
            }
            xLast = KakeBubunSeki(b, table, kakerare, i, d, yi,
                                  PartialStyle{yi - cs, kDigit, true, false});
        }

        if (k2 == 1) {
            // The only partial product is the product.
            sekiY = yp;
            for (int c = 0; c < table.cols(); ++c) {
                if (c == table.cols() - 1 && table.get(0, c) == 0) break;
                seki += static_cast<char>('0' + table.get(0, c));
            }
        } else {
            int y = Trunc(lastY + 1.2 * L);
            cv.setPart(Part::Working);
            // Rule 2 under several partial products, from one column left of
            // the last (leftmost) one, which reaches as far left as the sum.
            if (e2 > 1) SenDsp(b, xLast - W, y, R, y, 3, kRedLine);
            if (Z > 0) {
                SenDsp(b, R, y, R + Z * W, y, 3, kAquaLine);
                PartScope answer(cv, Part::Answer);
                for (int j = 0; j < Z; ++j)
                    MojiPut(b, R + j * W, y + cs + b.CharH / 4, kAux, b.MojiSize, "0");
            }
            if (e2 == 1) {
                // One non-zero multiplier digit: the sum is written over the
                // only partial product, exactly on its row, so that no edge of
                // the digits below shows above the new ones whatever the
                // font's cell and line proportions.
                y = lastY - cs - L / 4;
            }
            sekiY = y + cs + L / 4;
            seki = KakeWa(b, table, k1 + k2, SumStyle{sekiY, y + cs / 2, kCarry});
        }
    }

    // The dotted reference line between the multiplied digits and the zeros.
    cv.setPart(Part::Working);
    if (jk.MatsubiZeroKake == 1 && jk.SYOUPTLNDSP == 1)
        SenDsp(b, R, y1, R, cv.penY() + cs + L, 1, kRule, true);
    Sleep(b, 1);

    if (jk.QQ_FLAG == 1) {
        labelX += W / 4;
        // "←積" stands on the product's row: the zero product, the only
        // partial product or the sum (also when written over a partial product).
        KakezanMeishou(b, labelX, Trunc(y1 + 0.3 * L), 1.1, labelX + W * std::min(s1, s2), sekiY);
    }

    std::reverse(seki.begin(), seki.end());
    b.out.Kotae = KotaeSeiri(seki + std::string(Z, '0'));
    KotaeShiage(b, b.out.Kotae);
    return 1;
}

}  // namespace hissan
