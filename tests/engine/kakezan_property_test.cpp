// Many generated multiplications up to the entry limits, under every condition
// that changes the layout: the answer must be the exact product, the drawing
// must stay on the board with no glyph written into another, and both rules
// must span the rows between and under them.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <set>
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
    const hissan::Run& b = f.b;
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

// Full-size digits as the board shows them: row (y) -> column -> digit.
using DigitGrid = std::map<int, std::map<int, char>>;

DigitGrid Digits(const BoardFixture& f) {
    const hissan::Run& b = f.b;
    DigitGrid g;
    for (const Op& op : f.ops()) {
        if (op.kind != Op::Text || op.stepOnly || op.size != b.MojiSize) continue;
        for (char d = '0'; d <= '9'; ++d)
            if (op.text == ZenkakuMoji(d))
                g[op.y1][(op.x1 - b.OriginX + b.CellW * 100) / b.CellW - 100] = d;
    }
    return g;
}

// The digits of one row in columns lo..hi as a whole number, a blank column
// reading 0.
std::string RowNumber(const std::map<int, char>& row, int lo, int hi) {
    std::string s;
    for (int c = lo; c <= hi; ++c) {
        const auto it = row.find(c);
        s += it == row.end() ? '0' : it->second;
    }
    return exact::stripLeading(s);
}

std::string WithoutTrailingZeros(std::string s) {
    s.erase(std::max<size_t>(1, s.find_last_not_of('0') + 1));
    return s;
}

// Read back as a pupil reads the written multiplication: the k-th partial
// product row (top to bottom) belongs to the k-th non-zero multiplier digit
// (right to left); it ends in that digit's column, only the "0"s written for
// zero multiplier digits standing further right; its digits are that digit
// times the multiplicand; and the product under the second rule is the
// column sum of the partial products. With one non-zero multiplier digit the
// product is written over the only partial product and that row counts.
::testing::AssertionResult PartialsStandUnderTheirDigits(const BoardFixture& f) {
    const hissan::Run& b = f.b;
    const DigitGrid grid = Digits(f);
    if (grid.size() < 3) return ::testing::AssertionFailure() << grid.size() << " rows";
    auto row = grid.begin();
    const std::map<int, char>& kakerare = row->second;
    ++row;
    const std::map<int, char>& kakeru = row->second;
    const int y2 = row->first;
    std::string multiplicand;
    for (const auto& [c, d] : kakerare) multiplicand += d;

    // The rules under the operands, by height.
    std::set<int> rules;
    for (const Op& op : f.ops())
        if (op.kind == Op::Line && !op.dotted && op.y1 == op.y2 && op.width >= 3 && op.y1 > y2)
            rules.insert(op.y1);
    if (rules.empty() || rules.size() > 2)
        return ::testing::AssertionFailure() << rules.size() << " rules";
    int productY = -1;
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && !op.stepOnly && op.size == b.MojiSize) productY = op.y1;
    std::vector<int> partialYs;
    if (rules.size() == 1) {
        partialYs.push_back(productY);
    } else {
        for (const auto& [y, cells] : grid)
            if (y > *rules.begin() && y < *rules.rbegin()) partialYs.push_back(y);
    }

    std::vector<std::pair<int, int>> digits;  // column and value, right to left
    for (auto it = kakeru.rbegin(); it != kakeru.rend(); ++it)
        if (it->second != '0') digits.push_back({it->first, it->second - '0'});
    if (digits.size() != partialYs.size())
        return ::testing::AssertionFailure() << partialYs.size() << " partial product rows for "
                                             << digits.size() << " non-zero multiplier digits";

    int right = INT_MIN;
    for (const auto& [y, cells] : grid) right = std::max(right, cells.rbegin()->first);
    exact::Dec sum;
    for (size_t k = 0; k < digits.size(); ++k) {
        const auto [col, d] = digits[k];
        const std::map<int, char>& cells = grid.at(partialYs[k]);
        if (!cells.count(col))
            return ::testing::AssertionFailure()
                   << "partial product " << k + 1 << " has no digit under its multiplier digit "
                   << d << " (column " << col << "); its row ends in column "
                   << cells.rbegin()->first;
        for (const auto& [c, ch] : cells)
            if (c > col && kakeru.count(c) && kakeru.at(c) != '0')
                return ::testing::AssertionFailure()
                       << "partial product " << k + 1 << " reaches under multiplier digit "
                       << kakeru.at(c) << " (column " << c << ")";
        std::map<int, char> own;
        for (const auto& [c, ch] : cells)
            if (c <= col) own[c] = ch;
        const std::string shown = RowNumber(own, own.begin()->first, col);
        const std::string times =
            exact::tidy(exact::mul(exact::dec(multiplicand), exact::dec(std::to_string(d))));
        if (WithoutTrailingZeros(shown) != WithoutTrailingZeros(times))
            return ::testing::AssertionFailure() << "partial product " << k + 1 << " reads "
                                                 << shown << ", not " << d << " x " << multiplicand;
        sum = exact::add(sum, exact::dec(RowNumber(own, own.begin()->first, right)));
    }
    if (digits.size() > 1) {
        const std::map<int, char>& product = grid.at(productY);
        const std::string shown = RowNumber(product, product.begin()->first, right);
        if (shown != exact::tidy(sum))
            return ::testing::AssertionFailure()
                   << "the product " << shown << " is not the column sum " << exact::tidy(sum);
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
        dec ? f.lay(ShosuKakezanDsp) : f.lay(KakezanDsp);

        const std::string where = a + " * " + c + " kuriagari " + std::to_string(f.jk.KURIAGARI) +
                                  " matsubi " + std::to_string(f.jk.MatsubiZeroKake) + " size " +
                                  std::to_string(f.jk.FONTSIZE);
        ASSERT_TRUE(f.b.out.messages.empty()) << where;
        ASSERT_EQ(f.b.out.Kotae, ExactProduct(a, c)) << where;
        const Op* answer = nullptr;
        for (const Op& op : f.ops())
            if (op.kind == Op::Text && op.size == Trunc(1.2 * f.b.MojiSize)) answer = &op;
        ASSERT_NE(answer, nullptr) << where;
        ASSERT_EQ(answer->text, f.b.out.Kotae) << where;
        ASSERT_EQ(ProductRow(f), f.b.out.Kotae) << where;
        ASSERT_TRUE(StaysOnTheBoard(f)) << where;
        if (AllZeros(f.b.out.Kotae)) continue;
        ASSERT_TRUE(RulesSpanTheirRows(f)) << where;
        ASSERT_TRUE(PartialsStandUnderTheirDigits(f)) << where;
    }
}

