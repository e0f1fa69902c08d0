// Written multiplication of integers and decimals, read back from the board as
// the pupil sees it: partial products, the sum, carries, zeros set apart and
// the product's point.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/engine/addsub_support.h"

namespace hissan::test {
namespace {

using Rows = std::vector<std::string>;

const Colour kDigit = Colour::of(Role::Digit);
const Colour kAux = Colour::of(Role::Aux);
const Colour kNote = Colour::of(Role::Note);
const Colour kAnswer = Colour::of(Role::Answer);

// Loads "a * c" and runs the layout the evaluation picks for it.
void Kakeru(BoardFixture& f, const std::string& a, const std::string& c) {
    f.load(a, '*', c);
    if (f.b.w.MaxShosuKeta > 0)
        f.lay(ShosuKakezanDsp);
    else
        f.lay(KakezanDsp);
}

// The board without the answer line and without the small carries.
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

// Rows of small carries, in drawing order top to bottom.
Rows Carries(const BoardFixture& f) {
    Rows out;
    for (const BoardRow& r : boardRows(f.ops(), f.b))
        if (r.size == f.b.KomojiSize) out.push_back(r.text);
    return out;
}

std::vector<const Op*> Lines(const BoardFixture& f, Colour colour) {
    return Find(f, Op::Line, colour);
}

// The text written after "=".
std::string AnswerText(const BoardFixture& f) {
    const Op* op = TextAt(f, Trunc(f.b.EqualX + 1.2 * f.b.CellW), f.b.OriginY);
    return op ? op->text : std::string("(none)");
}

// ---- integers ----------------------------------------------------------------

TEST(KakezanDsp, TwoPartialProductsTheSecondOneColumnLeft) {
    BoardFixture f;
    Kakeru(f, "23", "45");
    const hissan::Run& b = f.b;
    EXPECT_EQ(Digits(f), (Rows{"  23", "* 45", " 115", " 92", "1035"}));
    // 3x5 and 2x5+1 carry into 115; 3x4 carries into 92; the sum carries once.
    EXPECT_EQ(Carries(f), (Rows{" 11", " 1", "1"}));
    const int R = b.OriginX + 4 * b.CellW;
    EXPECT_EQ(b.RightX, R);
    // Rule 2 from one column left of the "9" to RightX, in the red line colour.
    const auto red = Lines(f, Colour::of(Role::RedLine));
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0]->x1, R - 4 * b.CellW);
    EXPECT_EQ(red[0]->x2, R);
    EXPECT_EQ(red[0]->width, 3);
    // Carries of a partial product are in the digit colour, those of the sum
    // in the carry colour.
    const auto sumCarries = Find(f, Op::Text, Colour::of(Role::Carry));
    ASSERT_EQ(sumCarries.size(), 1u);
    EXPECT_EQ(sumCarries[0]->text, "１");
    EXPECT_EQ(b.out.Kotae, "1035");
    EXPECT_EQ(AnswerText(f), "1035");
}

TEST(KakezanDsp, ZeroMultiplierDigitIsWrittenAndTheNextProductSharesItsRow) {
    BoardFixture f;
    Kakeru(f, "123", "205");
    const hissan::Run& b = f.b;
    EXPECT_EQ(Digits(f), (Rows{"  123", "* 205", "  615", "2460", "25215"}));
    // The "0" in the tens column of the second row is the multiplier's zero.
    const int y615 = boardRows(f.ops(), b)[4].y;
    const int yRow2 = y615 + b.CellW + b.LineH / 2;
    const Op* zero = TextAt(f, b.RightX - 2 * b.CellW, yRow2);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->text, "０");
    EXPECT_EQ(zero->colour, kAux);
    const Op* two = TextAt(f, b.RightX - 3 * b.CellW, yRow2);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->text, "６");
    EXPECT_EQ(two->colour, kDigit);
    EXPECT_EQ(b.out.Kotae, "25215");
}

