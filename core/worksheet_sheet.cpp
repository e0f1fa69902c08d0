#include "core/worksheet_sheet.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace worksheet {

namespace {

using hissan::Op;
using hissan::Part;

bool isPacing(const Op& op) {
    return op.kind == Op::Pause || op.kind == Op::Step;
}

bool isFirstRule(const Op& op) {
    return op.kind == Op::Line && op.part == Part::OperatorRule;
}

// The parts that state the problem: the operands, the operator and its rule,
// a division's frame, the part names beside them and what it asks for.
bool isProblemPart(Part part) {
    return part == Part::Operand || part == Part::OperatorRule || part == Part::DivisionFrame ||
           part == Part::Label || part == Part::Note;
}

bool isDigitGlyph(const std::string& t) {
    if (t.size() == 1) return t[0] >= '0' && t[0] <= '9';
    // ０ .. ９
    return t.size() == 3 && t.compare(0, 2, "\xEF\xBC") == 0 && uint8_t(t[2]) >= 0x90 &&
           uint8_t(t[2]) <= 0x99;
}

bool isZeroGlyph(const std::string& t) {
    return t == "0" || t == "０";
}

}  // namespace

hissan::DisplayList problemOps(const hissan::DisplayList& board, size_t layoutStart, char op) {
    const size_t n = board.size();
    layoutStart = std::min(layoutStart, n);
    // The layout states its problem before the pupil's work begins: up to its
    // first rule with the pieces that continue it on its line, a division up
    // to its first step.
    size_t end = layoutStart;
    if (op == '/') {
        while (end < n && board[end].kind != Op::Step) ++end;
    } else {
        size_t rule = layoutStart;
        while (rule < n && !isFirstRule(board[rule])) ++rule;
        if (rule < n) {
            end = rule + 1;
            for (size_t j = rule + 1; j < n; ++j) {
                if (board[j].kind == Op::Pause) continue;
                if (!isFirstRule(board[j]) || board[j].y1 != board[rule].y1) break;
                end = j + 1;
            }
        }
    }
    hissan::DisplayList out;
    for (size_t i = 0; i < n; ++i) {
        const Op& o = board[i];
        if (o.stepOnly || isPacing(o)) continue;
        // Before the layout: the expression line. After the problem's end
        // only a note (how far a quotient is worked) still belongs to it.
        const bool kept = i < layoutStart ? true
                          : i < end       ? isProblemPart(o.part)
                                          : o.part == Part::Note;
        if (kept) out.push_back(o);
    }
    return out;
}

