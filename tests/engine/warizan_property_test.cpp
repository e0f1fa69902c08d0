// Many generated divisions, read back from the board: the drawing must be a
// correct long division, stay on the board, and its answer must be exact.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/engine/warizan_support.h"

namespace hissan::test {
namespace {

std::string RandomDigits(std::mt19937& rng, int n, bool leadNonZero) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        const int r = static_cast<int>(rng() % 13);
        char c = static_cast<char>('0' + (r < 3 ? 0 : r < 5 ? 9 : r - 4));
        if (i == 0 && leadNonZero && c == '0') c = '1';
        s += c;
    }
    return s;
}

// An operand of at most `total` digits: integer digits, sometimes decimals.
std::string RandomOperand(std::mt19937& rng, int total, bool decimals) {
    const int seisu = 1 + static_cast<int>(rng() % std::min(total, rng() % 4 == 0 ? 17 : 6));
    std::string s = RandomDigits(rng, seisu, seisu > 1);
    const int room = total - seisu;
    if (decimals && room > 0 && rng() % 2 == 0) {
        const int shosu = 1 + static_cast<int>(rng() % std::min(room, 4));
        if (seisu == 1 && rng() % 3 == 0) s = "0";
        s += "." + RandomDigits(rng, shosu, false);
    }
    return s;
}

std::string Str(const exact::Dec& d) {
    return exact::tidy(d);
}

