// Long division of integers (わり算の筆算): the divisor at the left, the
// bracket and its line, the dividend under it and the quotient above it;
// under the dividend, for every non-zero quotient digit, its product, a rule
// and the partial remainder with the next digit brought down. The engine and
// the finishing steps here are shared with the decimal division.
#include "hissan/warizan.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

#include "hissan/arith.h"
#include "hissan/columns.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace hissan {

namespace {

const char* const kOverflowText =
    "＜オーバーフロウ＞\n ケタ数オーバーしました。商の小数の位を減らして下さい。\n"
    "Deleteキーを押して再入力します。";

int Len(const std::string& s) {
    return static_cast<int>(s.size());
}

std::string_view Ch(const std::string& s, int i) {
    return std::string_view(&s[static_cast<size_t>(i)], 1);
}

// The position of character `i` of a quotient text whose ones digit stands
// at position `ones`.
int ShouPos(const std::string& shou, int i, int ones) {
    const size_t point = shou.find('.');
    const int pt = point == std::string::npos ? Len(shou) : static_cast<int>(point);
    return i < pt ? ones - (pt - 1 - i) : ones + (i - pt);
}

}  // namespace

bool WarizanFits(const std::string& digits) {
    static const std::string kMax = "9223372036854775807";
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return true;
    const std::string_view v = std::string_view(digits).substr(first);
    if (v.size() != kMax.size()) return v.size() < kMax.size();
    return v <= std::string_view(kMax);
}

int WarizanOverflow(Run& b) {
    b.out.messages.push_back(
        Message{kOverflowText, "ご確認!!", Message::NoIcon, Message::ClearAndRestore});
    return -10;
}

// ---- the engine ------------------------------------------------------------------

