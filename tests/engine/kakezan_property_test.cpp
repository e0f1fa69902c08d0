// Many generated multiplications up to the entry limits, under every condition
// that changes the layout: the answer must be the exact product, the drawing
// must stay on the board with no glyph written into another, and both rules
// must span the rows between and under them.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/engine/addsub_support.h"

namespace hissan::test {
namespace {

// A number from its integer and decimal digits, written the way an answer is.
std::string Tidy(std::string whole, std::string frac) {
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.empty()) whole = "0";
    frac.erase(frac.find_last_not_of('0') + 1);
    return frac.empty() ? whole : whole + "." + frac;
}

// Exact product of two decimal texts ("12.5", "0.07", "400"), tidy: no
// leading zeros before the ones, no trailing zeros after the point.
std::string ExactProduct(const std::string& a, const std::string& c) {
    return exact::tidy(exact::mul(exact::dec(a), exact::dec(c)));
}

// The product row as the board shows it: the row of the last full-size glyph
// the layout drew (its part name left out), read as a number.
std::string ProductRow(const BoardFixture& f) {
    int y = -1;
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.size == f.b.MojiSize) y = op.y1;
    std::string text;
    for (const BoardRow& r : boardRows(f.ops(), f.b))
        if (r.y == y) text = r.text.substr(0, r.text.find("←"));
    std::string whole, frac;
    bool point = false;
    for (char ch : text) {
        if (ch == '.' && !point)
            point = true;
        else if (ch >= '0' && ch <= '9')
            (point ? frac : whole) += ch;
        else if (ch != ' ')
            return "unexpected '" + text + "'";
    }
    if (point && whole.empty()) return "no ones digit in '" + text + "'";
    return Tidy(whole, frac);
}

// An operand of n integer and f decimal digits as a pupil could type it: zeros
// and nines are frequent, sometimes whole runs of trailing zeros, sometimes a
// typed leading zero, a zero operand or a small decimal.
std::string Operand(std::mt19937& rng, int n, int f) {
    auto digit = [&] {
        const int r = static_cast<int>(rng() % 16);
        return static_cast<char>('0' + (r < 4 ? 0 : r < 7 ? 9 : r - 6));
    };
    std::string s;
    for (int k = 0; k < n; ++k)
        s += k == 0 && n > 1 && rng() % 8 != 0 ? char('1' + rng() % 9) : digit();
    const int shape = static_cast<int>(rng() % 6);
    if (shape == 0 && n > 1) {
        for (int k = 1 + static_cast<int>(rng() % (n - 1)); k < n; ++k) s[k] = '0';
    } else if (shape == 1 && rng() % 3 == 0) {
        s.assign(n, '0');
    }
    if (f > 0) {
        s += '.';
        for (int k = 0; k < f; ++k) s += digit();
        if (shape == 2) s.back() = '0';
        if (shape == 3) {
            // A small number: 0.000xx, all but the last few digits zero.
            s.replace(0, n, n, '0');
            const int last = n + 1 + std::max(0, f - 1 - static_cast<int>(rng() % 3));
            for (int k = n + 1; k < last; ++k) s[k] = '0';
        }
    }
    return s;
}

// Text ops drawn by the layout itself (the answer after "=" excluded).
std::vector<const Op*> LayoutTexts(const BoardFixture& f) {
    std::vector<const Op*> out;
    const int answerSize = Trunc(1.2 * f.b.MojiSize);
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && !op.stepOnly && op.size != answerSize) out.push_back(&op);
    return out;
}

