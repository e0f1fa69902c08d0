// Shared by the addition and subtraction tests: finding ops on the board,
// exact decimal arithmetic to check answers against, random operands and the
// geometry every finished layout must keep.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hissan/layouts.h"
#include "hissan/primitives.h"
#include "tests/engine/exact_decimal.h"
#include "tests/engine/support.h"

namespace hissan::test {

// Runs the layout the evaluation picks for "+" or "-".
inline void RunAddSub(BoardFixture& f, char op) {
    const bool dec = f.b.w.MaxShosuKeta > 0;
    if (op == '-')
        dec ? f.lay(ShosuHikizanDsp) : f.lay(HikizanDsp);
    else
        dec                 ? f.lay(ShosuTashizanDsp)
        : f.jk.BubunWa == 1 ? f.lay(BubunwaTashizan)
                            : f.lay(TashizanDsp);
}

// The last text op at (x, y): what the board shows there after redraws.
inline const Op* TextAt(const BoardFixture& f, int x, int y) {
    const Op* found = nullptr;
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.x1 == x && op.y1 == y) found = &op;
    return found;
}

inline std::vector<const Op*> Find(const BoardFixture& f, Op::Kind kind, Colour colour) {
    std::vector<const Op*> out;
    for (const Op& op : f.ops())
        if (op.kind == kind && op.colour == colour) out.push_back(&op);
    return out;
}

// Exact decimal arithmetic on digit texts ("12.5", ".25"), answers in the
// tidy form KotaeSeiri gives. `sub` assumes a >= c.
inline std::string Exact(const std::string& a, const std::string& c, bool sub) {
    return exact::tidy(sub ? exact::sub(exact::dec(a), exact::dec(c))
                           : exact::add(exact::dec(a), exact::dec(c)));
}

// A random operand with up to 18 integer and (when `decimals`) 18 decimal
// digits, biased towards 0 and 9 so that long carry and borrow chains occur.
inline std::string RandomOperand(std::mt19937& rng, bool decimals) {
    auto digits = [&](int n) {
        std::string s;
        for (int k = 0; k < n; ++k) {
            const int r = static_cast<int>(rng() % 14);
            s += static_cast<char>('0' + (r < 2 ? 0 : r < 4 ? 9 : r - 4));
        }
        return s;
    };
    std::string s = digits(1 + static_cast<int>(rng() % 18));
    if (decimals && rng() % 3 != 0) s += "." + digits(1 + static_cast<int>(rng() % 18));
    return s;
}

// Geometry of a finished layout, for everything drawn before the answer goes
// onto the expression line: nothing left of the sign column, nothing on or
// above the expression line, full-size glyphs exactly on the column grid,
// points on the point line, and no label running into a glyph or a label.
inline ::testing::AssertionResult LayoutGeometryIsSound(const BoardFixture& f) {
    const hissan::Run& b = f.b;
    const auto& ops = f.ops();
    size_t end = ops.size();
    while (end > 0 && ops[end - 1].kind != Op::Step) --end;
    const int y0 = b.OriginY - b.ScrollY + b.harufa();
    const int answerRow = f.jk.KAIGYO_FLAG == 1 ? Trunc(y0 + 1.2 * b.LineH) : y0;
    const int exprBottom = answerRow + f.metrics.textHeight(Trunc(1.2 * b.MojiSize));
    struct Box {
        int x1, y1, x2, y2;
        bool label;
    };
    std::vector<Box> boxes;
    for (size_t k = 0; k < end; ++k) {
        const Op& op = ops[k];
        if (op.kind != Op::Text) continue;
        const std::string at = " at " + std::to_string(op.x1) + "," + std::to_string(op.y1);
        if (op.x1 < b.OriginX) return ::testing::AssertionFailure() << op.text << " left" << at;
        if (op.y1 < exprBottom)
            return ::testing::AssertionFailure() << op.text << " on the expression line" << at;
        if (op.text == "●") {
            if (op.x1 != b.TenX) return ::testing::AssertionFailure() << "point off" << at;
        } else if (op.size == b.MojiSize) {
            if ((op.x1 - b.OriginX) % b.CellW != 0)
                return ::testing::AssertionFailure() << op.text << " off the grid" << at;
            boxes.push_back({op.x1, op.y1, op.x1 + b.CellW, op.y1 + b.CharH, false});
        } else if (op.size == Trunc(0.7 * b.MojiSize)) {
            boxes.push_back({op.x1, op.y1, op.x2, op.y1 + f.metrics.textHeight(op.size), true});
        }
    }
    for (const Box& l : boxes)
        for (const Box& o : boxes)
            if (l.label && &l != &o && l.x1 < o.x2 && o.x1 < l.x2 && l.y1 < o.y2 && o.y1 < l.y2)
                return ::testing::AssertionFailure()
                       << "label at " << l.x1 << "," << l.y1 << " overlaps " << o.x1 << "," << o.y1;
    return ::testing::AssertionSuccess();
}