int WarizanStep(Run& b, const WarizanWaku& f, WarizanKiroku& k) {
    const int C = b.CellW;
    const int L = b.LineH;
    const int size = b.MojiSize;
    k = WarizanKiroku{};
    k.shou.assign(static_cast<size_t>(std::max(f.walk, 0)), ' ');
    if (!WarizanFits(f.digits)) return WarizanOverflow(b);
    if (f.divisor <= 0 || f.walk <= 0 || f.walk > Len(f.digits)) return 1;

    k.WarareruY = f.WarareruY + Trunc(0.3 * L);
    const int WY = k.WarareruY;
    auto productY = [&](int s) { return Trunc(WY - 1.6 * L + 2.4 * L * s); };
    auto ruleY = [&](int s) { return Trunc(WY - 0.4 * L + 2.4 * L * s); };
    auto amariY = [&](int s) { return Trunc(WY - 0.3 * L + 2.4 * L * s); };
    const int nd = Len(f.divisorDigits);

    int64_t rem = 0;
    bool started = false;
    bool haveRule = false;
    int ruleX2 = 0;
    // The span of the partial dividend shown in the current remainder row.
    int rowLeft = 1, rowRight = 0;

    // Brings the dividend digits after the shown ones down to position `pos`
    // (zeros skipped before it come along, so the row has no gap).
    auto bringDown = [&](int pos) {
        if (rowRight < rowLeft) rowLeft = rowRight + 1;
        for (int p = rowRight + 1; p <= pos; ++p)
            MojiDsp(b, f.colX(b, p), k.AmariY, kDigit, size, Ch(f.digits, p - 1), 0, 1);
        rowRight = pos;
    };

    Canvas& cv = b.canvas();
    for (int i = 0; i < f.walk; ++i) {
        const int p = i + 1;
        const int x = f.colX(b, p);
        const bool last = p == f.walk;
        cv.setPart(Part::Working);
        StepMachi(b);
        const int64_t partial = rem * 10 + DigitValue(f.digits[static_cast<size_t>(i)]);
        const int q = static_cast<int>(partial / f.divisor);
        rem = partial % f.divisor;

        if (q == 0) {
            if (last) {
                cv.setPart(Part::Answer);
                MojiDsp(b, x, f.ShouY, kDigit, size, 0, 0, 1);
                k.shou[static_cast<size_t>(i)] = '0';
                break;
            }
            if (haveRule) {
                SenDspWait(b, ruleX2, k.ruleY, ruleX2 + C, k.ruleY, 3, kRule, 1);
                ruleX2 += C;
            }
            if (started) {
                cv.setPart(Part::Answer);
                MojiDsp(b, x, f.ShouY, kDigit, size, 0, 0, 1);
                cv.setPart(Part::Working);
                k.shou[static_cast<size_t>(i)] = '0';
                if (rem != 0 || f.digits[static_cast<size_t>(p)] != '0') bringDown(p + 1);
            } else {
                // No quotient digit stands over this dividend digit; in step
                // mode a grey box says so while the pupil goes on.
                PartScope stepOnly(cv, Part::StepOnly);
                cv.setStepOnly(true);
                MojiDsp(b, x - Trunc(0.2 * C), f.ShouY, kGrey, size, "□", 0, 0);
                cv.setStepOnly(false);
            }
            continue;
        }

        started = true;
        ++k.steps;
        cv.setPart(Part::Answer);
        MojiDsp(b, x, f.ShouY, kDigit, size, q, 0, 1);
        cv.setPart(Part::Working);
        k.shou[static_cast<size_t>(i)] = static_cast<char>('0' + q);

        // The product from the divisor's last digit, with its carries.
        const int py = productY(k.steps);
        int carry = 0;
        int left = p;
        for (int j = 0; j < nd; ++j) {
            StepMachi(b);
            const int v = DigitValue(f.divisorDigits[static_cast<size_t>(nd - 1 - j)]) * q + carry;
            carry = v / 10;
            left = p - j;
            MojiDsp(b, f.colX(b, left), py, kDigit, size, v % 10, 0, 1);
        }
        if (carry > 0) {
            --left;
            MojiDsp(b, f.colX(b, left), py, kDigit, size, carry, 0, 1);
        }

        // The rule under the partial dividend and its product, one column
        // further right when a digit will be brought down.
        const int x1 = f.colX(b, std::min(left, rowLeft));
        ruleX2 = last ? f.colX(b, p + 1) : f.colX(b, p + 2);
        k.ruleY = ruleY(k.steps);
        SenDspWait(b, x1, k.ruleY, ruleX2, k.ruleY, 3, kRule, 1);
        haveRule = true;

        // The partial remainder, from the right; a zero remainder is written
        // only at the last digit.
        k.AmariY = amariY(k.steps);
        rowLeft = p + 1;
        rowRight = p;
        if (rem != 0) {
            const std::string r = std::to_string(rem);
            const int n = Len(r);
            for (int t = n - 1; t >= 0; --t) {
                StepMachi(b);
                MojiDsp(b, f.colX(b, p - (n - 1 - t)), k.AmariY, kDigit, size, Ch(r, t), 0, 1);
            }
            rowLeft = p - n + 1;
        } else if (last) {
            StepMachi(b);
            MojiDsp(b, x, k.AmariY, kDigit, size, 0, 0, 1);
            rowLeft = p;
        }
        if (!last) {
            if (rem != 0) StepMachi(b);
            bringDown(p + 1);
        }
    }
    k.amari = rem;
    k.lastRowLeft = rowLeft;
    k.lastRowRight = rowRight;
    return 1;
}

// ---- rounding --------------------------------------------------------------------

std::string ShishaGonyuText(const std::string& shou) {
    if (shou.empty()) return shou;
    std::string t = shou;
    const char last = t.back();
    t.pop_back();
    if (last < '5') return t;
    int i = Len(t) - 1;
    for (; i >= 0; --i) {
        char& c = t[static_cast<size_t>(i)];
        if (c == '.') continue;
        if (c == '9') {
            c = '0';
            continue;
        }
        ++c;
        break;
    }
    if (i < 0) t.insert(t.begin(), '1');
    return t;
}

bool WarizanJunbiAgain(Run& b) {
    const TShiki& s = b.shiki;
    b.out.wz = WarizanJunbi(s.ZenkouSeisu, s.ZenkouShosu, s.KoukouSeisu, s.KoukouShosu,
                            b.jk->POINTMAX, b.jk->SHOU_ITI);
    return b.out.wz.WarizanKekka == 1;
}