::testing::AssertionResult StaysOnTheBoard(const BoardFixture& f) {
    const Board& b = f.b;
    // The sign may stand one column left of OriginX, nothing further left.
    const int left = b.OriginX - b.CellW;
    for (const Op& op : f.ops()) {
        if (op.kind == Op::Text && op.x1 < left)
            return ::testing::AssertionFailure() << op.text << " at x " << op.x1;
        if (op.kind == Op::Line && std::min(op.x1, op.x2) < left)
            return ::testing::AssertionFailure() << "line at x " << std::min(op.x1, op.x2);
    }
    // Same row and size: two different glyphs never share pixels (writing the
    // same glyph again in the same place is no overlap).
    std::map<std::pair<int, int>, std::vector<const Op*>> rows;
    for (const Op* op : LayoutTexts(f)) rows[{op->y1, op->size}].push_back(op);
    for (const auto& [key, ops] : rows)
        for (size_t i = 0; i < ops.size(); ++i)
            for (size_t j = i + 1; j < ops.size(); ++j) {
                const Op &p = *ops[i], &q = *ops[j];
                if (p.x1 == q.x1 && p.text == q.text) continue;
                if (p.x1 < q.x2 && q.x1 < p.x2)
                    return ::testing::AssertionFailure()
                           << p.text << " at " << p.x1 << " and " << q.text << " at " << q.x1
                           << " overlap on y " << key.first;
            }
    // Full-size glyphs on different rows never share pixels either: a digit
    // written over another (the sum over a single partial product) takes its
    // place exactly, or the edges of the one below show around it.
    const std::vector<const Op*> texts = LayoutTexts(f);
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const Op &p = *texts[i], &q = *texts[j];
            if (p.size != b.MojiSize || q.size != b.MojiSize || p.y1 == q.y1) continue;
            if (p.x1 < q.x1 + q.size && q.x1 < p.x1 + p.size && p.y1 < q.y1 + q.size &&
                q.y1 < p.y1 + p.size)
                return ::testing::AssertionFailure()
                       << p.text << " at " << p.x1 << "," << p.y1 << " and " << q.text << " at "
                       << q.x1 << "," << q.y1 << " overlap";
        }
    // The part names run into no full-size glyph.
    const int labelSize = Trunc(0.7 * b.MojiSize);
    for (const Op* l : LayoutTexts(f)) {
        if (l->size != labelSize) continue;
        const int lb = l->y1 + f.metrics.textHeight(l->size);
        for (const Op* g : LayoutTexts(f))
            if (g->size == b.MojiSize && l->x1 < g->x2 && g->x1 < l->x2 &&
                l->y1 < g->y1 + b.CharH && g->y1 < lb)
                return ::testing::AssertionFailure()
                       << l->text << " at " << l->x1 << "," << l->y1 << " runs into " << g->text
                       << " at " << g->x1 << "," << g->y1;
    }
    return ::testing::AssertionSuccess();
}

TEST(KakezanProperty, ExactProductsThatStayOnTheBoard) {
    std::mt19937 rng(20240611);
    for (int run = 0; run < 4000; ++run) {
        // Entry limits: 18 digits per operand, 29 for both.
        const bool decimals = run % 3 != 0;
        auto shape = [&](int room) {
            const int n = 1 + static_cast<int>(rng() % std::min(18, room));
            const int f = decimals && rng() % 3 != 0
                              ? static_cast<int>(rng() % (std::min(18, room) - n + 1))
                              : 0;
            return std::pair(n, f);
        };
        const auto [n1, f1] = shape(28);
        const auto [n2, f2] = shape(29 - n1 - f1);
        const std::string a = Operand(rng, n1, f1);
        const std::string c = Operand(rng, n2, f2);

        BoardFixture f;
        RandomConditions(rng, f);
        f.jk.MatsubiZeroKake = static_cast<int>(rng() % 2);
        f.jk.SYOUPTLNDSP = static_cast<int>(rng() % 2);
        f.load(a, '*', c);
        const bool dec = f.b.w.MaxShosuKeta > 0;
        dec ? ShosuKakezanDsp(f.b) : KakezanDsp(f.b);

        const std::string where = a + " * " + c + " kuriagari " + std::to_string(f.jk.KURIAGARI) +
                                  " matsubi " + std::to_string(f.jk.MatsubiZeroKake) + " size " +
                                  std::to_string(f.jk.FONTSIZE);
        ASSERT_TRUE(f.b.messages.empty()) << where;
        ASSERT_EQ(f.b.Kotae, ExactProduct(a, c)) << where;
        const Op* answer = nullptr;
        for (const Op& op : f.ops())
            if (op.kind == Op::Text && op.size == Trunc(1.2 * f.b.MojiSize)) answer = &op;
        ASSERT_NE(answer, nullptr) << where;
        ASSERT_EQ(answer->text, f.b.Kotae) << where;
        ASSERT_EQ(ProductRow(f), f.b.Kotae) << where;
        ASSERT_TRUE(StaysOnTheBoard(f)) << where;
        if (!AllZeros(f.b.Kotae)) ASSERT_TRUE(RulesSpanTheirRows(f)) << where;
    }
}

}  // namespace
}  // namespace hissan::test
