// Long division of integers and decimals, read back from the board as the
// pupil sees it: the quotient over the dividend, products, rules, partial
// remainders, the points that move and the remainder in its places.
#include "hissan/warizan.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/engine/warizan_support.h"

namespace hissan::test {
namespace {

using Rows = std::vector<std::string>;

// Full-size glyph rows: quotient, divisor and dividend, products, remainders.
Rows Digits(const BoardFixture& f) {
    Rows out;
    for (const BoardRow& r : boardRows(f.ops(), f.b)) {
        if (r.size != f.b.MojiSize) continue;
        std::string t = r.text;
        while (!t.empty() && t.back() == ' ') t.pop_back();
        out.push_back(t);
    }
    return out;
}

// The last text drawn at a row y and column x (the board shows that one).
const Op* GlyphAt(const BoardFixture& f, int x, int y) {
    return TextAt(f, x, y);
}

// Texts written on the answer row after "=".
std::vector<std::string> AnswerTexts(const BoardFixture& f) {
    std::vector<std::string> out;
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.y1 >= f.b.OriginY && op.y1 < f.b.OriginY + f.b.CharH / 2 &&
            op.x1 > f.b.EqualX && !op.stepOnly)
            out.push_back(op.text);
    return out;
}

bool StruckAt(const BoardFixture& f, int x, int y) {
    const int C = f.b.CellW;
    for (const Op& op : f.ops())
        if (op.kind == Op::Line && op.colour == Colour::of(Role::Strike) &&
            op.x1 == Trunc(x + 0.1 * C) && op.y1 == Trunc(y + 0.1 * C))
            return true;
    return false;
}

std::string NoteText(const BoardFixture& f) {
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.bold && op.underline) return op.text;
    return {};
}

struct Geometry {
    int KakkoX, WY, ShouY;
    int col(const hissan::Run& b, int p) const { return KakkoX + (p - 3) * b.CellW; }
};

Geometry GeometryOf(const BoardFixture& f, int divisorCells) {
    const hissan::Run& b = f.b;
    return Geometry{b.OriginX + (divisorCells + 3) * b.CellW, b.OriginY + 4 * b.LineH,
                    Trunc(b.OriginY + 2.7 * b.LineH)};
}

// ---- integers ------------------------------------------------------------------------

TEST(WarizanDsp, TwelveByFiveToOnePlace) {
    BoardFixture f;
    f.jk.POINTMAX = 1;
    EXPECT_EQ(Waru(f, "12", "5"), 1);
    EXPECT_EQ(Digits(f), (Rows{"   2.4", "5 12.0", "  10", "   20", "   20", "    0"}));
    EXPECT_EQ(f.b.out.Kotae, "2.4");
    EXPECT_EQ(AnswerTexts(f), (std::vector<std::string>{"2.4"}));
    EXPECT_EQ(NoteText(f), "(商は 小数第 1位まで求め、余りを出す)");
    const Geometry g = GeometryOf(f, 1);
    // The dividend's new point in the auxiliary colour, the appended zero in silver.
    const Op* zero = GlyphAt(f, g.col(f.b, 3), g.WY);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->colour, kSilver);
    bool auxPoint = false;
    for (const Op& op : f.ops())
        auxPoint |= op.text == "●" && op.colour == Colour::of(Role::Aux) &&
                    op.x1 == Trunc(g.col(f.b, 3) - 0.2 * f.b.CellW);
    EXPECT_TRUE(auxPoint);
}

TEST(WarizanDsp, QuotientZeroShortcutKeepsTheDividendAsRemainder) {
    BoardFixture f;
    Waru(f, "7", "8");
    EXPECT_EQ(Digits(f), (Rows{"  0", "8 7", "  0", "  7"}));
    EXPECT_EQ(f.b.out.Kotae, "0R7");
    EXPECT_EQ(AnswerTexts(f), (std::vector<std::string>{"0", "あまり", "7"}));
}

TEST(WarizanDsp, ZeroQuotientDigitAndTheBroughtDownDigitBesideIt) {
    BoardFixture f;
    Waru(f, "1005", "5");
    EXPECT_EQ(Digits(f), (Rows{"   201", "5 1005", "  10", "    05", "     5", "     0"}));
    EXPECT_EQ(f.b.out.Kotae, "201");
}

