// Written addition: carries, partial sums and decimals, read back from the
// board as the pupil sees it.
#include <gtest/gtest.h>

#include "tests/engine/addsub_support.h"

namespace hissan::test {
namespace {

const Colour kCarry = Colour::of(Role::Carry);

TEST(TashizanDsp, CarriesAboveTheAnswerAndTheFinalCarryLeads) {
    BoardFixture f;
    f.load("95", '+', "7");
    f.lay(TashizanDsp);
    const hissan::Run& b = f.b;
    // Sign column, then hundreds, tens, ones; the carries sit on their own row.
    EXPECT_EQ(f.rows(), (std::vector<std::string>{"     102", " 95", "+ 7", "11", "102"}));
    const int y2 = Trunc(Trunc(b.OriginY + 2.5 * b.LineH) + 1.2 * b.LineH);
    const int y3 = Trunc(y2 + 1.8 * b.LineH);
    const auto carries = Find(f, Op::Text, kCarry);
    ASSERT_EQ(carries.size(), 2u);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(carries[c]->x1, Trunc(b.RightX - (c + 1) * b.CellW - 1.4 * b.DigitW));
        EXPECT_EQ(carries[c]->y1, y3 - b.LineH / 3 - 1);
        EXPECT_EQ(carries[c]->size, b.KomojiSize);
    }
    const Op* lead = TextAt(f, b.OriginX, y3);
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(lead->text, "１");
    EXPECT_EQ(lead->colour, Colour::of(Role::Digit));
    EXPECT_EQ(b.out.Kotae, "102");
    const Op* answer = TextAt(f, Trunc(b.EqualX + 1.2 * b.CellW), b.OriginY);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer->text, "102");

    f.jk.KURIAGARI = 0;
    f.load("95", '+', "7");
    f.lay(TashizanDsp);
    EXPECT_TRUE(Find(f, Op::Text, kCarry).empty());
    EXPECT_EQ(f.b.out.Kotae, "102");
}

TEST(TashizanDsp, ZeroPlusZeroHasOneColumn) {
    BoardFixture f;
    f.load("0", '+', "0");
    f.lay(TashizanDsp);
    EXPECT_EQ(f.rows(), (std::vector<std::string>{"    0", " 0", "+0", " 0"}));
    EXPECT_EQ(f.b.out.Kotae, "0");
}

TEST(BubunwaTashizan, OneRowPerPlaceThenTheTotal) {
    BoardFixture f;
    f.jk.BubunWa = f.jk.QQ_FLAG = 1;
    f.load("345", '+', "67");
    f.lay(BubunwaTashizan);
    EXPECT_EQ(f.rows(),
              (std::vector<std::string>{"       412", "【部分和を使った たし算】", " 345",
                                        "     ←たされる数", "+ 67", "     ←たす数　　", " 300",
                                        "     …… 百の位の和", " 100", "     …… 十の位の和", "  12",
                                        "     …… 一の位の和", " 412", "     …… [答え]"}));
    // The zeros that complete a place sum are in the sign colour.
    const auto signs = Find(f, Op::Text, Colour::of(Role::Sign));
    EXPECT_EQ(
        std::count_if(signs.begin(), signs.end(), [](const Op* o) { return o->text == "０"; }), 3);
    EXPECT_EQ(f.b.out.Kotae, "412");
    EXPECT_TRUE(LayoutGeometryIsSound(f));
}

// The partial sums stand in the operand columns and the layout below the
// settings panel at every font size, on screen and on a printed page.
TEST(BubunwaTashizan, PartialSumsStayInTheOperandColumnsAtEverySize) {
    for (bool printer : {false, true}) {
        for (int size : {10, 24, 50}) {
            BoardFixture f;
            f.jk.BubunWa = f.jk.QQ_FLAG = 1;
            f.jk.HARUFA = 65;
            f.jk.FONTSIZE = size;
            f.b.setMetrics(f.metrics, size, printer);
            f.load("345", '+', "67");
            f.lay(BubunwaTashizan);
            EXPECT_TRUE(LayoutGeometryIsSound(f)) << size << (printer ? " printed" : "");
        }
    }
}