WarizanJouken WarizanJoukenOf(const Run& b) {
    const WarizanResult& wz = b.out.wz;
    WarizanJouken c;
    c.shouIti = b.jk->SHOU_ITI;
    c.n = wz.N;
    c.round = c.shouIti == 1;
    // Nothing to round: the exact quotient has fewer decimals than asked, or
    // it is a whole number.
    if (c.round && wz.WarikireKeta < c.n) {
        c.n = wz.WarikireKeta;
        c.round = false;
    }
    if (c.round && wz.ShouSeisu == 1) {
        c.shouIti = 0;
        c.round = false;
    }
    if (wz.ShouMoji.find('.') == std::string::npos || c.n < 1) c.round = false;
    c.w = std::min(wz.ShouShosuKeta, c.n);
    return c;
}

void ShouShiage(Run& b, const WarizanWaku& f, const WarizanKiroku& k, int w) {
    b.canvas().setPart(Part::Answer);
    // A quotient below 1: its "0" in the ones column and the zeros before
    // its first digit, all added by the layout.
    for (int p = std::max(f.shouIchi, 1); p <= f.walk && k.shou[static_cast<size_t>(p - 1)] == ' ';
         ++p)
        MojiDsp(b, f.colX(b, p), f.ShouY, kAux, b.MojiSize, 0, 0, 1);
    if (w > 0) MojiDsp(b, f.ShouTenX, f.ShouY, kAddedPoint, b.MojiSize, ".", 0, 1);
}

std::string ShishaGonyuDsp(Run& b, const WarizanWaku& f) {
    const std::string& old = b.out.wz.ShouMoji;
    const int C = b.CellW;
    const int size = b.MojiSize;
    const int small = Trunc(0.7 * size);
    const int smallY = Trunc(f.ShouY - 0.55 * C);
    const int lastIdx = Len(old) - 1;
    // Colour of a quotient digit as drawn: zeros before the first non-zero
    // digit were added by the layout.
    const size_t firstSig = old.find_first_not_of("0.");
    auto colourOf = [&](int i) {
        return firstSig == std::string::npos || static_cast<size_t>(i) < firstSig ? kAux : kDigit;
    };
    auto oldAt = [&](int i) { return Ch(old, i); };
    const std::string rounded = ShishaGonyuText(old);

    b.canvas().setPart(Part::Answer);
    StepMachi(b);
    if (old.back() >= '5') {
        MojiDsp(b, f.colX(b, ShouPos(old, lastIdx, f.shouIchi)), f.ShouY, colourOf(lastIdx), size,
                oldAt(lastIdx), 1, 1);
        // Changed digits from the right: the old one struck, the new one
        // small above it; new zeros after the point before any non-zero new
        // digit are not needed and are struck too.
        const int offset = Len(rounded) - lastIdx;  // 1 when a digit was added in front
        bool passedPoint = false;
        bool nonZeroSeen = false;
        for (int nj = Len(rounded) - 1; nj >= 0; --nj) {
            const char nc = rounded[static_cast<size_t>(nj)];
            if (nc == '.') {
                passedPoint = true;
                continue;
            }
            const int oj = nj - offset;
            const bool rightOfPoint = !passedPoint && old.find('.') != std::string::npos;
            if (oj >= 0 && old[static_cast<size_t>(oj)] == nc) break;
            StepMachi(b);
            const int pos = oj >= 0 ? ShouPos(old, oj, f.shouIchi)
                                    : ShouPos(old, 0, f.shouIchi) - 1;  // a new leading digit
            const int x = f.colX(b, pos);
            if (oj >= 0) MojiDsp(b, x, f.ShouY, colourOf(oj), size, oldAt(oj), 1, 1);
            const bool unneeded = rightOfPoint && nc == '0' && !nonZeroSeen;
            if (nc != '0') nonZeroSeen = true;
            MojiDsp(b, Trunc(x + 0.1 * C), smallY, kDigit, small, std::string_view(&nc, 1),
                    unneeded ? 1 : 0, 1);
            if (passedPoint && nj + 1 < Len(rounded) &&
                rounded[static_cast<size_t>(nj + 1)] == '.') {
                // The first digit left of the point: the point again, and a
                // small one after the new digit.
                MojiPut(b, f.ShouTenX, f.ShouY, kAddedPoint, size, ".");
                MojiPut(b, Trunc(x + 0.9 * C), smallY, kAddedPoint, small, ".");
            }
        }
    } else {
        // Rounded down: the last digit goes; trailing zeros go with it.
        const int zeros = MatsubiZeroSuu(old.substr(old.find('.') + 1));
        if (zeros == 0) {
            MojiDsp(b, f.colX(b, ShouPos(old, lastIdx, f.shouIchi)), f.ShouY, colourOf(lastIdx),
                    size, oldAt(lastIdx), 1, 1);
        } else {
            for (int i = lastIdx; i > lastIdx - zeros; --i)
                MojiDsp(b, f.colX(b, ShouPos(old, i, f.shouIchi)), f.ShouY, colourOf(i), size,
                        oldAt(i), 1, 1);
        }
    }
    return KotaeSeiri(rounded);
}