TEST(WarizanDsp, SkippedZerosComeDownWithTheNextDigit) {
    BoardFixture f;
    Waru(f, "12005", "4");
    // No gap in the remainder row: the zeros come down with the 5.
    EXPECT_EQ(Digits(f), (Rows{"   3001", "4 12005", "  12", "    005", "      4", "      1"}));
    EXPECT_EQ(f.b.out.Kotae, "3001R1");
}

TEST(WarizanDsp, ExactDivisionEndingInZeroShowsOneZero) {
    for (const char* dividend : {"120", "1200"}) {
        BoardFixture f;
        Waru(f, dividend, "4");
        const Rows rows = Digits(f);
        ASSERT_GE(rows.size(), 4u);
        const std::string lastRow = rows.back();
        // One 0, in the last column, in the point colour.
        EXPECT_EQ(lastRow.find_first_not_of(' '), lastRow.size() - 1) << dividend;
        const Geometry g = GeometryOf(f, 1);
        const int n = static_cast<int>(std::string(dividend).size());
        const BoardRow last = boardRows(f.ops(), f.b).back();
        const Op* zero = GlyphAt(f, g.col(f.b, n), last.y);
        ASSERT_NE(zero, nullptr);
        EXPECT_EQ(zero->colour, kPoint);
        EXPECT_EQ(lastRow.size(), static_cast<size_t>(2 + n)) << dividend;
    }
}

TEST(WarizanDsp, CancelledZerosAreStruckAndTheDivisionRunsWithoutThem) {
    BoardFixture f;
    f.jk.MatsubiZeroWari = 1;
    Waru(f, "1200", "300");
    EXPECT_EQ(Digits(f), (Rows{"     4", "3.00 12.00", "    12", "     0"}));
    const Geometry g = GeometryOf(f, 3);
    for (int p : {3, 4}) EXPECT_TRUE(StruckAt(f, g.col(f.b, p), g.WY)) << p;
    for (int q : {2, 3}) EXPECT_TRUE(StruckAt(f, f.b.OriginX + (q - 1) * f.b.CellW, g.WY)) << q;
    EXPECT_EQ(f.b.out.Kotae, "4");

    // A remainder keeps the cancelled zeros: 1250 / 300 is 4 remainder 50.
    BoardFixture r;
    r.jk.MatsubiZeroWari = 1;
    Waru(r, "1250", "300");
    EXPECT_EQ(Digits(r).back(), "      50");
    EXPECT_EQ(r.b.out.Kotae, "4R50");
    const Geometry gr = GeometryOf(r, 3);
    const Op* zero = GlyphAt(r, gr.col(r.b, 4), boardRows(r.ops(), r.b).back().y);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->colour, kAux);
}

TEST(WarizanDsp, RoundingStrikesTheChangedDigitsAndAnswersTheRoundedQuotient) {
    BoardFixture f;
    f.jk.SHOU_ITI = 1;
    f.jk.POINTMAX = 3;
    Waru(f, "2", "3");
    const Rows d = Digits(f);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d[0], "  0.666");
    // Exactly the rounded answer, with no remainder, is written and kept.
    EXPECT_EQ(f.b.out.Kotae, "0.67");
    EXPECT_EQ(AnswerTexts(f), (std::vector<std::string>{"0.67"}));
    EXPECT_EQ(NoteText(f), "(商は 小数第3位を四捨五入し、小数第2位まで求める)");
    const Geometry g = GeometryOf(f, 1);
    EXPECT_TRUE(StruckAt(f, g.col(f.b, 4), g.ShouY));  // the dropped 6
    EXPECT_TRUE(StruckAt(f, g.col(f.b, 3), g.ShouY));  // the changed 6
    EXPECT_FALSE(StruckAt(f, g.col(f.b, 2), g.ShouY));
    const Op* seven =
        GlyphAt(f, Trunc(g.col(f.b, 3) + 0.1 * f.b.CellW), Trunc(g.ShouY - 0.55 * f.b.CellW));
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->text, "７");
    EXPECT_EQ(seven->size, Trunc(0.7 * f.b.MojiSize));
}

TEST(ShishaGonyuText, CarriesThroughNinesAndAcrossThePoint) {
    EXPECT_EQ(ShishaGonyuText("0.666"), "0.67");
    EXPECT_EQ(ShishaGonyuText("0.664"), "0.66");
    EXPECT_EQ(ShishaGonyuText("9.996"), "10.00");
    EXPECT_EQ(ShishaGonyuText("0.95"), "1.0");
    EXPECT_EQ(ShishaGonyuText("2.5"), "3.");
    EXPECT_EQ(ShishaGonyuText("99.95"), "100.0");
    EXPECT_EQ(ShishaGonyuText("0.1"), "0.");
}