TEST(KakezanDsp, OneNonZeroMultiplierDigitHasItsSumWrittenOverIt) {
    for (int kuriagari : {1, 0}) {
        BoardFixture f;
        f.jk.KURIAGARI = kuriagari;
        Kakeru(f, "23", "30");
        // The zero of the ones column, then 69 on the same row; no rule 2;
        // the sum 690 exactly over that row: a sum a few pixels off would let
        // the edges of the digits below show above the new ones.
        EXPECT_EQ(Digits(f), (Rows{"  23", "* 30", " 690"})) << kuriagari;
        EXPECT_TRUE(Lines(f, Colour::of(Role::RedLine)).empty());
        EXPECT_EQ(f.b.out.Kotae, "690");
        EXPECT_EQ(AnswerText(f), "690");
    }
}

TEST(KakezanDsp, ZerosSetApartAreBroughtDownIntoTheProduct) {
    BoardFixture f;
    f.jk.MatsubiZeroKake = 1;
    f.jk.SYOUPTLNDSP = 1;
    f.load("230", '*', "30");
    f.layOn(body::KakezanDsp);  // the work copy as the body left it
    const hissan::Run& b = f.b;
    const int W = b.CellW;
    // 23 x 3 with one-digit multiplier: no sum; both zeros right of RightX.
    EXPECT_EQ(b.RightX, b.OriginX + 3 * W);
    EXPECT_EQ(Digits(f), (Rows{"  230", "*  30", "  6900"}));
    EXPECT_EQ(b.w.ZenkouKeta, 2);
    EXPECT_EQ(b.w.KoukouKeta, 1);
    const int yProduct = boardRows(f.ops(), b).back().y;
    for (int j = 0; j < 2; ++j) {
        const Op* z = TextAt(f, b.RightX + j * W, yProduct);
        ASSERT_NE(z, nullptr);
        EXPECT_EQ(z->colour, kAux) << j;
    }
    EXPECT_TRUE(Lines(f, Colour::of(Role::RedLine)).empty());
    // The dotted reference line at RightX.
    int dotted = 0;
    for (const Op& op : f.ops())
        if (op.kind == Op::Line && op.dotted) {
            ++dotted;
            EXPECT_EQ(op.x1, b.RightX);
            EXPECT_EQ(op.x2, b.RightX);
        }
    EXPECT_EQ(dotted, 1);
    EXPECT_EQ(b.out.Kotae, "6900");
    EXPECT_EQ(AnswerText(f), "6900");

    // Without the condition the zeros are multiplied like every digit.
    BoardFixture g;
    Kakeru(g, "230", "30");
    EXPECT_EQ(Digits(g), (Rows{"  230", "*  30", " 6900"}));
    EXPECT_EQ(g.b.out.Kotae, "6900");
}

TEST(Kakezan, SetApartZerosComeDownIntoTheProductOnly) {
    // 2300 x 450: the partial products are 115 and 92, not 115000; the zeros
    // stand right of the product alone, in the auxiliary colour.
    struct Case {
        const char *a, *c;
        Rows rows;
    };
    for (const Case& k : {Case{"2300", "450", {"  2300", "* 450", " 115", " 92", "1035000"}},
                          Case{"1000", "1.5", {"  1000", "*1.5", "  5", " 1", " 1500.0"}}}) {
        BoardFixture f;
        f.jk.MatsubiZeroKake = 1;
        Kakeru(f, k.a, k.c);
        EXPECT_EQ(Digits(f), k.rows) << k.a << "*" << k.c;
        const int yProduct = boardRows(f.ops(), f.b).back().y;
        int zeros = 0;
        for (const Op* op : Find(f, Op::Text, kAux)) {
            if (op->text != "０" || op->x1 < f.b.RightX) continue;
            ++zeros;
            EXPECT_TRUE(op->y1 == yProduct || op->y1 < yProduct - 2 * f.b.LineH)
                << "a set-apart zero beside a partial product at y " << op->y1;
        }
        EXPECT_GT(zeros, 0);
    }
}