// ---- the remainder ------------------------------------------------------------------

void AmariShiage(Run& b, const WarizanWaku& f, const WarizanKiroku& k, int y, int rowRight,
                 int cancelled) {
    const std::string amari = KotaeSeiri(b.out.wz.AmariMoji);
    if (amari == "0") return;
    b.canvas().setPart(Part::Answer);
    const int size = b.MojiSize;
    const size_t point = amari.find('.');
    const std::string ri = amari.substr(0, point);
    const std::string rf = point == std::string::npos ? std::string() : amari.substr(point + 1);
    const int ones = f.amariIchi;
    const int n = Len(ri);
    const bool below1 = ri == "0";

    if (below1) {
        MojiDsp(b, f.colX(b, ones), y, kAux, size, 0, 0, 1);
    } else {
        for (int t = 0; t < n; ++t) {
            const int pos = ones - (n - 1 - t);
            const bool zeroOfCancel = pos > ones - cancelled;
            MojiDsp(b, f.colX(b, pos), y, zeroOfCancel ? kAux : kDigit, size, Ch(ri, t), 0, 0);
        }
        if (cancelled > 0) {
            // The cancelled zeros belong to the true remainder.
            const int x1 = f.colX(b, ones - cancelled + 1);
            SenDspWait(b, x1, y - 3, f.colX(b, ones + 1), y - 3, 2, kAqua, 1);
        }
    }
    int firstSig = ones;
    bool sigSeen = !below1;
    for (int j = 0; j < Len(rf); ++j) {
        const bool leadingZero = !sigSeen && rf[static_cast<size_t>(j)] == '0';
        if (!leadingZero && !sigSeen) firstSig = ones + j + 1;
        sigSeen = sigSeen || !leadingZero;
        MojiDsp(b, f.colX(b, ones + j + 1), y, leadingZero ? kAux : kDigit, size, Ch(rf, j), 0, 0);
    }
    if (below1 && firstSig > ones) {
        // The rule reaches under the added zeros.
        SenDsp(b, f.colX(b, ones), k.ruleY, Trunc(f.colX(b, firstSig) - 0.2 * b.CellW), k.ruleY, 3,
               kRule);
    }
    // Digits of the row after the remainder's last significant one stand
    // for nothing: struck through.
    const int lastSig = ones + Len(rf);
    bool pointNeeded = !rf.empty();
    for (int pos = lastSig + 1; pos <= rowRight; ++pos) {
        MojiDsp(b, f.colX(b, pos), y, kNote, size, 0, 1, 1);
        if (pos > ones) pointNeeded = true;
    }
    if (pointNeeded) MojiDsp(b, f.TypedTenX, y, rf.empty() ? kPoint : kAddedPoint, size, ".", 0, 1);
}

