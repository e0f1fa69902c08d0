// Every op a layout records carries the part of the written calculation it
// belongs to: read back part by part, a board shows its operands, its
// operator and rule, its answer, and nothing is left without a part.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hissan/layouts.h"
#include "tests/engine/support.h"

namespace hissan::test {
namespace {

using Rows = std::vector<std::string>;

// The rows of the ops of one part (step-only ops included for StepOnly).
Rows rowsOf(const BoardFixture& f, Part part) {
    DisplayList kept;
    for (const Op& op : f.ops())
        if (op.part == part) kept.push_back(op);
    return boardRowTexts(kept, f.b, part == Part::StepOnly);
}

TEST(Parts, EachLayoutTellsOperandsOperatorAnswerAndWorkingApart) {
    struct Case {
        const char* a;
        char op;
        const char* c;
        void (*conditions)(TJouken&);
        Rows operands, operatorRule, answer;
    };
    auto none = +[](TJouken&) {};
    auto partialSums = +[](TJouken& jk) { jk.BubunWa = 1; };
    auto setApart = +[](TJouken& jk) { jk.MatsubiZeroKake = jk.MatsubiZeroWari = 1; };
    auto rounded = +[](TJouken& jk) {
        jk.SHOU_ITI = 1;
        jk.POINTMAX = 2;
    };
    auto untilExact = +[](TJouken& jk) { jk.SHOU_ITI = 2; };
    auto names = +[](TJouken& jk) { jk.QQ_FLAG = 1; };
    const Case cases[] = {
        {"95", '+', "7", none, {"95", " 7"}, {"+"}, {"     102", "102"}},
        {"456", '+', "789", partialSums, {"456", "789"}, {"+"}, {"        1245", "1245"}},
        {"1.25", '+', "3.75", names, {"1.25", "3.75"}, {"+"}, {"       5", "5.00"}},
        {"503", '-', "298", none, {"503", "298"}, {"-"}, {"       205", "205"}},
        {"5.2", '-', "3.85", none, {"5.2", "3.85"}, {"-"}, {"      1.35", "1.35"}},
        {"123", '*', "45", names, {"123", " 45"}, {"*"}, {"      5535", "5535"}},
        {"230", '*', "30", setApart, {"230", " 30"}, {"*"}, {"      6900", "6900"}},
        {"1.5", '*', "2.4", none, {"1.5", "2.4"}, {"*"}, {"     3.6", "3.60"}},
        {"1234", '/', "12", none, {"12 1234"}, {}, {"    102  10", "      あまり", "102", " 10"}},
        {"4500", '/', "300", setApart, {"300 4500"}, {}, {"     15", "15"}},
        {"7.35", '/', "2.1", none, {"2.1 7.35"}, {}, {"    3  1.05", "     あまり", " 3", "1.05"}},
        {"3", '/', "0.25", none, {"0.25 3"}, {}, {" 12", "12"}},
        {"22", '/', "7", rounded, {"7 22"}, {}, {"  3.1", "3.14", "0.02"}},
        {"1", '/', "8", untilExact, {"8 1"}, {}, {"  0.125", "0.125"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.a) + k.op + k.c);
        BoardFixture f;
        k.conditions(f.jk);
        f.load(k.a, k.op, k.c);
        const int kind = HissanKindOf(f.b.shiki);
        ASSERT_EQ(f.lay(LayoutOf(kind, f.jk)), 1);
        EXPECT_EQ(f.b.out.status, LayoutResult::Drawn);
        for (const Op& op : f.ops()) EXPECT_NE(op.part, Part::None) << op.text;
        EXPECT_EQ(rowsOf(f, Part::Operand), k.operands);
        EXPECT_EQ(rowsOf(f, Part::OperatorRule), k.operatorRule);
        // The answer after "=" on the expression line, then the answer's
        // rows in the columns (a division: its quotient and remainder).
        EXPECT_EQ(rowsOf(f, Part::Answer), k.answer);
        const bool division = k.op == '/';
        bool rule = false, bracket = false;
        for (const Op& op : f.ops()) {
            rule |= op.part == Part::OperatorRule && op.kind == Op::Line;
            bracket |= op.part == Part::DivisionFrame && op.text == ")";
        }
        EXPECT_EQ(rule, !division);
        EXPECT_EQ(bracket, division);
        // "[終わり]" (and a division's grey placeholders) are step-only.
        bool owari = false;
        for (const Op& op : f.ops()) {
            if (op.kind == Op::Text) EXPECT_EQ(op.stepOnly, op.part == Part::StepOnly) << op.text;
            owari |= op.part == Part::StepOnly && op.text == "[終わり]";
        }
        EXPECT_TRUE(owari);
    }
}

}  // namespace
}  // namespace hissan::test