TEST(WarizanDsp, RoundingCarriesIntoTheOnesAndAddsADigit) {
    BoardFixture f;
    f.jk.SHOU_ITI = 1;
    f.jk.POINTMAX = 3;
    Waru(f, "9996", "1000");
    EXPECT_EQ(f.b.out.Kotae, "10");
    EXPECT_EQ(AnswerTexts(f), (std::vector<std::string>{"10"}));
}

TEST(WarizanDsp, NothingToRoundWhenTheQuotientEndsEarlier) {
    BoardFixture f;
    f.jk.SHOU_ITI = 1;
    f.jk.POINTMAX = 3;
    Waru(f, "1", "4");
    EXPECT_EQ(f.b.out.Kotae, "0.25");
    EXPECT_EQ(Digits(f)[0], "  0.25");
    // The note tells the condition the teacher chose, not the one the layout used.
    EXPECT_EQ(NoteText(f), "(商は 小数第3位を四捨五入し、小数第2位まで求める)");
    EXPECT_EQ(f.jk.POINTMAX, 3);
    EXPECT_EQ(f.jk.SHOU_ITI, 1);
}

TEST(WarizanDsp, UntilExactDrawsTenDecimalsAndSaysItIsNotExact) {
    BoardFixture f;
    f.jk.SHOU_ITI = 2;
    Waru(f, "1", "3");
    EXPECT_EQ(Digits(f)[0], "  0.3333333333");
    EXPECT_EQ(f.b.out.Kotae, "0.3333333333R0.0000000001");
    EXPECT_EQ(NoteText(f), "(商は 割り切れるまで［max小数第10位］) …まだ割り切れません。。。");
    EXPECT_EQ(Digits(f).back(), "  0.0000000001");

    BoardFixture e;
    e.jk.SHOU_ITI = 2;
    Waru(e, "1", "8");
    EXPECT_EQ(e.b.out.Kotae, "0.125");
    EXPECT_EQ(NoteText(e), "(商は 割り切れるまで［max小数第10位］) …割り切れました。");

    // No decimal stands in the quotient, yet a remainder is left: not exact.
    for (auto [a, c, kotae] : {std::tuple{"1", "30000000000", "0R1"},
                               {"100000000001", "100000000000", "1R1"},
                               {"1.00000000001", "1", "1R0.00000000001"}}) {
        BoardFixture g;
        g.jk.SHOU_ITI = 2;
        Waru(g, a, c);
        EXPECT_EQ(g.b.out.Kotae, kotae) << a << "/" << c;
        EXPECT_EQ(NoteText(g), "(商は 割り切れるまで［max小数第10位］) …まだ割り切れません。。。")
            << a << "/" << c;
    }
}

TEST(WarizanDsp, ZeroRowWhenTheLastQuotientDigitIsZero) {
    BoardFixture f;
    f.jk.SHOU0_DSP = 1;
    Waru(f, "41", "4");
    EXPECT_EQ(Digits(f), (Rows{"  10", "4 41", "  4", "   1", "   0", "   1"}));
    const auto aqua = Find(f, Op::Line, Colour::of(Role::AquaLine));
    EXPECT_EQ(aqua.size(), 1u);
    EXPECT_EQ(f.b.out.Kotae, "10R1");
}

TEST(WarizanDsp, OverflowOfTheExtendedDividendAsksToTypeAgain) {
    BoardFixture f;
    f.jk.POINTMAX = 2;
    EXPECT_EQ(Waru(f, "123456789012345678", "123456789"), -10);
    ASSERT_EQ(f.b.out.messages.size(), 1u);
    const Message& m = f.b.out.messages[0];
    EXPECT_EQ(m.text,
              "＜オーバーフロウ＞\n ケタ数オーバーしました。商の小数の位を減らして下さい。\n"
              "Deleteキーを押して再入力します。");
    EXPECT_EQ(m.title, "ご確認!!");
    EXPECT_EQ(m.then, Message::ClearAndRestore);
    EXPECT_TRUE(AnswerTexts(f).empty());
    EXPECT_TRUE(f.b.out.Kotae.empty());
}