// The two rules of a multiplication: the first spans every full-size glyph
// above the second rule (operands, sign, partial products; all of them when
// there is no second rule), the second every glyph below the first (partial
// products and product). Neither starts more than one column left of the
// first glyph it spans. Collinear pieces (a rule and the line over the zeros
// set apart) count as one rule when they join.
inline ::testing::AssertionResult RulesSpanTheirRows(const BoardFixture& f) {
    const hissan::Run& b = f.b;
    // Below the expression line and its answer: from the first row on.
    int top = INT_MAX;
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.size == b.MojiSize) top = std::min(top, op.y1);
    std::map<int, std::vector<std::pair<int, int>>> pieces;
    for (const Op& op : f.ops())
        if (op.kind == Op::Line && !op.dotted && op.y1 == op.y2 && op.width >= 3 && op.y1 > top)
            pieces[op.y1].push_back({std::min(op.x1, op.x2), std::max(op.x1, op.x2)});
    struct Rule {
        int y, x1, x2;
    };
    std::vector<Rule> rules;
    for (auto& [y, segs] : pieces) {
        std::sort(segs.begin(), segs.end());
        Rule r{y, segs[0].first, segs[0].second};
        for (const auto& [x1, x2] : segs) {
            if (x1 > r.x2) return ::testing::AssertionFailure() << "rule at y " << y << " broken";
            r.x2 = std::max(r.x2, x2);
        }
        rules.push_back(r);
    }
    if (rules.empty() || rules.size() > 2)
        return ::testing::AssertionFailure() << rules.size() << " rules";
    auto spans = [&](const Rule& r, int fromY, int toY, const char* name) {
        int left = INT_MAX;
        for (const Op& op : f.ops()) {
            if (op.kind != Op::Text || op.size != b.MojiSize) continue;
            if (op.y1 < fromY || op.y1 > toY) continue;
            left = std::min(left, op.x1);
            if (op.x1 < r.x1 || op.x1 + b.CellW > r.x2)
                return ::testing::AssertionFailure()
                       << op.text << " at " << op.x1 << "," << op.y1 << " outside the " << name
                       << " from " << r.x1 << " to " << r.x2;
        }
        if (left != INT_MAX && r.x1 < left - b.CellW)
            return ::testing::AssertionFailure()
                   << "the " << name << " starts at " << r.x1 << ", its first glyph at " << left;
        return ::testing::AssertionSuccess();
    };
    const bool two = rules.size() == 2;
    auto first = spans(rules[0], INT_MIN, two ? rules[1].y : INT_MAX, "first rule");
    if (!first || !two) return first;
    return spans(rules[1], rules[0].y, INT_MAX, "second rule");
}

// Random conditions and board metrics: carries/borrows, part names, "=" on
// its own line, partial sums, font size, printer page, settings panel.
inline void RandomConditions(std::mt19937& rng, BoardFixture& f) {
    f.jk.KURIAGARI = f.jk.KURISAGARI = static_cast<int>(rng() % 2);
    f.jk.QQ_FLAG = static_cast<int>(rng() % 2);
    f.jk.KAIGYO_FLAG = static_cast<int>(rng() % 2);
    f.jk.BubunWa = static_cast<int>(rng() % 2);
    f.jk.HARUFA = rng() % 2 ? 65 : 0;
    static const int sizes[] = {10, 17, 24, 40, 50};
    f.jk.FONTSIZE = sizes[rng() % 5];
    f.b.setMetrics(f.metrics, f.jk.FONTSIZE, rng() % 2 == 0);
}

}  // namespace hissan::test
