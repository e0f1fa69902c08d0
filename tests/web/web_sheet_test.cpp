// The page's worksheet: the parts of each board it prints, measured with the
// page's font, and what it is asked for is checked before it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/keisan.h"
#include "core/worksheet_sheet.h"
#include "wasm/sheet.h"
#include "wasm/web_metrics.h"

namespace {

std::string describe(const hissan::Op& o) {
    return std::to_string(int(o.kind)) + "/" + std::to_string(int(o.part)) + " " +
           std::to_string(o.x1) + "," + std::to_string(o.y1) + "-" + std::to_string(o.x2) + "," +
           std::to_string(o.y2) + " s" + std::to_string(o.size) + " w" + std::to_string(o.width) +
           " c" + std::to_string(int(o.colour.role)) + ":" + std::to_string(o.colour.rgb) + " " +
           o.text;
}

std::vector<std::string> described(const hissan::DisplayList& ops) {
    std::vector<std::string> out;
    for (const hissan::Op& o : ops) out.push_back(describe(o));
    return out;
}

// Whether `part` keeps the order of `whole` and takes nothing else.
bool isSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    size_t at = 0;
    for (const std::string& s : whole)
        if (at < part.size() && part[at] == s) ++at;
    return at == part.size();
}

TEST(WebSheet, PrintsTheProblemAndThePaperOpsOfEachBoard) {
    // The sheet's selection (shared with the desktop) on boards measured with
    // the page's font: carries, borrows across zeros (printed answers without
    // leading zeros), decimals, divisions with and without remainders, a
    // decimal quotient.
    const char* const cases[] = {"1000-372", "46+78",   "305*24",   "7.6*4.6",
                                 "455/2",    "14/4",    "0.5+0.25", "1.25-0.75",
                                 "100/8",    "2.4/0.6", "9999+1",   "10.05-9.9"};
    const web::WebMetrics metrics;
    using hissan::Op;
    using hissan::Part;
    for (const char* expression : cases) {
        SCOPED_TRACE(expression);
        hissan::TJouken jk;
        jk.DSP_CL_TYPE = 1;
        app::Keisan k(jk, metrics);
        for (const char* c = expression; *c; ++c) k.MojiInput(*c);
        k.MojiInput('=');
        ASSERT_EQ(k.KotaeZumi(), 1);
        size_t start = 0;
        const hissan::DisplayList board = k.printLayout(metrics, nullptr, &start);
        const char op = k.shiki().Enzanshi;
        hissan::DisplayList full;
        for (const Op& o : board)
            if (!o.stepOnly) full.push_back(o);
        int lineTop = 0, lineBottom = 0;
        bool first = true;
        for (const Op& o : full) {
            if (o.kind != Op::Text || o.part != Part::Expression) continue;
            lineTop = first ? o.y1 : std::min(lineTop, o.y1);
            lineBottom = first ? o.y2 : std::max(lineBottom, o.y2);
            first = false;
        }
        ASSERT_FALSE(first) << "no expression line";

        // The problem: the finished board's ops in order, without pacing, and
        // nothing of the answer or the working below the expression line.
        const hissan::DisplayList problem = worksheet::problemOps(board, start, op);
        ASSERT_FALSE(problem.empty());
        EXPECT_TRUE(isSubsequence(described(problem), described(full)));
        bool hasOperand = false;
        for (const Op& o : problem) {
            EXPECT_FALSE(o.kind == Op::Pause || o.kind == Op::Step);
            if (worksheet::onExpressionLine(o, lineTop, lineBottom)) continue;
            hasOperand = hasOperand || o.part == Part::Operand;
            EXPECT_FALSE(o.part == Part::Answer || o.part == Part::Working) << describe(o);
        }
        EXPECT_TRUE(hasOperand);

        // On paper: no filled background square, no text twice in one place,
        // nothing that was not on the board.
        for (const hissan::DisplayList* ops :
             {&problem, static_cast<const hissan::DisplayList*>(&full)})
            for (bool answers : {false, true}) {
                const hissan::DisplayList printed = worksheet::paperOps(*ops, answers);
                EXPECT_TRUE(isSubsequence(described(printed), described(*ops)));
                std::set<std::string> texts;
                for (const Op& o : printed) {
                    EXPECT_FALSE(o.kind == Op::Rect &&
                                 o.colour == hissan::Colour::of(hissan::Role::Background))
                        << describe(o);
                    if (o.kind == Op::Text)
                        EXPECT_TRUE(texts.insert(describe(o) + (o.bold ? " b" : "")).second)
                            << "twice: " << describe(o);
                }
            }
    }
}

TEST(WebSheet, RefusesWhatItCannotMakeInItsOwnWords) {
    const hissan::TJouken jk;
    const web::WebMetrics metrics;
    struct Case {
        web::SheetRequest request;
        const char* error;  // the start of the message; nullptr: a sheet
    };
    const Case cases[] = {
        {{.pattern = "dd+dd", .count = 3, .seed = "18446744073709551615"}, nullptr},
        {{.pattern = "dd+dd", .count = 3, .seed = "18446744073709551616"}, "シードは"},
        {{.pattern = "dd+dd", .count = 3, .seed = ""}, "シードは"},
        {{.pattern = "dd+dd", .count = 3, .seed = "12a"}, "シードは"},
        {{.pattern = "dd+dd", .count = 3, .seed = "-1"}, "シードは"},
        {{.pattern = "dd+dd", .count = 0, .seed = "1"}, "問題の数は"},
        {{.pattern = "dd+dd", .count = 201, .seed = "1"}, "問題の数は"},
        {{.pattern = "dd+", .count = 3, .seed = "1"}, "「dd+」は問題の形になりません"},
        {{.pattern = "d0+d", .count = 3, .seed = "1", .carry = 1},
         "「d0+d」には、繰り上がり・繰り下がり「あり」に合う問題がありません。"},
        {{.pattern = "dd*d", .count = 3, .seed = "1", .remainder = 2},
         "あまり「なし」は、「dd*d」の計算には選べません。"},
        {{.pattern = "dd-dd", .count = 3, .seed = "1", .quotientDigits = 2, .zeroInQuotient = true},
         "商のけた数「2」と商の途中に0は"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.pattern + " " + c.request.seed);
        const std::string json = web::makeSheet(jk, metrics, c.request);
        if (c.error)
            EXPECT_EQ(json.rfind(std::string("{\"error\":\"") + c.error, 0), 0u) << json;
        else
            EXPECT_EQ(json.rfind("{\"problems\":[{\"expression\":", 0), 0u) << json;
    }
}

}  // namespace