TEST(Warizan, LongQuotientsHaveEveryPlaceTheHeadingNamesOrOverflow) {
    // The heading, the quotient row, its part name and Kotae (the answer read
    // aloud) agree however many characters the quotient has; a dividend that
    // needs more than the 64-bit engine holds is refused instead of cut.
    struct Case {
        const char *a, *c;
        int shouIti, n;
        const char *kotae, *shou, *label, *note;  // kotae nullptr: overflow
    };
    const Case cases[] = {
        {"12345678901234567", "3", 0, 2, "4115226300411522.33R0.01", "4115226300411522.33",
         "←［商:18ケタ,末位:小数第2位］", "(商は 小数第 2位まで求め、余りを出す)"},
        {"1234567890123456.7", "0.3", 0, 2, "4115226300411522.33R0.001", "4115226300411522.33",
         "←［商:18ケタ,末位:小数第2位］", "(商は 小数第 2位まで求め、余りを出す)"},
        {"1000000000000", "3", 1, 5, "333333333333.3333", "333333333333.33333",
         "←［商:17ケタ,末位:小数第5位を四捨五入］",
         "(商は 小数第5位を四捨五入し、小数第4位まで求める)"},
        {"796795888852.3886", "5.0", 2, 10, "159359177770.47772", "159359177770.47772",
         "←［商:17ケタ,末位:小数第5位］",
         "(商は 割り切れるまで［max小数第10位］) …割り切れました。"},
        {"99999999999999998", "3", 0, 2, nullptr, nullptr, nullptr, nullptr},
        {"12345678901234567", "3", 2, 10, nullptr, nullptr, nullptr, nullptr},
    };
    for (const Case& k : cases) {
        BoardFixture f;
        f.jk.QQ_FLAG = 1;
        f.jk.SHOU_ITI = k.shouIti;
        f.jk.POINTMAX = k.n;
        const int rc = Waru(f, k.a, k.c);
        const std::string where = std::string(k.a) + "/" + k.c;
        if (!k.kotae) {
            EXPECT_EQ(rc, -10) << where;
            ASSERT_EQ(f.b.out.messages.size(), 1u) << where;
            EXPECT_EQ(f.b.out.messages[0].title, "ご確認!!");
            EXPECT_TRUE(f.b.out.Kotae.empty()) << where;
            continue;
        }
        EXPECT_EQ(rc, 1) << where;
        EXPECT_EQ(f.b.out.Kotae, k.kotae) << where;
        std::string shou = Digits(f)[0];
        shou.erase(0, shou.find_first_not_of(' '));
        EXPECT_EQ(shou, k.shou) << where;
        EXPECT_EQ(NoteText(f), k.note) << where;
        std::string label;
        for (const Op& op : f.ops())
            if (op.kind == Op::Text && op.text.rfind("←［商", 0) == 0) label = op.text;
        EXPECT_EQ(label, k.label) << where;
    }
}

TEST(WarizanDsp, PartNamesAndTheEqualsOnItsOwnLine) {
    BoardFixture f;
    f.jk.QQ_FLAG = 1;
    f.jk.KAIGYO_FLAG = 1;
    f.jk.POINTMAX = 1;
    Waru(f, "100", "7");
    std::vector<std::string> labels;
    for (const Op& op : f.ops())
        if (op.kind == Op::Text && op.size == Trunc(0.7 * f.b.MojiSize)) labels.push_back(op.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"←［商:3ケタ,末位:小数第1位］", "←割られる数",
                                                "←余り", "割る数↓"}));
    // Every row one line pitch lower.
    const Geometry g = GeometryOf(f, 1);
    EXPECT_NE(GlyphAt(f, g.col(f.b, 1), g.WY + f.b.LineH), nullptr);
}

TEST(WarizanDsp, StepPointsOfOneThousandAndFiveByFive) {
    BoardFixture f;
    f.jk.STEPFLAG = 1;
    Waru(f, "1005", "5");
    // What is drawn between consecutive step points, as full-size glyphs.
    std::vector<std::string> between(1);
    for (const Op& op : f.ops()) {
        if (op.kind == Op::Step) {
            between.emplace_back();
            continue;
        }
        if (op.kind != Op::Text || op.size != f.b.MojiSize) continue;
        between.back() += op.stepOnly ? "#" : op.text == "●" ? "." : op.text;
    }
    EXPECT_EQ(between, (std::vector<std::string>{
                           "１００５１５",  // the frame: dividend, divisor
                           "",              // after the frame
                           "#",             // 1: no quotient digit, in step mode only
                           "２",            // 10 / 5: the quotient digit
                           "０１０",        // its product with the carry; 0 brought down
                           "０５",          // quotient 0, the 5 brought down beside it
                           "１",            // 5 / 5
                           "５",            // its product
                           "０",            // the last remainder
                           "",              // before the answer
                       }));
}