TEST(KakezanProperty, PartialProductsStandUnderTheirMultiplierDigits) {
    // Trailing zeros of either operand, with decimals on the other side, on
    // the same side or on neither, every multiplier shape, with and without
    // the zeros set apart.
    const char* const cases[][2] = {
        {"80", "2.6"},   {"20", "1.5"},    {"120", "0.35"},  {"40", "0.75"},   {"3000", "1.25"},
        {"2.6", "80"},   {"1.5", "20"},    {"0.35", "120"},  {"1.25", "3000"}, {"23", "45"},
        {"80", "2.06"},  {"300", "0.025"}, {"1000", "1.5"},  {"2300", "450"},  {"80", "26"},
        {"4.50", "80"},  {"80", "2.0"},    {"0.0025", "40"}, {"2.5", "4000"},  {"120", "30"},
        {"80", "0.6"},   {"700", "1.01"},  {"1.01", "700"},  {"90", "9.9"},    {"500", "20.5"},
        {"20.5", "500"}, {"6000", "0.008"}};
    for (const auto& [a, c] : cases)
        for (int matsubi : {0, 1})
            for (int kuriagari : {0, 1}) {
                BoardFixture f;
                f.jk.MatsubiZeroKake = matsubi;
                f.jk.KURIAGARI = kuriagari;
                f.load(a, '*', c);
                f.b.w.MaxShosuKeta > 0 ? f.lay(ShosuKakezanDsp) : f.lay(KakezanDsp);
                const std::string where = std::string(a) + " * " + c + " matsubi " +
                                          std::to_string(matsubi) + " kuriagari " +
                                          std::to_string(kuriagari);
                EXPECT_EQ(f.b.out.Kotae, ExactProduct(a, c)) << where;
                EXPECT_EQ(ProductRow(f), f.b.out.Kotae) << where;
                EXPECT_TRUE(PartialsStandUnderTheirDigits(f)) << where;
                EXPECT_TRUE(RulesSpanTheirRows(f)) << where;
                EXPECT_TRUE(StaysOnTheBoard(f)) << where;
            }
}

}  // namespace
}  // namespace hissan::test