hissan::DisplayList paperOps(const hissan::DisplayList& ops, bool answers) {
    const size_t n = ops.size();
    std::vector<bool> keep(n, true);
    // The texts by their corner, top to bottom and left to right, so that a
    // background square looks only at the texts in its rows.
    std::vector<size_t> texts;
    for (size_t i = 0; i < n; ++i)
        if (ops[i].kind == Op::Text) texts.push_back(i);
    std::sort(texts.begin(), texts.end(), [&](size_t a, size_t b) {
        return std::tie(ops[a].y1, ops[a].x1, a) < std::tie(ops[b].y1, ops[b].x1, b);
    });
    for (size_t i = 0; i < n; ++i) {
        const Op& r = ops[i];
        if (r.kind != Op::Rect || r.colour != hissan::Colour::of(hissan::Role::Background))
            continue;
        keep[i] = false;
        auto it = std::lower_bound(texts.begin(), texts.end(), r.y1,
                                   [&](size_t t, int y) { return ops[t].y1 < y; });
        for (; it != texts.end() && ops[*it].y1 < r.y2; ++it) {
            const Op& t = ops[*it];
            if (*it < i && t.x1 >= r.x1 && t.x1 < r.x2) keep[*it] = false;
        }
    }
    // A text drawn again where it already stands (a point written twice)
    // is printed once.
    std::set<std::tuple<int, int, int, uint32_t, std::string>> written;
    for (size_t i = 0; i < n; ++i) {
        const Op& t = ops[i];
        if (!keep[i] || t.kind != Op::Text) continue;
        const uint32_t colour = (uint32_t(t.colour.role) << 24) ^ t.colour.rgb;
        keep[i] = written.insert({t.x1, t.y1, t.size * 2 + t.bold, colour, t.text}).second;
    }
    if (answers) {
        // Each answer row from the left: a 0 with a digit after it is a
        // leading zero; the ones digit (a 0 before the point) stays.
        std::map<int, std::map<int, std::vector<size_t>>> rows;  // y, x: ops
        for (size_t i = 0; i < n; ++i)
            if (keep[i] && ops[i].kind == Op::Text && ops[i].part == Part::Answer)
                rows[ops[i].y1][ops[i].x1].push_back(i);
        // A point is drawn small and lower down; it joins the row it stands in.
        for (size_t i = 0; i < n; ++i) {
            const Op& pt = ops[i];
            if (!keep[i] || pt.kind != Op::Text || pt.part != Part::Answer || pt.text != "●")
                continue;
            for (auto& [y, cells] : rows) {
                const Op& first = ops[cells.begin()->second.front()];
                if (pt.y1 > y && pt.y1 < first.y2 && !cells.count(pt.x1)) cells[pt.x1].push_back(i);
            }
        }
        for (const auto& [y, cells] : rows) {
            for (auto it = cells.begin(); it != cells.end(); ++it) {
                const auto next = std::next(it);
                const std::string& text = ops[it->second.back()].text;
                if (next == cells.end() || !isZeroGlyph(text) ||
                    !isDigitGlyph(ops[next->second.back()].text))
                    break;
                for (size_t i : it->second) keep[i] = false;
            }
        }
    }
    hissan::DisplayList out;
    out.reserve(size_t(std::count(keep.begin(), keep.end(), true)));
    for (size_t i = 0; i < n; ++i)
        if (keep[i]) out.push_back(ops[i]);
    return out;
}

bool onExpressionLine(const Op& op, int lineTop, int lineBottom) {
    if (op.part == Part::Expression) return true;
    // The answer after "=" with its underline just below the line, and a
    // note above it saying how far a quotient is worked; the working starts
    // a row or more below.
    const int top = std::min(op.y1, op.y2);
    return !isPacing(op) && top < lineBottom + (lineBottom - lineTop) / 2;
}

Squares squaresOf(const hissan::DisplayList& full, const hissan::Grid& grid, int lineTop,
                  int lineBottom) {
    Squares sq;
    sq.size = grid.CellW;
    int right = 0;
    bool any = false;
    std::vector<int> tops;
    for (const Op& op : full) {
        if (op.kind != Op::Text || op.size != grid.MojiSize ||
            onExpressionLine(op, lineTop, lineBottom))
            continue;
        if (op.part != Part::Operand && op.part != Part::OperatorRule && op.part != Part::Answer &&
            op.part != Part::Working)
            continue;
        if (!isDigitGlyph(op.text) && op.part != Part::OperatorRule) continue;
        sq.left = any ? std::min(sq.left, op.x1) : op.x1;
        right = any ? std::max(right, op.x1) : op.x1;
        any = true;
        tops.push_back(op.y1);
    }
    if (!any || sq.size <= 0) return {};
    sq.columns = (right - sq.left + sq.size / 2) / sq.size + 1;
    std::sort(tops.begin(), tops.end());
    for (int t : tops)
        if (sq.rowTops.empty() || t - sq.rowTops.back() >= sq.size / 2) sq.rowTops.push_back(t);
    return sq;
}

void padRows(Squares& sq, size_t rows) {
    if (sq.columns <= 0) return;
    const size_t n = sq.rowTops.size();
    const int pitch =
        n > 1 ? (sq.rowTops.back() - sq.rowTops.front()) / int(n - 1) : sq.size + sq.size / 5;
    while (sq.rowTops.size() < rows) sq.rowTops.push_back(sq.rowTops.back() + pitch);
}

}  // namespace worksheet