void HojoSen(Run& b, const WarizanWaku& f, int amariY) {
    if (b.jk->SYOUPTLNDSP != 1 || b.out.wz.AmariShosuKeta == 0) return;
    Canvas& cv = b.canvas();
    cv.setPart(Part::Working);
    cv.setBrushColour(Colour::of(Role::Background));
    const int x = Trunc(f.TypedTenX + 0.1 * b.CellW);
    SenDspWait(b, x, f.WarareruY + b.CharH, x, amariY + b.CharH / 2, 1, kRule, 1, true);
    if (f.ShouTenX != f.TypedTenX) {
        const int xs = Trunc(f.ShouTenX + 0.1 * b.CellW);
        SenDsp(b, xs, f.WarareruY - b.CharH / 2, xs, f.WarareruY + b.CharH / 2, 1, kRule, true);
    }
}

void WarizanMeishou(Run& b, int labelX, int warareruY, int amariY, bool round, int warumojiX,
                    int divisorDigits, int warumojiShift, bool asciiBracket, int limitX) {
    if (b.jk->QQ_FLAG != 1) return;
    Sleep(b);
    const WarizanResult& wz = b.out.wz;
    std::string digits = wz.ShouMoji;
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    std::string label;
    if (wz.ShouShosuKeta < 1) {
        label = std::string(asciiBracket ? "←[" : "←［") +
                "商:" + std::to_string(Len(wz.ShouMoji)) + "ケタの整数］";
    } else {
        label = "←［商:" + std::to_string(Len(digits)) + "ケタ,末位:小数第" +
                std::to_string(wz.ShouShosuKeta) + (round ? "位を四捨五入］" : "位］");
    }
    KomojiLabel(b, labelX, warareruY - Trunc(1.2 * b.CharH), label, kAnswer);
    KomojiLabel(b, labelX, warareruY, "←割られる数", kDigit);
    KomojiLabel(b, labelX, amariY, "←余り");
    const int x = warumojiShift >= 0 ? warumojiX - (2 - divisorDigits / 2) * b.CellW
                                     : Trunc(warumojiX - (0.7 * b.CellW + divisorDigits / 2));
    // Never into the quotient's first column, which may hold its "0".
    Canvas& cv = b.canvas();
    cv.setFontSize(Trunc(0.7 * b.MojiSize));
    const int limit = limitX - cv.textWidth("割る数↓") - b.CellW / 8;
    KomojiLabel(b, std::max(std::min(x, limit), 0), warareruY - b.CharH, "割る数↓");
    b.canvas().setFontSize(b.MojiSize);
}

void WarizanKotae(Run& b, const std::string& rounded, bool wasRounded) {
    b.canvas().setPart(Part::Answer);
    StepMachi(b);
    const int x = Trunc(b.EqualX + 1.2 * b.CellW);
    if (wasRounded) {
        // The rounded quotient is the answer; it has no remainder.
        b.out.Kotae = rounded;
        KotaeDsp(b, x, b.EqualY, rounded, "0");
        return;
    }
    const std::string shou = KotaeSeiri(b.out.wz.ShouMoji);
    const std::string amari = KotaeSeiri(b.out.wz.AmariMoji);
    b.out.Kotae = amari == "0" ? shou : shou + "R" + amari;
    KotaeDsp(b, x, b.EqualY, shou, amari);
}

// ---- the integer layout ------------------------------------------------------------

namespace {

// Clears the last remainder row left of its last column and writes the one
// "0" of an exact division that ends in zeros there.
void ZeroOnlyRow(Run& b, const WarizanWaku& f, const WarizanKiroku& k) {
    Canvas& cv = b.canvas();
    cv.setPart(Part::Answer);
    Sleep(b);
    cv.setBrushColour(Colour::of(Role::Background));
    cv.fillRect(f.colX(b, 1), k.AmariY, f.colX(b, f.walk), k.AmariY + b.CellW);
    for (int p = std::max(1, k.lastRowLeft); p < f.walk && p <= k.lastRowRight; ++p)
        MojiPut(b, f.colX(b, p), k.AmariY, kDigit, b.MojiSize, " ");
    MojiDsp(b, f.colX(b, f.walk), k.AmariY, kPoint, b.MojiSize, 0, 0, 1);
}

bool IsZeroText(const std::string& text) {
    return text.find_first_not_of("0.") == std::string::npos;
}

}  // namespace