// ---- decimals ---------------------------------------------------------------------------

TEST(ShosuWarizanDsp, BothPointsMoveAndAreMarked) {
    BoardFixture f;
    Waru(f, "7.5", "2.5");
    EXPECT_EQ(Digits(f), (Rows{"    3", "2.5. 7.5.", "   75", "    0"}));
    EXPECT_EQ(f.b.out.Kotae, "3");
    // The quotient stands over the 5: dividend position 2.
    const Geometry g = GeometryOf(f, 2);
    const Op* three = GlyphAt(f, g.col(f.b, 2), g.ShouY);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->text, "３");
    int marked = 0;
    for (const Op& op : f.ops())
        marked += op.kind == Op::Line && op.colour == Colour::of(Role::PointStrike);
    EXPECT_EQ(marked, 2);
}

TEST(ShosuWarizanDsp, DivisorDecimalsAppendZerosToTheDividend) {
    BoardFixture f;
    Waru(f, "3", "0.25");
    EXPECT_EQ(Digits(f),
              (Rows{"     12", "0.25. 3.00.", "    25", "     50", "     50", "      0"}));
    EXPECT_EQ(f.b.out.Kotae, "12");
}

TEST(ShosuWarizanDsp, RemainingDividendDigitsComeDownIntoTheRemainder) {
    BoardFixture f;
    Waru(f, "1.23", "0.4");
    EXPECT_EQ(Digits(f), (Rows{"    3", "0.4. 1.2.3", "   12", "   0.03"}));
    EXPECT_EQ(f.b.out.Kotae, "3R0.03");
    // The remainder's point under the dividend's typed point.
    const Geometry g = GeometryOf(f, 2);
    const int typed = Trunc(g.col(f.b, 2) - 0.2 * f.b.CellW);
    const BoardRow last = boardRows(f.ops(), f.b).back();
    bool found = false;
    for (const Op& op : f.ops())
        found |= op.text == "●" && op.x1 == typed && op.y1 == last.y + Trunc(0.6 * f.b.CharH);
    EXPECT_TRUE(found);
}

TEST(ShosuWarizanDsp, QuotientPointOverTheNewPointRemainderUnderTheTypedOne) {
    BoardFixture f;
    f.jk.POINTMAX = 2;
    f.jk.SYOUPTLNDSP = 1;
    Waru(f, "2.5", "0.7");
    const Rows d = Digits(f);
    EXPECT_EQ(d.front(), "    3.57");
    EXPECT_EQ(d[1], "0.7. 2.5.00");
    EXPECT_EQ(d.back(), "   0.001");
    EXPECT_EQ(f.b.out.Kotae, "3.57R0.001");
    // Two dotted reference lines.
    int dotted = 0;
    for (const Op& op : f.ops()) dotted += op.kind == Op::Line && op.dotted;
    EXPECT_EQ(dotted, 2);
}

TEST(ShosuWarizanDsp, OnlyTheDividendHasDecimals) {
    BoardFixture f;
    Waru(f, "7.5", "2");
    EXPECT_EQ(Digits(f), (Rows{"  3", "2 7.5", "  6", "  1.5"}));
    EXPECT_EQ(f.b.out.Kotae, "3R1.5");

    BoardFixture z;
    Waru(z, "21.0", "4");
    // The remainder 1 keeps the dividend's tenths as a struck zero.
    EXPECT_EQ(Digits(z).back(), "   1.0");
    EXPECT_EQ(z.b.out.Kotae, "5R1");
}

TEST(ShosuWarizanDsp, QuotientZero) {
    BoardFixture f;
    Waru(f, "0.3", "0.7");
    EXPECT_EQ(f.b.out.Kotae, "0R0.3");
    EXPECT_EQ(Digits(f).back(), "   0.3");
}

}  // namespace
}  // namespace hissan::test
