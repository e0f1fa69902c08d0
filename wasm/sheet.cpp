#include "wasm/sheet.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>

#include "core/keisan.h"
#include "core/worksheet_pattern.h"
#include "core/worksheet_sheet.h"
#include "wasm/json.h"

namespace web {

namespace {

using hissan::Op;
using hissan::Part;

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
    out.problem = worksheet::problemOps(board, layoutStart, k.shiki().Enzanshi);
    bool first = true;
    for (const Op& op : out.full) {
        if (op.kind != Op::Text || op.part != Part::Expression) continue;
        out.lineTop = first ? op.y1 : std::min(out.lineTop, op.y1);
        out.lineBottom = first ? op.y2 : std::max(out.lineBottom, op.y2);
        first = false;
    }
    return {};
}

bool onExpressionLine(const Op& op, const Laid& c) {
    return worksheet::onExpressionLine(op, c.lineTop, c.lineBottom);
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

std::string error(const std::string& text) {
    return Json().field("error", text).str();
}

}  // namespace

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
        return error(worksheet::refusalText(drawn.refusal, rq.pattern, c, rq.count));

    std::vector<const Laid*> sheet;
    std::vector<worksheet::Squares> squares;
    size_t rows = 0;
    for (const std::string& e : drawn.expressions) {
        sheet.push_back(&laidOut.at(e));
        squares.push_back(worksheet::squaresOf(sheet.back()->full, sheet.back()->grid,
                                               sheet.back()->lineTop, sheet.back()->lineBottom));
        rows = std::max(rows, squares.back().rowTops.size());
    }
    std::string list = "[";
    for (size_t i = 0; i < sheet.size(); ++i) {
        const Laid& l = *sheet[i];
        // Every working gets as many rows of squares as the longest, so that
        // the squares do not tell how long a problem's working is.
        worksheet::Squares& sq = squares[i];
        worksheet::padRows(sq, rows);
        std::string line[2], work[2];
        for (int answer = 0; answer < 2; ++answer) {
            hissan::DisplayList onLine, below;
            for (const Op& op : worksheet::paperOps(answer ? l.full : l.problem, answer == 1))
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