int body::WarizanDsp(Run& b) {
    const TJouken& jk = *b.jk;
    const WorkCopy& w = b.w;
    const int C = b.CellW;
    const int L = b.LineH;
    const int size = b.MojiSize;

    if (!WarizanJunbiAgain(b)) return 1;
    const WarizanJouken jc = WarizanJoukenOf(b);

    const std::string& zen = w.Zenkou;
    const std::string& kou = w.Koukou;
    const int D = Len(zen);
    const int Lk = Len(kou);
    const int u = jk.MatsubiZeroWari == 1 ? std::min(b.out.wz.MatsubiZeroKazu, Lk - 1) : 0;
    const int wd = jc.w;
    const int kept = D - u;

    WarizanWaku f;
    const int kaigyo = jk.KAIGYO_FLAG == 1 ? L : 0;
    f.KakkoX = b.OriginX + (Lk + 3) * C;
    f.WarareruY = b.OriginY + 4 * L + b.harufa() - b.ScrollY + kaigyo;
    f.KakkoY = Trunc(f.WarareruY - 0.1 * L);
    f.ShouY = Trunc(b.OriginY + 2.7 * L - b.ScrollY + b.harufa()) + kaigyo;
    f.MigiX = f.colX(b, D + 1);
    f.ShouTenX = Trunc(f.colX(b, kept + 1) - 0.2 * C);
    f.TypedTenX = Trunc(f.colX(b, D + 1) - 0.2 * C);
    f.digits = zen + std::string(static_cast<size_t>(wd), '0');
    f.walk = kept + wd;
    f.shouIchi = kept;
    f.amariIchi = D;
    f.divisorDigits = kou.substr(0, static_cast<size_t>(Lk - u));
    f.divisorLastX = b.OriginX + (Lk - u - 1) * C;
    const std::string& dd = f.divisorDigits;
    std::from_chars(dd.data(), dd.data() + dd.size(), f.divisor);
    const int WY = f.WarareruY;

    // The dividend, the bracket and its line.
    Canvas& cv = b.canvas();
    cv.setPart(Part::Operand);
    for (int p = 1; p <= D; ++p) MojiDsp(b, f.colX(b, p), WY, kDigit, size, Ch(zen, p - 1), 0, 1);
    const int gx = Trunc(Trunc(f.KakkoX - 2.4 * C) - 0.5 * C);
    cv.setPart(Part::DivisionFrame);
    MojiPut(b, gx, WY - L / 4, kRule, Trunc(1.4 * size), ")");
    cv.setPart(Part::Operand);
    MojiPut(b, f.colX(b, 1), WY, kDigit, size, Ch(zen, 0));
    cv.setPart(Part::DivisionFrame);
    SenDspWait(b, gx, f.KakkoY, f.MigiX, f.KakkoY, 4, kRule, 1);

    // The divisor.
    cv.setPart(Part::Operand);
    for (int q = 1; q <= Lk; ++q)
        MojiDsp(b, b.OriginX + (q - 1) * C, WY, kDigit, size, Ch(kou, q - 1), 0, 1);
    cv.setPart(Part::Working);
    if (u > 0) SenDspWait(b, f.colX(b, kept + 1), f.KakkoY, f.MigiX, f.KakkoY, 4, kAquaLine, 1);

    // Zeros cancelled from both operands: struck through, with the point
    // they move.
    if (u > 0) {
        if (wd == 0) MojiDsp(b, f.ShouTenX, WY, kAux, size, ".", 0, 1);
        for (int p = kept + 1; p <= D; ++p) MojiDsp(b, f.colX(b, p), WY, kAux, size, "z", 1, 1);
        cv.setPart(Part::Operand);
        for (int q = 1; q <= Lk - u; ++q)
            MojiPut(b, b.OriginX + (q - 1) * C, WY, kDigit, size, Ch(kou, q - 1));
        cv.setPart(Part::Working);
        MojiDsp(b, Trunc(f.divisorLastX + 0.8 * C), WY, kAux, size, ".", 0, 1);
        for (int q = Lk - u + 1; q <= Lk; ++q)
            MojiDsp(b, b.OriginX + (q - 1) * C, WY, kAux, size, "z", 1, 1);
    }

    // Quotient decimals: the point and the zeros appended to the dividend.
    if (wd > 0) {
        MojiDsp(b, f.ShouTenX, WY, kAux, size, ".", 0, 1);
        const int extra = wd - u;
        if (extra > 0) {
            if (u == 0)
                MojiDsp(b, f.ShouTenX, WY, kAux, size, ".", 0, 0);
            else
                MojiDsp(b, f.TypedTenX, WY, kAux, size, ".", 1, 1);
            for (int j = 1; j <= extra; ++j)
                MojiDsp(b, f.colX(b, D + j), WY, kSilver, size, 0, 0, 1);
        }
        f.MigiX = f.colX(b, std::max(D, f.walk) + 1);
        SenDspWait(b, f.colX(b, kept + 1), f.KakkoY, f.MigiX, f.KakkoY, 4, kAquaLine, 1);
    }

    StepMachi(b);
    WarizanKiroku k;
    int amariY = 0;
    if (IsZeroText(b.out.wz.ShouMoji)) {
        // Quotient 0: no engine. A 0 over the last digit, 0 as product, the
        // rule and the dividend again as remainder.
        k.shou.assign(static_cast<size_t>(f.walk), ' ');
        const int x = f.colX(b, f.walk);
        cv.setPart(Part::Answer);
        MojiDsp(b, x, Trunc(WY - 1.3 * L), kDigit, size, 0, 0, 1);
        k.shou.back() = '0';
        cv.setPart(Part::Working);
        MojiDsp(b, x, Trunc(WY + 1.2 * L), kDigit, size, 0, 0, 1);
        k.ruleY = Trunc(f.KakkoY + 2.5 * L);
        SenDspWait(b, Trunc(f.divisorLastX + 1.3 * C), k.ruleY, f.MigiX, k.ruleY, 4, kRule, 1);
        amariY = Trunc(WY + 2.6 * L);
        for (int p = 1; p <= kept; ++p)
            MojiDsp(b, f.colX(b, p), amariY, kDigit, size, Ch(zen, p - 1), 0, 1);
        k.AmariY = amariY;
        ShouShiage(b, f, k, wd);
        if (u > 0) AmariShiage(b, f, k, amariY, kept, u);
        const bool rounded = jc.round;
        const std::string r = rounded ? ShishaGonyuDsp(b, f) : std::string();
        WarizanKotae(b, r, rounded);
        return 1;
    }

    const int rc = WarizanStep(b, f, k);
    if (rc < 0) return rc;
    amariY = k.AmariY;

    ShouShiage(b, f, k, wd);
    std::string rounded;
    if (jc.round) rounded = ShishaGonyuDsp(b, f);

    const bool amari0 = KotaeSeiri(b.out.wz.AmariMoji) == "0";
    const char lastQ = k.shou.empty() ? '0' : k.shou.back();
    if (b.out.wz.ShouShosuKeta > 0 || lastQ != '0') {
        AmariShiage(b, f, k, amariY, k.lastRowRight, std::max(0, u - wd));
    } else if (!amari0 && jk.SHOU0_DSP == 1) {
        // The zero row: 0 times the divisor, a rule, the remainder again.
        cv.setPart(Part::Working);
        MojiDsp(b, f.colX(b, f.walk), amariY + L + 5, kDigit, size, 0, 0, 1);
        const int ry = Trunc(amariY + 2.4 * L);
        SenDspWait(b, f.MigiX - (D - u) * C, ry - Trunc(0.2 * b.DigitW), f.MigiX,
                   ry - Trunc(0.2 * b.DigitW), 3, kAquaLine, 1);
        AmariShiage(b, f, k, ry, f.walk, u);
        amariY = ry;
    } else if (!amari0) {
        AmariShiage(b, f, k, amariY, k.lastRowRight, u);
    } else {
        ZeroOnlyRow(b, f, k);
    }
    HojoSen(b, f, amariY);

    WarizanMeishou(b, f.MigiX + C / 2, WY, amariY, jc.round, b.OriginX, Lk, -1, false,
                   f.colX(b, 1));
    WarizanKotae(b, rounded, jc.round);
    return 1;
}

}  // namespace hissan
