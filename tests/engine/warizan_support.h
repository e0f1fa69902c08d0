// Shared by the division tests: running the layout the evaluation picks, and
// reading the board back as a long division (rows of glyphs by column, with
// the place value of every column).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "hissan/layouts.h"
#include "hissan/primitives.h"
#include "tests/engine/addsub_support.h"
#include "tests/engine/exact_decimal.h"

namespace hissan::test {

// Loads "a / c" and runs the division layout the evaluation picks for it.
inline int Waru(BoardFixture& f, const std::string& a, const std::string& c) {
    f.load(a, '/', c);
    if (f.jk.SHOU_ITI == 2) f.jk.POINTMAX = 10;
    return f.b.w.MaxShosuKeta > 0 ? f.lay(ShosuWarizanDsp) : f.lay(WarizanDsp);
}

// One row of full-size glyphs: digit by board column (0 = OriginX), and the
// columns before which a point stands.
struct DigitRow {
    int y = 0;
    std::map<int, char> cells;
    std::vector<int> points;  // a point before column c
    std::string text;
};

inline std::vector<DigitRow> DigitRows(const BoardFixture& f) {
    std::vector<DigitRow> out;
    const hissan::Run& b = f.b;
    // Columns as the row reader numbers them: from the leftmost text drawn.
    int minCol = 0;
    bool any = false;
    for (const Op& op : f.ops()) {
        if (op.kind != Op::Text || op.text.empty() || op.stepOnly) continue;
        const int cell = b.CellW;
        const int c = op.text == "●" ? (op.x1 - b.OriginX + cell / 2) / cell
                                     : (op.x1 - b.OriginX + cell / 4 + 100 * cell) / cell - 100;
        if (!any || c < minCol) minCol = c;
        any = true;
    }
    for (const BoardRow& r : boardRows(f.ops(), b)) {
        if (r.size != b.MojiSize) continue;
        DigitRow d;
        d.y = r.y;
        d.text = r.text;
        int col = minCol;
        for (char ch : r.text) {
            if (ch == '.') {
                d.points.push_back(col);
                continue;
            }
            if (ch >= '0' && ch <= '9') d.cells[col] = ch;
            ++col;
        }
        out.push_back(std::move(d));
    }
    return out;
}

// The value of the digits of a row in columns [lo, hi], the digit in column
// `ones` counting ones.
inline exact::Dec PlaceValue(const DigitRow& r, int lo, int hi, int ones) {
    std::string digits;
    for (int c = lo; c <= hi; ++c) {
        const auto it = r.cells.find(c);
        digits += it == r.cells.end() ? '0' : it->second;
    }
    if (digits.empty()) return exact::Dec{};
    exact::Dec d;
    d.digits = exact::stripLeading(digits);
    if (hi >= ones) {
        d.scale = hi - ones;
    } else if (d.digits != "0") {
        d.digits.append(static_cast<size_t>(ones - hi), '0');
    }
    return d;
}

inline int FirstCol(const DigitRow& r) {
    return r.cells.empty() ? 1 << 20 : r.cells.begin()->first;
}
inline int LastCol(const DigitRow& r) {
    return r.cells.empty() ? -(1 << 20) : r.cells.rbegin()->first;
}

// Exact long division on digit texts, independent of the engine: the
// quotient of a / c cut after n decimals, and its remainder.
struct ExactDivision {
    exact::Dec shou, amari;
};

inline ExactDivision DivideExactly(const std::string& a, const std::string& c, int n) {
    const exact::Dec da = exact::dec(a), dc = exact::dec(c);
    const int s = std::max(da.scale, dc.scale);
    const std::string A = exact::withScale(da, s).digits + std::string(static_cast<size_t>(n), '0');
    const exact::Dec B{exact::withScale(dc, s).digits, 0};
    std::string q;
    exact::Dec rem;
    for (char ch : A) {
        rem = exact::add(exact::shifted(rem, 1), exact::Dec{std::string(1, ch), 0});
        int digit = 0;
        while (exact::compare(rem, B) >= 0) {
            rem = exact::sub(rem, B);
            ++digit;
        }
        q += static_cast<char>('0' + digit);
    }
    ExactDivision r;
    r.shou = exact::Dec{exact::stripLeading(q), n};
    r.amari = rem;
    r.amari.scale = s + n;
    if (r.amari.digits == "0") r.amari.scale = 0;
    return r;
}

// Half up at the last of the quotient's decimals: one decimal fewer.
inline exact::Dec RoundLast(const exact::Dec& q) {
    if (q.scale == 0) return q;
    const std::string t = exact::withScale(q, q.scale).digits;
    const char last = t.back();
    exact::Dec cut{exact::stripLeading(t.substr(0, t.size() - 1)), q.scale - 1};
    if (cut.digits.empty()) cut.digits = "0";
    if (last >= '5') cut = exact::add(cut, exact::Dec{"1", q.scale - 1});
    return cut;
}

}  // namespace hissan::test