TEST(Kakezan, BothRulesSpanTheRowsBetweenAndUnderThem) {
    for (auto [a, c] : {std::pair{"990", "990"},
                        {"99", "990"},
                        {"1234", "1005"},
                        {"2300", "450"},
                        {"23", "45"},
                        {"1.25", "1005"},
                        {"1.5", "1.5"},
                        {"123456789012345678", "12345678901"},
                        {"3", "0.25"},
                        {"99", "900"}})
        for (int matsubi : {0, 1})
            for (int kuriagari : {0, 1}) {
                BoardFixture f;
                f.jk.MatsubiZeroKake = matsubi;
                f.jk.KURIAGARI = kuriagari;
                Kakeru(f, a, c);
                EXPECT_TRUE(RulesSpanTheirRows(f))
                    << a << "*" << c << " matsubi " << matsubi << " kuriagari " << kuriagari;
            }
    // 1234 x 1005: the second partial product starts left of the sign, so
    // both rules start one column left of it, as far as each other.
    BoardFixture f;
    Kakeru(f, "1234", "1005");
    std::vector<int> lefts;
    for (const Op* op : Find(f, Op::Line, Colour::of(Role::Rule))) lefts.push_back(op->x1);
    for (const Op* op : Lines(f, Colour::of(Role::RedLine)))
        lefts.push_back(std::min(op->x1, op->x2));
    ASSERT_EQ(lefts.size(), 2u);
    EXPECT_EQ(lefts[0], f.b.RightX - 8 * f.b.CellW);
    EXPECT_EQ(lefts[1], lefts[0]);
}

TEST(ShosuKakezanDsp, ALeadingZeroOfTheMultiplierLeavesNoEmptyBand) {
    // The sum follows the last partial product at the usual pitch whether or
    // not zeros before the multiplier's first digit are skipped.
    for (auto [a, skipped, plain] :
         {std::tuple{"3", "0.25", "2.5"}, {"8", "0.125", "1.25"}, {"300", "0.025", "2.5"}})
        for (int kuriagari : {0, 1}) {
            BoardFixture f, g;
            f.jk.KURIAGARI = g.jk.KURIAGARI = kuriagari;
            Kakeru(f, a, skipped);
            Kakeru(g, a, plain);
            const auto rf = Lines(f, Colour::of(Role::RedLine));
            const auto rg = Lines(g, Colour::of(Role::RedLine));
            ASSERT_FALSE(rf.empty()) << a << "*" << skipped;
            ASSERT_FALSE(rg.empty()) << a << "*" << plain;
            EXPECT_EQ(rf[0]->y1, rg[0]->y1) << a << "*" << skipped << " kuriagari " << kuriagari;
            EXPECT_EQ(boardRows(f.ops(), f.b).back().y, boardRows(g.ops(), g.b).back().y);
        }
}

TEST(KakezanDsp, ZeroOperandsGiveTheProductZeroUnderTheLastDigit) {
    struct Case {
        const char *a, *c;
        Rows rows;
    };
    for (const Case& k :
         {Case{"0", "57", {"   0", "* 57", "   0"}}, Case{"57", "0", {"  57", "*  0", "   0"}},
          Case{"570", "0", {"  570", "*   0", "    0"}}, Case{"0", "0", {"  0", "* 0", "  0"}}}) {
        BoardFixture f;
        Kakeru(f, k.a, k.c);
        EXPECT_EQ(Digits(f), k.rows) << k.a << "*" << k.c;
        const Op* product = TextAt(f, f.b.RightX - f.b.CellW, boardRows(f.ops(), f.b).back().y);
        ASSERT_NE(product, nullptr);
        EXPECT_EQ(product->colour, kAnswer);
        EXPECT_EQ(f.b.out.Kotae, "0");
        EXPECT_EQ(AnswerText(f), "0");
    }
    // Set apart, the zero multiplier stands under the multiplicand's last zero.
    BoardFixture f;
    f.jk.MatsubiZeroKake = 1;
    Kakeru(f, "5700", "0");
    EXPECT_EQ(Digits(f), (Rows{"  5700", "*    0", "     0"}));
    EXPECT_EQ(f.b.out.Kotae, "0");
}

