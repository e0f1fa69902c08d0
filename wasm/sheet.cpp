#include "wasm/sheet.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <set>
#include <tuple>

#include "core/keisan.h"
#include "core/worksheet_pattern.h"
#include "wasm/json.h"

namespace web {

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

// One problem laid out on its own board.
struct Laid {
    std::string expression, answer;
    hissan::DisplayList full, problem;
    hissan::Grid grid;
    int lineTop = 0, lineBottom = 0;
};

// Types `expression` and "=" on a fresh board; the board's message when it
// does not take every character or stops before the answer.
std::string layOut(const std::string& expression, const hissan::TJouken& jk,
                   const hissan::Metrics& metrics, Laid& out) {
    // Each problem gets its own copy: a division worked until it comes out
    // even changes the conditions it runs with.
    hissan::TJouken own = jk;
    app::Keisan k(own, metrics);
    for (char ch : expression + "=") {
        const size_t before = k.ShikiNyuryoku().size();
        const app::EntryReport report = k.MojiInput(ch);
        std::string why;
        for (const hissan::Message& m : report.messages())
            why += (why.empty() ? "" : "\n") + m.text;
        if (!why.empty()) return why;
        if (ch != '=' && k.ShikiNyuryoku().size() != before + 1)
            return "「" + std::string(1, ch) + "」は入力されませんでした。";
    }
    if (k.KotaeZumi() != 1 || k.result().status != hissan::LayoutResult::Drawn)
        return "この式の筆算を書けませんでした。";
    out.expression = expression;
    out.answer = k.Kotae();
    size_t layoutStart = 0;
    const hissan::DisplayList board = k.printLayout(metrics, &out.grid, &layoutStart);
    for (const Op& op : board)
        if (!op.stepOnly) out.full.push_back(op);
    out.problem = problemOps(board, layoutStart, k.shiki().Enzanshi);
    bool first = true;
    for (const Op& op : out.full) {
        if (op.kind != Op::Text || op.part != Part::Expression) continue;
        out.lineTop = first ? op.y1 : std::min(out.lineTop, op.y1);
        out.lineBottom = first ? op.y2 : std::max(out.lineBottom, op.y2);
        first = false;
    }
    return {};
}

// Whether an op belongs to the expression line (the expression, its "=" and
// the answer after it, a note above it) rather than to the working, which
// starts a row or more below.
bool onExpressionLine(const Op& op, const Laid& c) {
    if (op.part == Part::Expression) return true;
    const int top = std::min(op.y1, op.y2);
    return !isPacing(op) && top < c.lineBottom + (c.lineBottom - c.lineTop) / 2;
}

// The squares behind the working: one row for each row of full-size digits,
// all rows over the same columns.
struct Squares {
    int left = 0, columns = 0, size = 0;
    std::vector<int> rowTops;
};

Squares squaresOf(const Laid& c) {
    Squares sq;
    sq.size = c.grid.CellW;
    int right = 0;
    bool any = false;
    std::vector<int> tops;
    for (const Op& op : c.full) {
        if (op.kind != Op::Text || op.size != c.grid.MojiSize || onExpressionLine(op, c)) continue;
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

std::string opsJson(const hissan::DisplayList& list) {
    std::string out = "[";
    char buf[16];
    for (size_t i = 0; i < list.size(); ++i) {
        const Op& op = list[i];
        if (i) out += ',';
        out += '[';
        const std::array<long, 15> numbers = {
            long(op.kind),      long(op.part),        long(op.stepOnly),  long(op.bold),
            long(op.underline), long(op.dotted),      long(op.x1),        long(op.y1),
            long(op.x2),        long(op.y2),          long(op.size),      long(op.width),
            long(op.units),     long(op.colour.role), long(op.colour.rgb)};
        for (long v : numbers) {
            const auto r = std::to_chars(buf, buf + sizeof buf, v);
            out.append(buf, r.ptr);
            out += ',';
        }
        out += quoted(op.text);
        out += ']';
    }
    return out + "]";
}

std::string intsJson(const std::vector<int>& v) {
    std::string out = "[";
    for (size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + std::to_string(v[i]);
    return out + "]";
}

std::string nameOf(worksheet::ChoiceId id, const worksheet::Choices& c) {
    using worksheet::ChoiceId;
    auto yesNo = [](worksheet::Choice v) {
        return std::string(v == worksheet::Choice::Yes ? "あり" : "なし");
    };
    switch (id) {
        case ChoiceId::Carry:
            return "繰り上がり・繰り下がり「" + yesNo(c.carry) + "」";
        case ChoiceId::Remainder:
            return "あまり「" + yesNo(c.remainder) + "」";
        case ChoiceId::QuotientDigits:
            return "商のけた数「" + std::to_string(c.quotientDigits) + "」";
        case ChoiceId::ZeroInQuotient:
            return "商の途中に0";
        case ChoiceId::NoTrivial:
            return "×0・×1・÷1を除く";
        case ChoiceId::Decimals:
            return "答えの小数のけた数「" + std::to_string(c.decimals) + "」";
        case ChoiceId::Unique:
            return "同じ問題を出さない";
    }
    return {};
}

// The refusal in the program's words, naming the choices no problem meets,
// as the desktop's worksheet window says it.
std::string refusalText(const worksheet::Refusal& r, const std::string& pattern,
                        const worksheet::Choices& c, int count) {
    std::string all;
    for (size_t i = 0; i < r.blame.size(); ++i) all += (i ? "と" : "") + nameOf(r.blame[i], c);
    switch (r.kind) {
        case worksheet::Refusal::None:
            return {};
        case worksheet::Refusal::NotForOperator:
            return all + "は、「" + pattern + "」の計算には選べません。";
        case worksheet::Refusal::NoProblem:
            if (r.blame.empty()) return "「" + pattern + "」では引く数の方が大きくなります。";
            return "「" + pattern + "」には、" + all + "に合う問題がありません。";
        case worksheet::Refusal::TooFewDifferent:
            return "「" + pattern + "」で選んだ条件に合う問題は" + std::to_string(r.found) +
                   "問しかありません（" + std::to_string(count) + "問を出すには足りません）。";
        case worksheet::Refusal::Board:
            return "「" + r.expression + "」は黒板で計算できません：" + r.boardWhy;
    }
    return {};
}

std::string error(const std::string& text) {
    return Json().field("error", text).str();
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
    for (size_t i = 0; i < n; ++i)
        if (keep[i]) out.push_back(ops[i]);
    return out;
}

std::string makeSheet(const hissan::TJouken& boardJk, const hissan::Metrics& metrics,
                      const SheetRequest& rq) {
    std::string why;
    const std::optional<worksheet::Pattern> pattern = worksheet::Pattern::parse(rq.pattern, why);
    if (!pattern) return error("「" + rq.pattern + "」は問題の形になりません：" + why);
    if (rq.count < 1 || rq.count > 200) return error("問題の数は 1 から 200 までです。");
    uint64_t seed = 0;
    const char* end = rq.seed.data() + rq.seed.size();
    const auto parsed = std::from_chars(rq.seed.data(), end, seed);
    if (rq.seed.empty() || parsed.ec != std::errc() || parsed.ptr != end)
        return error("シードは 0 から 18446744073709551615 までの整数です。");

    // The sheet is printed in the whiteboard's colours, outside step mode.
    hissan::TJouken jk = boardJk;
    jk.DSP_CL_TYPE = 1;
    jk.STEPFLAG = 0;
    jk.AUTOSTEP = 0;
    jk.StrokeDelay = 0;

    worksheet::Choices c;
    auto choice = [](int v) {
        return v == 1   ? worksheet::Choice::Yes
               : v == 2 ? worksheet::Choice::No
                        : worksheet::Choice::Any;
    };
    c.carry = choice(rq.carry);
    c.remainder = choice(rq.remainder);
    c.quotientDigits = std::max(0, rq.quotientDigits);
    c.zeroInQuotient = rq.zeroInQuotient;
    c.noTrivial = rq.noTrivial;
    c.decimals = rq.decimals;
    c.unique = rq.unique;
    // The decimal places the board works a quotient to.
    c.quotientPlaces = jk.SHOU_ITI == 2 ? 10 : jk.POINTMAX;

    // The board lays each problem out as it is drawn: one it refuses (a digit
    // limit, a divisor that overflows) is drawn again.
    std::map<std::string, Laid> laidOut;
    const worksheet::Drawn drawn = worksheet::drawProblems(
        *pattern, c, rq.count, seed, [&](const std::string& e) -> std::string {
            Laid laid;
            std::string no = layOut(e, jk, metrics, laid);
            if (no.empty()) laidOut.insert_or_assign(e, std::move(laid));
            return no;
        });
    if (drawn.refusal.kind != worksheet::Refusal::None)
        return error(refusalText(drawn.refusal, rq.pattern, c, rq.count));

    std::vector<const Laid*> sheet;
    std::vector<Squares> squares;
    size_t rows = 0;
    for (const std::string& e : drawn.expressions) {
        sheet.push_back(&laidOut.at(e));
        squares.push_back(squaresOf(*sheet.back()));
        rows = std::max(rows, squares.back().rowTops.size());
    }
    std::string list = "[";
    for (size_t i = 0; i < sheet.size(); ++i) {
        const Laid& l = *sheet[i];
        // Every working gets as many rows of squares as the longest, so that
        // the squares do not tell how long a problem's working is.
        Squares& sq = squares[i];
        if (sq.columns > 0) {
            const size_t n = sq.rowTops.size();
            const int pitch = n > 1 ? (sq.rowTops.back() - sq.rowTops.front()) / int(n - 1)
                                    : sq.size + sq.size / 5;
            while (sq.rowTops.size() < rows) sq.rowTops.push_back(sq.rowTops.back() + pitch);
        }
        std::string line[2], work[2];
        for (int answer = 0; answer < 2; ++answer) {
            hissan::DisplayList onLine, below;
            for (const Op& op : paperOps(answer ? l.full : l.problem, answer == 1))
                (onExpressionLine(op, l) ? onLine : below).push_back(op);
            line[answer] = opsJson(onLine);
            work[answer] = opsJson(below);
        }
        std::string answer = l.answer;
        const size_t r = answer.find('R');
        if (r != std::string::npos) answer.replace(r, 1, "あまり");
        list += (i ? "," : "") + Json()
                                     .field("expression", l.expression)
                                     .field("answer", answer)
                                     .raw("line", "[" + line[0] + "," + line[1] + "]")
                                     .raw("work", "[" + work[0] + "," + work[1] + "]")
                                     .raw("squares", Json()
                                                         .field("left", sq.left)
                                                         .field("columns", sq.columns)
                                                         .field("size", sq.size)
                                                         .raw("rows", intsJson(sq.rowTops))
                                                         .str())
                                     .field("em", l.lineBottom - l.lineTop)
                                     .str();
    }
    return Json().raw("problems", list + "]").str();
}

}  // namespace web
