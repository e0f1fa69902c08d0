// Written subtraction: the borrow marks, grey leading zeros, padded and
// struck decimal zeros, read back from the board as the pupil sees it.
#include <gtest/gtest.h>

#include "tests/engine/addsub_support.h"

namespace hissan::test {
namespace {

const Colour kDigit = Colour::of(Role::Digit);
const Colour kCarry = Colour::of(Role::Carry);

std::vector<std::string> TextsOf(const std::vector<const Op*>& ops) {
    std::vector<std::string> out;
    for (const Op* op : ops) out.push_back(op->text);
    return out;
}

TEST(HikizanDsp, BorrowChainThroughZerosAndGreyLeadingZero) {
    BoardFixture f;
    f.load("1000", '-', "1");
    f.lay(HikizanDsp);
    const hissan::Run& b = f.b;
    const int W = b.CellW, L = b.LineH, yT = Trunc(b.OriginY + 2.5 * L);
    const int y3 = Trunc(Trunc(yT + 1.2 * L) + 1.6 * L);
    // Ones, tens and hundreds borrow: each slashes its left neighbour.
    const auto slashes = Find(f, Op::Line, Colour::of(Role::RedLine));
    ASSERT_EQ(slashes.size(), 3u);
    for (int c = 0; c < 3; ++c) {
        const int x = b.RightX - (c + 1) * W;
        EXPECT_EQ(slashes[c]->x1, x - W);
        EXPECT_EQ(slashes[c]->y1, yT);
        EXPECT_EQ(slashes[c]->x2, x - W + b.CharH);
        EXPECT_EQ(slashes[c]->y2, yT + b.CharH);
    }
    // A small "10" over each borrowing digit; 9, 9 and 0 over the lenders.
    const auto tens = Find(f, Op::Text, kCarry);
    EXPECT_EQ(TextsOf(tens), (std::vector<std::string>{"１", "０", "１", "０", "１", "０"}));
    EXPECT_EQ(tens[0]->x1, b.RightX - W - b.MojiSize / 5);
    EXPECT_EQ(tens[1]->x1, b.RightX - W - b.MojiSize / 5 + b.KomojiSize);
    EXPECT_EQ(tens[0]->y1, yT - L / 3);
    const auto lowered = Find(f, Op::Text, Colour::of(Role::ReducedDigit));
    EXPECT_EQ(TextsOf(lowered), (std::vector<std::string>{"９", "９", "０"}));
    EXPECT_EQ(lowered[0]->x1, Trunc(b.RightX - W - 0.8 * W + b.KomojiSize));
    EXPECT_EQ(lowered[0]->y1, Trunc(yT - 0.6 * L));

    EXPECT_EQ(f.rows().back(), " 0999");
    EXPECT_EQ(TextAt(f, b.RightX - 4 * W, y3)->colour, kGrey);
    EXPECT_EQ(b.out.Kotae, "0999");
    EXPECT_EQ(TextAt(f, Trunc(b.EqualX + 1.2 * W), b.OriginY)->text, "999");

    // Without borrow marks only the marks go; digits and answer stay.
    const auto rows = f.rows();
    f.jk.KURISAGARI = 0;
    f.load("1000", '-', "1");
    f.lay(HikizanDsp);
    EXPECT_TRUE(Find(f, Op::Line, Colour::of(Role::RedLine)).empty());
    EXPECT_TRUE(Find(f, Op::Text, kCarry).empty());
    ASSERT_EQ(rows.size(), 6u);  // answer, lowered digits, "10"s, two operands, difference
    EXPECT_EQ(f.rows(), (std::vector<std::string>{rows[0], rows[3], rows[4], rows[5]}));
    EXPECT_EQ(f.b.out.Kotae, "0999");
}

TEST(HikizanDsp, ZeroDifferenceKeepsItsOnlyDigitInTheDigitColour) {
    BoardFixture f;
    f.load("5", '-', "5");
    f.lay(HikizanDsp);
    EXPECT_EQ(f.rows(), (std::vector<std::string>{"    0", " 5", "-5", " 0"}));
    EXPECT_TRUE(Find(f, Op::Text, kGrey).empty());
    EXPECT_EQ(f.b.out.Kotae, "0");
}

TEST(ShosuHikizanDsp, ShorterDecimalsArePaddedInTheAuxiliaryColour) {
    BoardFixture f;
    f.load("0.5", '-', "0.25");
    f.layOn(body::ShosuHikizanDsp);  // the work copy as the body left it
    const hissan::Run& b = f.b;
    const int W = b.CellW, L = b.LineH, yT = Trunc(b.OriginY + 2.5 * L);
    EXPECT_EQ(TextAt(f, b.RightX + W, yT)->colour, Colour::of(Role::Aux));
    EXPECT_TRUE(Find(f, Op::Text, Colour::of(Role::AddedPoint)).empty());
    EXPECT_EQ(b.w.ZenkouShosu, "50");
    // The hundredths borrow from the tenths 5: aqua slash, 4 above it.
    const auto slashes = Find(f, Op::Line, Colour::of(Role::AquaLine));
    ASSERT_EQ(slashes.size(), 1u);
    EXPECT_EQ(slashes[0]->x1, b.RightX);
    EXPECT_EQ(slashes[0]->y1, Trunc(yT + 0.1 * b.CharH));
    EXPECT_EQ(slashes[0]->x2, Trunc(b.RightX + W - 0.2 * W));
    EXPECT_EQ(slashes[0]->y2, Trunc(yT + 0.8 * b.CharH));
    const auto lowered = Find(f, Op::Text, Colour::of(Role::ReducedDigit));
    ASSERT_EQ(lowered.size(), 1u);
    EXPECT_EQ(lowered[0]->text, "４");
    EXPECT_EQ(lowered[0]->x1, Trunc(b.RightX + W - 0.4 * W));
    EXPECT_EQ(TextsOf(Find(f, Op::Text, kCarry)), (std::vector<std::string>{"１", "０"}));
    // The integer 0 of the difference is its last integer digit: not grey.
    EXPECT_EQ(f.rows().back(), " 0.25");
    EXPECT_TRUE(Find(f, Op::Text, kGrey).empty());
    EXPECT_EQ(b.out.Kotae, "0.25");
}

TEST(ShosuHikizanDsp, IntegerFirstOperandGetsAPointAndBorrowsFromItsOnes) {
    BoardFixture f;
    f.load("3", '-', "1.5");
    f.lay(ShosuHikizanDsp);
    const hissan::Run& b = f.b;
    const int yT = Trunc(b.OriginY + 2.5 * b.LineH);
    const auto added = Find(f, Op::Text, Colour::of(Role::AddedPoint));
    ASSERT_FALSE(added.empty());
    EXPECT_EQ(added[0]->x1, b.TenX);
    EXPECT_EQ(TextAt(f, b.RightX, yT)->colour, Colour::of(Role::Aux));
    EXPECT_EQ(f.rows()[3], " 3.0");  // under the answer and the two mark rows
    const auto slashes = Find(f, Op::Line, Colour::of(Role::AquaLine));
    ASSERT_EQ(slashes.size(), 1u);
    EXPECT_EQ(slashes[0]->x1, b.RightX - b.CellW);  // over the ones digit 3
    EXPECT_EQ(TextsOf(Find(f, Op::Text, Colour::of(Role::ReducedDigit))),
              std::vector<std::string>{"２"});
    EXPECT_EQ(b.out.Kotae, "1.5");
}

TEST(ShosuHikizanDsp, TrailingZerosOfTheDifferenceAreStruck) {
    BoardFixture f;
    f.load("2.5", '-', "1.5");
    f.lay(ShosuHikizanDsp);
    const hissan::Run& b = f.b;
    const int ya = Trunc(Trunc(Trunc(b.OriginY + 2.5 * b.LineH) + 1.2 * b.LineH) + 1.3 * b.LineH) +
                   b.LineH / 3;
    EXPECT_EQ(TextAt(f, b.RightX, ya)->colour, Colour::of(Role::Note));
    EXPECT_EQ(Find(f, Op::Line, Colour::of(Role::Strike)).size(), 1u);
    EXPECT_EQ(b.out.Kotae, "1");

    f.load("2.50", '-', "1.25");
    f.lay(ShosuHikizanDsp);
    EXPECT_TRUE(Find(f, Op::Line, Colour::of(Role::Strike)).empty());
    EXPECT_EQ(f.b.out.Kotae, "1.25");
}

TEST(SubtractionLayouts, RefusedOrDamagedOperandsDoNotCrash) {
    // The evaluation refuses these; a layout run on them must still stay in
    // bounds (the leftmost column borrows from a digit that is not there).
    BoardFixture f;
    for (const char* a : {"1", "0", ".5", "12"}) {
        for (const char* c : {"345", "0.75", "9"}) {
            f.load(a, '-', c);
            RunAddSub(f, '-');
            EXPECT_FALSE(f.b.out.Kotae.empty());
        }
    }
    f.load("1x", '-', "#");
    f.lay(HikizanDsp);
    EXPECT_EQ(f.b.out.Kotae, "10");
}

TEST(SubtractionLayouts, ManyOperandsSubtractExactlyAndStayOnTheGrid) {
    std::mt19937 rng(20240612);
    for (int n = 0; n < 400; ++n) {
        BoardFixture f;
        RandomConditions(rng, f);
        std::string a = RandomOperand(rng, n % 2), c = RandomOperand(rng, n % 2);
        auto part = [](const std::string& s, bool dec) {
            const auto dot = s.find('.');
            return dec ? (dot == std::string::npos ? "" : s.substr(dot + 1)) : s.substr(0, dot);
        };
        if (HikizanCheck(part(a, false), part(c, false), part(a, true), part(c, true)) < 0)
            std::swap(a, c);
        f.load(a, '-', c);
        RunAddSub(f, '-');
        SCOPED_TRACE(a + " - " + c + " size " + std::to_string(f.b.MojiSize));
        EXPECT_EQ(KotaeSeiri(f.b.out.Kotae), Exact(a, c, true));
        if (f.b.w.MaxShosuKeta == 0) EXPECT_EQ(f.b.out.Kotae.size(), size_t(f.b.w.MaxSeisuKeta));
        EXPECT_TRUE(LayoutGeometryIsSound(f));
    }
}

}  // namespace
}  // namespace hissan::test