TEST(KakezanDsp, CarriesMoveTheRowsApartOnlyWhenShown) {
    BoardFixture on, off;
    off.jk.KURIAGARI = 0;
    Kakeru(on, "23", "45");
    Kakeru(off, "23", "45");
    const auto a = boardRows(on.ops(), on.b);
    const auto b = boardRows(off.ops(), off.b);
    EXPECT_TRUE(Carries(off).empty());
    EXPECT_EQ(Digits(on), Digits(off));
    // "115" and "92" rows: one cell apart, plus half a line with the carries.
    auto rowY = [](const std::vector<BoardRow>& rows, const std::string& text) {
        for (const BoardRow& r : rows)
            if (r.text.find(text) != std::string::npos) return r.y;
        return -1;
    };
    EXPECT_EQ(rowY(b, "92") - rowY(b, "115"), off.b.CellW);
    EXPECT_EQ(rowY(a, "92") - rowY(a, "115"), on.b.CellW + on.b.LineH / 2);
}

TEST(KakezanDsp, LargestOperandsCarryTenAndMoreInTheSum) {
    BoardFixture f;
    Kakeru(f, "999999999999999999", "99999999999");
    EXPECT_EQ(f.b.out.Kotae, "99999999998999999900000000001");
    EXPECT_EQ(AnswerText(f), "99999999998999999900000000001");
    // Eleven partial products of 9s carry 10 in the middle columns: written
    // as two digits, never as the unknown-glyph box.
    for (const Op& op : f.ops()) EXPECT_EQ(op.text.find("□"), std::string::npos);
    bool ten = false;
    for (const Op* op : Find(f, Op::Text, Colour::of(Role::Carry))) ten |= op->text == "１０";
    EXPECT_TRUE(ten);
}

TEST(KakezanDsp, UnreadableOperandShowsTheOverflowMessageAndDrawsNothing) {
    BoardFixture f;
    f.load("12", '*', "34");
    f.b.w.Zenkou = "1234567890123456789012";  // beyond any 64-bit integer
    f.layOn(body::KakezanDsp);
    ASSERT_EQ(f.b.out.messages.size(), 1u);
    EXPECT_EQ(f.b.out.messages[0].text, "ケタがオーバー！");
    EXPECT_EQ(f.b.out.messages[0].title, "残念！");
    EXPECT_TRUE(f.ops().empty());
    EXPECT_EQ(f.b.out.Kotae, "");

    BoardFixture g;
    g.load("12", '*', "34");
    g.b.w.Koukou = "3x";
    g.layOn(body::KakezanDsp);
    EXPECT_EQ(g.b.out.messages.size(), 1u);
    EXPECT_TRUE(g.ops().empty());
}

// ---- decimals ----------------------------------------------------------------

TEST(ShosuKakezanDsp, OnePartialProductIsOverwrittenAndALeadingZeroAdded) {
    BoardFixture f;
    Kakeru(f, "0.9", "0.9");
    const hissan::Run& b = f.b;
    // 81 written over by the sum on the same row, then the zero and the point.
    EXPECT_EQ(Digits(f), (Rows{" 0.9", "*0.9", "0.81"}));
    // The added zero in the ones column is in the note colour.
    const Op* zero = TextAt(f, b.RightX - 3 * b.CellW, boardRows(f.ops(), b).back().y);
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->text, "０");
    EXPECT_EQ(zero->colour, kNote);
    EXPECT_EQ(b.out.Kotae, "0.81");
    EXPECT_EQ(AnswerText(f), "0.81");
}

TEST(ShosuKakezanDsp, TwoPartialProductsThenThePoint) {
    BoardFixture f;
    Kakeru(f, "1.5", "1.5");
    EXPECT_EQ(Digits(f), (Rows{" 1.5", "*1.5", " 75", "15", "2.25"}));
    // Partial-product carries in the carry colour, sum carries in the note colour.
    EXPECT_EQ(Carries(f), (Rows{" 2", "1"}));
    const auto carries = Find(f, Op::Text, Colour::of(Role::Carry));
    ASSERT_EQ(carries.size(), 1u);
    EXPECT_EQ(carries[0]->text, "２");
    const Op* sumCarry = TextAt(f, Trunc(f.b.RightX - 2 * f.b.CellW - 1.4 * f.b.DigitW),
                                boardRows(f.ops(), f.b)[6].y);
    ASSERT_NE(sumCarry, nullptr);
    EXPECT_EQ(sumCarry->colour, kNote);
    EXPECT_EQ(Lines(f, Colour::of(Role::RedLine)).size(), 1u);
    EXPECT_EQ(f.b.out.Kotae, "2.25");
}