// The quotient text as the quotient row shows it, by place value.
::testing::AssertionResult IsCorrectLongDivision(const BoardFixture& f, const std::string& a,
                                                 const std::string& c) {
    const hissan::Run& b = f.b;
    const WarizanResult& wz = b.out.wz;
    const bool decimal = b.w.MaxShosuKeta > 0;
    const int Lcells = decimal ? b.w.KoukouKeta + b.w.KoukouShosuKeta : b.w.KoukouKeta;
    const int u = !decimal && f.jk.MatsubiZeroWari == 1
                      ? std::min(wz.MatsubiZeroKazu, b.w.KoukouKeta - 1)
                      : 0;
    const int shift = decimal ? b.w.KoukouShosuKeta : 0;
    // Board column of dividend position p.
    auto colOf = [&](int p) { return Lcells + p; };
    const int dividendOnes = colOf(b.w.ZenkouKeta);
    const int quotientOnes = colOf(b.w.ZenkouKeta + shift - u);
    const std::string divisorDigits =
        decimal ? SentouZeroKesi(b.w.Koukou + b.w.KoukouShosu)
                : b.w.Koukou.substr(0, static_cast<size_t>(b.w.KoukouKeta - u));
    const exact::Dec divisor{exact::stripLeading(divisorDigits), 0};

    const std::vector<DigitRow> rows = DigitRows(f);
    const int kaigyo = f.jk.KAIGYO_FLAG == 1 ? b.LineH : 0;
    const int WY = b.OriginY + 4 * b.LineH + b.harufa() + kaigyo;
    const int ShouY = Trunc(b.OriginY + 2.7 * b.LineH + b.harufa()) + kaigyo;
    const DigitRow* shou = nullptr;
    const DigitRow* dividend = nullptr;
    std::vector<const DigitRow*> below;
    for (const DigitRow& r : rows) {
        if (r.y == ShouY)
            shou = &r;
        else if (r.y == WY)
            dividend = &r;
        else if (r.y > WY)
            below.push_back(&r);
        else
            return ::testing::AssertionFailure() << "a row at y " << r.y << ": " << r.text;
    }
    if (!shou || !dividend) return ::testing::AssertionFailure() << "no quotient or dividend row";

    // The quotient row is the quotient text, in its places, its point after
    // its ones column.
    const exact::Dec q = PlaceValue(*shou, FirstCol(*shou), LastCol(*shou), quotientOnes);
    if (exact::compare(q, exact::dec(KotaeSeiri(wz.ShouMoji))) != 0)
        return ::testing::AssertionFailure()
               << "quotient row " << shou->text << " is not " << wz.ShouMoji;
    for (int p : shou->points)
        if (p != quotientOnes + 1)
            return ::testing::AssertionFailure() << "quotient point before column " << p;

    if (below.size() % 2 != 0) return ::testing::AssertionFailure() << "a product without rows";
    const DigitRow* previous = dividend;
    for (size_t j = 0; j + 1 < below.size(); j += 2) {
        const DigitRow& prod = *below[j];
        const DigitRow& rest = *below[j + 1];
        const int rc = LastCol(prod);
        const auto qd = shou->cells.find(rc);
        const int digit = qd == shou->cells.end() ? 0 : qd->second - '0';
        const exact::Dec product = PlaceValue(prod, FirstCol(prod), rc, rc);
        if (exact::compare(product, exact::mul(divisor, exact::Dec{std::to_string(digit), 0})) != 0)
            return ::testing::AssertionFailure()
                   << "product " << prod.text << " is not " << digit << " x " << divisorDigits;
        const int lo = previous == dividend ? colOf(1) : std::min(FirstCol(*previous), rc);
        const exact::Dec partial = PlaceValue(*previous, lo, rc, rc);
        if (exact::compare(partial, product) < 0)
            return ::testing::AssertionFailure()
                   << "product " << prod.text << " above " << previous->text << " is too large";
        const exact::Dec diff = exact::sub(partial, product);
        const exact::Dec shown = PlaceValue(rest, std::min(FirstCol(rest), rc), rc, rc);
        if (exact::compare(diff, shown) != 0)
            return ::testing::AssertionFailure() << "remainder row " << rest.text << " is not "
                                                 << previous->text << " - " << prod.text;
        if (exact::compare(diff, divisor) >= 0)
            return ::testing::AssertionFailure() << "remainder " << rest.text << " too large";
        previous = &rest;
    }
    // The last remainder row is the remainder, in its places.
    if (!below.empty()) {
        const DigitRow& last = *below.back();
        const exact::Dec r = PlaceValue(last, FirstCol(last), LastCol(last), dividendOnes);
        if (exact::compare(r, exact::dec(KotaeSeiri(wz.AmariMoji))) != 0)
            return ::testing::AssertionFailure()
                   << "last row " << last.text << " is not the remainder " << wz.AmariMoji;
        for (int p : last.points)
            if (p != dividendOnes + 1)
                return ::testing::AssertionFailure() << "remainder point before column " << p;
    }

    // Nothing left of the board, nothing over the expression line but the
    // answer and the note, no two glyphs of a row in each other's cell.
    const int answerSize = Trunc(1.2 * b.MojiSize), noteSize = Trunc(0.6 * b.MojiSize);
    std::vector<const Op*> glyphs;
    for (const Op& op : f.ops()) {
        if (op.kind == Op::Text) {
            if (op.x1 < 0) return ::testing::AssertionFailure() << op.text << " left of the board";
            const bool answerLine = op.size == answerSize || op.size == noteSize;
            const int lineBottom =
                b.OriginY + b.harufa() + b.CharH + (kaigyo > 0 ? Trunc(1.2 * b.LineH) : 0);
            if (!answerLine && op.y1 < lineBottom)
                return ::testing::AssertionFailure() << op.text << " over the expression line";
            if (op.size == b.MojiSize && op.text != "●" && !op.stepOnly) glyphs.push_back(&op);
        } else if (op.kind == Op::Line && std::min(op.x1, op.x2) < 0) {
            return ::testing::AssertionFailure() << "a line left of the board";
        }
    }
    // Part names run into no glyph and no other name.
    struct Box {
        int x1, y1, x2, y2;
    };
    std::vector<Box> labels, boxes;
    for (const Op* g : glyphs) boxes.push_back({g->x1, g->y1, g->x1 + b.CellW, g->y1 + b.CharH});
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.size == Trunc(0.7 * b.MojiSize) &&
            (op.text.rfind("←", 0) == 0 || op.text.rfind("割る数", 0) == 0))
            labels.push_back({op.x1, op.y1, op.x2, op.y1 + f.metrics.textHeight(op.size)});
    for (size_t i = 0; i < labels.size(); ++i) {
        const Box& l = labels[i];
        for (size_t j = 0; j < labels.size() + boxes.size(); ++j) {
            if (j == i) continue;
            const Box& o = j < labels.size() ? labels[j] : boxes[j - labels.size()];
            if (l.x1 < o.x2 && o.x1 < l.x2 && l.y1 < o.y2 && o.y1 < l.y2)
                return ::testing::AssertionFailure() << "part name at " << l.x1 << "," << l.y1
                                                     << " overlaps " << o.x1 << "," << o.y1;
        }
    }
    for (const Op* g : glyphs)
        for (const Op* h : glyphs)
            if (g != h && g->y1 == h->y1 && g->x1 != h->x1 && std::abs(g->x1 - h->x1) < b.CellW)
                return ::testing::AssertionFailure()
                       << g->text << " and " << h->text << " overlap at y " << g->y1;

    // The answer is exact arithmetic.
    // The answer is exact arithmetic to the N places the heading names,
    // however long the quotient.
    const int n = f.jk.SHOU_ITI == 2 ? 10 : f.jk.POINTMAX;
    const ExactDivision e = DivideExactly(a, c, n);
    std::string expected;
    if (f.jk.SHOU_ITI == 1) {
        expected = Str(RoundLast(e.shou));
    } else {
        expected = Str(e.shou);
        if (e.amari.digits != "0") expected += "R" + Str(e.amari);
    }
    if (b.out.Kotae != expected)
        return ::testing::AssertionFailure() << "Kotae " << b.out.Kotae << ", exact " << expected;
    // Until exact, the heading calls the division exact when no remainder is left.
    if (f.jk.SHOU_ITI == 2) {
        std::string note;
        for (const Op& op : f.ops())
            if (op.kind == Op::Text && op.bold && op.underline) note = op.text;
        const bool saysExact = note.find("…割り切れました。") != std::string::npos;
        if (saysExact != (expected.find('R') == std::string::npos))
            return ::testing::AssertionFailure() << "heading " << note << " over " << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(WarizanProperty, EveryDrawingIsACorrectLongDivision) {
    std::mt19937 rng(20261208);
    int drawn = 0, overflows = 0;
    for (int iter = 0; iter < 3000; ++iter) {
        BoardFixture f;
        const bool decimals = rng() % 2 == 0;
        const std::string a = RandomOperand(rng, 17, decimals);
        std::string c = RandomOperand(rng, rng() % 3 == 0 ? 17 : 5, decimals);
        if (exact::dec(c).digits == "0") c = "7";
        f.jk.SHOU_ITI = static_cast<int>(rng() % 3);
        f.jk.POINTMAX = static_cast<int>(rng() % 11);
        if (f.jk.SHOU_ITI == 1 && f.jk.POINTMAX == 0) f.jk.POINTMAX = 1;
        f.jk.MatsubiZeroWari = static_cast<int>(rng() % 2);
        f.jk.SHOU0_DSP = static_cast<int>(rng() % 2);
        f.jk.SYOUPTLNDSP = static_cast<int>(rng() % 2);
        f.jk.QQ_FLAG = static_cast<int>(rng() % 2);
        f.jk.KAIGYO_FLAG = static_cast<int>(rng() % 2);
        f.jk.HARUFA = rng() % 2 ? 65 : 0;
        static const int sizes[] = {12, 20, 33, 40, 50};
        f.jk.FONTSIZE = sizes[rng() % 5];
        f.b.setMetrics(f.metrics, f.jk.FONTSIZE);
        const int rc = Waru(f, a, c);
        if (rc == -10) {
            ++overflows;
            ASSERT_EQ(f.b.out.messages.size(), 1u) << a << "/" << c;
            // Refused only when the dividend's digits, moved by the divisor's
            // decimals and given the quotient's places, pass 18 digits.
            const exact::Dec da = exact::dec(a);
            const int places = f.jk.SHOU_ITI == 2 ? 10 : f.jk.POINTMAX;
            const int shift = static_cast<int>(c.size() - std::min(c.find('.'), c.size() - 1) - 1);
            const int whole = static_cast<int>(da.digits.size()) - da.scale;
            ASSERT_GT(std::max(whole, 1) + std::max(da.scale, shift + places), 18)
                << a << "/" << c << " N " << places;
            continue;
        }
        ASSERT_EQ(rc, 1);
        ++drawn;
        ASSERT_TRUE(IsCorrectLongDivision(f, a, c))
            << a << "/" << c << " SHOU_ITI " << f.jk.SHOU_ITI << " N " << f.jk.POINTMAX
            << " cancel " << f.jk.MatsubiZeroWari;
    }
    EXPECT_GT(drawn, 2500);
    EXPECT_GT(overflows, 0);
}

}  // namespace
}  // namespace hissan::test