TEST(BubunwaTashizan, EighteenDigitOperandsAddExactly) {
    BoardFixture f;
    f.jk.BubunWa = 1;
    const std::string nines(18, '9');
    f.load(nines, '+', nines);
    f.lay(BubunwaTashizan);
    EXPECT_EQ(f.b.out.Kotae, "1" + std::string(17, '9') + "8");
    EXPECT_EQ(f.rows()[4], "18" + std::string(17, '0'));  // the highest place, 10^17
    EXPECT_EQ(f.rows()[5], "                    …… 十京の位の和");
}

TEST(ShosuTashizanDsp, PointsAlignedAndTrailingZerosStruck) {
    BoardFixture f;
    f.load("1.25", '+', "3.75");
    f.lay(ShosuTashizanDsp);
    const hissan::Run& b = f.b;
    const auto rows = f.rows();
    EXPECT_EQ(rows[1], " 1.25");
    EXPECT_EQ(rows[2], "+3.75");
    EXPECT_EQ(rows.back(), " 5.00");
    const auto strikes = Find(f, Op::Line, Colour::of(Role::Strike));
    ASSERT_EQ(strikes.size(), 2u);  // hundredths, then tenths
    EXPECT_EQ(strikes[0]->x1, Trunc(b.RightX + b.CellW + 0.1 * b.CellW));
    EXPECT_EQ(strikes[1]->x1, Trunc(b.RightX + 0.1 * b.CellW));
    EXPECT_EQ(b.out.Kotae, "5");
    EXPECT_EQ(b.out.KotaeShosu, "00");

    // An operand without decimals gets no point; the rule spans the decimals.
    f.load("3", '+', "0.25");
    f.lay(ShosuTashizanDsp);
    const int y1 = Trunc(b.OriginY + 2.5 * b.LineH);
    EXPECT_EQ(TextAt(f, b.TenX, Trunc(y1 + 0.6 * b.CharH)), nullptr);
    const auto rules = Find(f, Op::Line, Colour::of(Role::Rule));
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0]->x2, b.RightX + 2 * b.CellW);
    EXPECT_EQ(b.out.Kotae, "3.25");
}

TEST(ColumnLayouts, LineBreakAtEqualsMovesEveryRowOneLineDown) {
    struct Case {
        const char *a, *c;
        char op;
        int bubunwa;
    };
    for (const Case& k :
         {Case{"95", "7", '+', 0}, Case{"95", "7", '+', 1}, Case{"1.25", "7.75", '+', 0},
          Case{"1000", "1", '-', 0}, Case{"9.25", "7.75", '-', 0}}) {
        BoardFixture flat, broken;
        for (BoardFixture* f : {&flat, &broken}) {
            f->jk.BubunWa = k.bubunwa;
            f->jk.QQ_FLAG = 1;
            f->jk.KAIGYO_FLAG = f == &broken;
            f->load(k.a, k.op, k.c);
            RunAddSub(*f, k.op);
        }
        const auto rf = boardRows(flat.ops(), flat.b), rb = boardRows(broken.ops(), broken.b);
        ASSERT_EQ(rf.size(), rb.size());
        for (size_t r = 1; r < rf.size(); ++r) {  // row 0 is the answer after "="
            EXPECT_EQ(rb[r].y, rf[r].y + flat.b.LineH) << k.a << k.op << k.c << " row " << r;
            EXPECT_EQ(rb[r].text, rf[r].text);
        }
    }
}

TEST(AdditionLayouts, ManyOperandsAddExactlyAndStayOnTheGrid) {
    std::mt19937 rng(20240611);
    for (int n = 0; n < 400; ++n) {
        BoardFixture f;
        RandomConditions(rng, f);
        const std::string a = RandomOperand(rng, n % 2), c = RandomOperand(rng, n % 2);
        f.load(a, '+', c);
        RunAddSub(f, '+');
        SCOPED_TRACE(a + " + " + c + " size " + std::to_string(f.b.MojiSize));
        EXPECT_EQ(KotaeSeiri(f.b.out.Kotae), Exact(a, c, false));
        EXPECT_TRUE(LayoutGeometryIsSound(f));
    }
}

}  // namespace
}  // namespace hissan::test