TEST(ShosuKakezanDsp, TrailingDecimalZerosAreMarked) {
    BoardFixture f;
    Kakeru(f, "2.5", "4");
    const hissan::Run& b = f.b;
    EXPECT_EQ(Digits(f), (Rows{" 2.5", "* 4", "10.0"}));
    const auto marks = Lines(f, kAux);
    // One slanted mark over the tenths zero (the other aux line is the answer underline).
    ASSERT_EQ(marks.size(), 2u);
    const int ys = boardRows(f.ops(), b).back().y;
    EXPECT_EQ(marks[0]->x1, b.RightX - b.CellW);
    EXPECT_EQ(marks[0]->y1, ys);
    EXPECT_EQ(marks[0]->x2, Trunc(b.RightX - b.CellW + 0.8 * b.CellW));
    EXPECT_EQ(marks[0]->y2, ys + b.LineH);
    EXPECT_EQ(b.out.Kotae, "10");
    EXPECT_EQ(AnswerText(f), "10");
}

TEST(ShosuKakezanDsp, ZeroOperandGivesOnlyTheZeroProduct) {
    for (auto [a, c] : {std::pair{"0.5", "0"}, {"0", "2.5"}, {"0.00", "12.5"}}) {
        BoardFixture f;
        Kakeru(f, a, c);
        const auto rows = boardRows(f.ops(), f.b);
        const Op* zero = TextAt(f, f.b.RightX - f.b.CellW, rows.back().y);
        ASSERT_NE(zero, nullptr) << a << "*" << c;
        EXPECT_EQ(zero->colour, kNote);
        EXPECT_TRUE(Lines(f, Colour::of(Role::RedLine)).empty());
        EXPECT_EQ(f.b.out.Kotae, "0");
        EXPECT_EQ(AnswerText(f), "0");
    }
}

TEST(ShosuKakezanDsp, KotaeIsTheColumnResultEvenBeyondFloatingPoint) {
    BoardFixture f;
    Kakeru(f, "1234567.891", "9876543.21");
    // 20 significant digits: a double would round them.
    EXPECT_EQ(f.b.out.Kotae, "12193263121140.07011");
    EXPECT_EQ(AnswerText(f), "12193263121140.07011");

    BoardFixture g;
    Kakeru(g, "99999999.9999999999", "9999999.9999");
    EXPECT_EQ(g.b.out.Kotae, "999999999989999.99900000000001");
    EXPECT_TRUE(g.b.out.messages.empty());
}

TEST(ShosuKakezanDsp, IntegerZerosAreBroughtDownAndCountedOnce) {
    // 0.0025 x 40: 25 x 4 = 100 and the zero of 40 give 1000; four decimals
    // need a zero in the ones column.
    BoardFixture f;
    Kakeru(f, "0.0025", "40");
    EXPECT_EQ(Digits(f).back(), "  0.1000");
    EXPECT_EQ(f.b.out.Kotae, "0.1");
    // Set apart: the zeros stand right of RightX in the aux colour.
    BoardFixture g;
    g.jk.MatsubiZeroKake = 1;
    Kakeru(g, "2.5", "4000");
    EXPECT_EQ(Digits(g).back(), "10000.0");
    const Op* z = TextAt(g, g.b.RightX, boardRows(g.ops(), g.b).back().y);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->colour, kAux);
    EXPECT_EQ(g.b.out.Kotae, "10000");
}

TEST(ShosuKakezanDsp, SettingsPanelShiftsTheWholePicture) {
    // Showing the panel moves every glyph by HARUFA, the brought-down zeros too.
    for (auto [a, c] : {std::pair{"2.5", "40"}, {"40", "2.5"}, {"0.05", "30"}}) {
        for (int kuriagari : {0, 1}) {
            BoardFixture plain, panel;
            plain.jk.KURIAGARI = panel.jk.KURIAGARI = kuriagari;
            panel.jk.HARUFA = 65;
            Kakeru(plain, a, c);
            Kakeru(panel, a, c);
            ASSERT_EQ(plain.ops().size(), panel.ops().size());
            for (size_t k = 0; k < plain.ops().size(); ++k) {
                const Op &p = plain.ops()[k], &q = panel.ops()[k];
                if (p.kind != Op::Text || p.size != plain.b.MojiSize) continue;
                EXPECT_EQ(q.y1 - p.y1, 65) << a << "*" << c << " " << p.text << " at " << p.x1;
            }
        }
    }
}

TEST(ShosuKakezanDsp, DamagedWorkCopyDrawsNothing) {
    // Beyond the entry limits: the overflow message, as for integers.
    BoardFixture f;
    f.load("1.5", '*', "2");
    f.b.w.ZenkouShosu = std::string(40, '7');
    f.layOn(body::ShosuKakezanDsp);
    ASSERT_EQ(f.b.out.messages.size(), 1u);
    EXPECT_EQ(f.b.out.messages[0].text, "ケタがオーバー！");
    EXPECT_TRUE(f.ops().empty());
    // Not digits at all: nothing to multiply, nothing drawn.
    for (auto damage :
         {+[](WorkCopy& w) { w.KoukouShosu = "5."; }, +[](WorkCopy& w) { w.Zenkou.clear(); }}) {
        BoardFixture g;
        g.load("1.5", '*', "2.5");
        damage(g.b.w);
        g.layOn(body::ShosuKakezanDsp);
        EXPECT_TRUE(g.ops().empty());
        EXPECT_EQ(g.b.out.Kotae, "");
    }
}

TEST(Kakezan, PartNamesAndStepPoints) {
    struct Case {
        const char *a, *c, *product;
        int steps;
        int matsubi = 0, kuriagari = 1;
    };
    // Integer: one before the partial products, one before each product digit,
    // one per sum column, one before the answer. Decimal: also one before
    // each multiplier digit and one after each product digit, and the point.
    // An integer product has its name on its own row, also when it is the
    // only partial product or the zero product.
    for (const Case& k :
         {Case{"23", "45", "1035←積", 1 + 4 + 4 + 1}, Case{"230", "30", "6900←積", 1 + 2 + 1, 1},
          Case{"0", "57", "0←積", 1, 0, 0}, Case{"0", "57", "0←積", 1},
          Case{"1.5", "1.5", "2.25", 1 + 2 + 4 + 4 + 1 + 1}}) {
        BoardFixture f;
        f.jk.QQ_FLAG = 1;
        f.jk.MatsubiZeroKake = k.matsubi;
        f.jk.KURIAGARI = k.kuriagari;
        Kakeru(f, k.a, k.c);
        const auto rows = boardRows(f.ops(), f.b);
        EXPECT_NE(rows[2].text.find("←かけられる数"), std::string::npos) << k.a;
        EXPECT_NE(rows[4].text.find("←かける数"), std::string::npos) << k.a;
        auto trimmed = [](std::string t) {
            t.erase(0, t.find_first_not_of(' '));
            return t;
        };
        const bool integer = std::string(k.a).find('.') == std::string::npos;
        const bool besideTheProduct =
            trimmed(rows.back().text) == k.product ||
            (!integer && rows.back().text.find("←積") != std::string::npos &&
             rows[rows.size() - 2].text == k.product);
        EXPECT_TRUE(besideTheProduct) << k.a << "*" << k.c << ": " << rows.back().text;
        int steps = 0;
        for (const Op& op : f.ops()) steps += op.kind == Op::Step;
        EXPECT_EQ(steps, k.steps) << k.a;
    }
}
}  // namespace
}  // namespace hissan::test
