// The board primitives and text helpers every layout relies on.
#include "hissan/primitives.h"

#include <gtest/gtest.h>

#include "tests/engine/support.h"

namespace hissan {
namespace {

using test::BoardFixture;

std::vector<const Op*> opsOf(const DisplayList& ops, Op::Kind kind) {
    std::vector<const Op*> out;
    for (const Op& op : ops)
        if (op.kind == kind) out.push_back(&op);
    return out;
}

TEST(ZenkakuMoji, TableAndUnknownCharacters) {
    EXPECT_EQ(ZenkakuMoji('0'), "０");
    EXPECT_EQ(ZenkakuMoji('9'), "９");
    EXPECT_EQ(ZenkakuMoji('+'), "＋");
    EXPECT_EQ(ZenkakuMoji('-'), "－");
    EXPECT_EQ(ZenkakuMoji('*'), "×");
    EXPECT_EQ(ZenkakuMoji('/'), "÷");
    EXPECT_EQ(ZenkakuMoji('='), "＝");
    EXPECT_EQ(ZenkakuMoji(' '), "\u3000");
    EXPECT_EQ(ZenkakuMoji(')'), ")");
    EXPECT_EQ(ZenkakuMoji('.'), ".");
    EXPECT_EQ(ZenkakuMoji('a'), "□");
    EXPECT_EQ(ZenkakuMoji('\0'), "□");
}

TEST(MojiDsp, DigitValueAndCharacterDrawTheSameGlyph) {
    BoardFixture f;
    MojiDsp(f.b, 100, 50, Colour::of(Role::Digit), 40, 7, 0, 0);
    MojiDsp(f.b, 200, 50, Colour::of(Role::Digit), 40, "7", 0, 0);
    auto texts = opsOf(f.ops(), Op::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, "７");
    EXPECT_EQ(texts[1]->text, "７");
}

TEST(MojiDsp, StruckZeroDrawsZeroWithFallingDiagonal) {
    BoardFixture f;
    MojiDsp(f.b, 100, 50, Colour::of(Role::Note), 40, "z", 0, 0);
    auto texts = opsOf(f.ops(), Op::Text);
    auto lines = opsOf(f.ops(), Op::Line);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "０");
    ASSERT_EQ(lines.size(), 1u);
    const int c = f.b.CellW;  // 52 with the fixed metric
    EXPECT_EQ(lines[0]->x1, 100 + c / 10);
    EXPECT_EQ(lines[0]->y1, 50 + c / 10);
    EXPECT_EQ(lines[0]->x2, 100 + 40 + c / 10);
    EXPECT_EQ(lines[0]->y2, 50 + 40 + c / 10);
    EXPECT_EQ(lines[0]->width, 2);
    EXPECT_EQ(lines[0]->colour, Colour::of(Role::Strike));
}

TEST(MojiDsp, BackgroundSquareIsCellWhileTypingAndGlyphSizeWhileDrawing) {
    BoardFixture f;
    f.b.typing = true;
    MojiPut(f.b, 10, 20, Colour::of(Role::Digit), 40, "1");
    f.b.typing = false;
    MojiPut(f.b, 10, 20, Colour::of(Role::Digit), 30, "1");
    auto rects = opsOf(f.ops(), Op::Rect);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0]->x2 - rects[0]->x1, f.b.CellW);
    EXPECT_EQ(rects[1]->x2 - rects[1]->x1, 30);
    EXPECT_EQ(rects[1]->colour, Colour::of(Role::Background));
}

TEST(MojiDsp, PointIsSmallDotLowerAndStruckPointIsSlanted) {
    BoardFixture f;
    MojiDsp(f.b, 100, 50, Colour::of(Role::Point), 40, ".", 1, 0);
    auto texts = opsOf(f.ops(), Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "●");
    EXPECT_EQ(texts[0]->size, 12);
    EXPECT_EQ(texts[0]->y1, 50 + Trunc(0.6 * f.b.CharH));
    EXPECT_TRUE(opsOf(f.ops(), Op::Rect).empty()) << "a point never wipes its neighbours";
    auto lines = opsOf(f.ops(), Op::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->colour, Colour::of(Role::PointStrike));
    EXPECT_EQ(lines[0]->x2, 100 + Trunc(0.3 * f.b.CellW));
}

TEST(MojiDsp, DelayRecordsAPauseBeforeTheGlyph) {
    BoardFixture f;
    MojiDsp(f.b, 0, 0, Colour::of(Role::Digit), 40, 1, 0, 1);
    ASSERT_GE(f.ops().size(), 2u);
    EXPECT_EQ(f.ops()[0].kind, Op::Pause);
    EXPECT_EQ(f.ops()[0].units, 1);
}

TEST(StepMachi, RecordsOnlyWhileALayoutRuns) {
    BoardFixture f;
    f.b.stepPoints = false;
    EXPECT_EQ(StepMachi(f.b), 0);
    EXPECT_TRUE(f.ops().empty());
    f.b.stepPoints = true;
    StepMachi(f.b);
    ASSERT_EQ(f.ops().size(), 1u);
    EXPECT_EQ(f.ops()[0].kind, Op::Step);
}

TEST(KotaeDsp, AnswerRemainderUnderlineAndEndMark) {
    BoardFixture f;
    f.load("7", '/', "8");
    KotaeDsp(f.b, 300, 0, "0.", "7");
    auto texts = opsOf(f.ops(), Op::Text);
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0]->text, "0") << "a final point is dropped";
    EXPECT_EQ(texts[0]->size, 48);
    EXPECT_EQ(texts[0]->colour, Colour::of(Role::Answer));
    EXPECT_EQ(texts[0]->y1, f.b.OriginY);
    EXPECT_EQ(texts[1]->text, "あまり");
    EXPECT_EQ(texts[1]->size, 24);
    EXPECT_EQ(texts[1]->y1, f.b.OriginY + f.b.CharH / 3);
    EXPECT_EQ(texts[2]->text, "7");
    EXPECT_EQ(texts[3]->text, "[終わり]");
    EXPECT_TRUE(texts[3]->stepOnly);
    EXPECT_FALSE(texts[2]->stepOnly);
    auto lines = opsOf(f.ops(), Op::Line);
    ASSERT_EQ(lines.size(), 1u);
    // One glyph height of the answer font below the row.
    EXPECT_EQ(lines[0]->y1, f.b.OriginY + 48 * 4 / 3);
    EXPECT_EQ(lines[0]->x1, 300);
    EXPECT_EQ(lines[0]->x2, texts[2]->x2);
    EXPECT_EQ(lines[0]->colour, Colour::of(Role::Aux));
    EXPECT_FALSE(f.b.stepPoints) << "later step points of the run no longer wait";
    // The division note above the expression line.
    EXPECT_EQ(texts.back()->text, "(商は 整数 の位まで)");
    EXPECT_TRUE(texts.back()->bold);
    EXPECT_TRUE(texts.back()->underline);
}

TEST(KotaeDsp, SecondLineWithLineBreakAtEquals) {
    BoardFixture f;
    f.jk.KAIGYO_FLAG = 1;
    f.jk.HARUFA = 65;
    f.load("1", '+', "2");
    KotaeDsp(f.b, 999, 0, "3", "0");
    auto texts = opsOf(f.ops(), Op::Text);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0]->x1, f.b.OriginX + f.b.CellW);
    EXPECT_EQ(texts[0]->y1, Trunc(f.b.OriginY + 65 + 1.2 * f.b.LineH));
    for (const Op* t : texts) EXPECT_NE(t->text, "あまり");
}

TEST(WarizanChuuki, EveryQuotientMode) {
    EXPECT_EQ(WarizanChuuki(0, 0, false), "(商は 整数 の位まで)");
    EXPECT_EQ(WarizanChuuki(0, 3, false), "(商は 小数第 3位まで求め、余りを出す)");
    EXPECT_EQ(WarizanChuuki(1, 0, false), "(商は 整数 の位まで)");
    EXPECT_EQ(WarizanChuuki(1, 1, false), "(商は 小数第1位を四捨五入し、整数の位まで求める)");
    EXPECT_EQ(WarizanChuuki(1, 10, false), "(商は 小数第10位を四捨五入し、小数第9位まで求める)");
    EXPECT_EQ(WarizanChuuki(2, 10, true),
              "(商は 割り切れるまで［max小数第10位］) …まだ割り切れません。。。");
    EXPECT_EQ(WarizanChuuki(2, 10, false),
              "(商は 割り切れるまで［max小数第10位］) …割り切れました。");
}

TEST(TextHelpers, KotaeSeiri) {
    EXPECT_EQ(KotaeSeiri("0.0"), "0");
    EXPECT_EQ(KotaeSeiri(".0"), "0");
    EXPECT_EQ(KotaeSeiri(".5"), ".5");
    EXPECT_EQ(KotaeSeiri("3."), "3");
    EXPECT_EQ(KotaeSeiri("00.500"), "0.5");
    EXPECT_EQ(KotaeSeiri("12.000"), "12");
    EXPECT_EQ(KotaeSeiri("007"), "7");
    EXPECT_EQ(KotaeSeiri("000"), "0");
    EXPECT_EQ(KotaeSeiri("100"), "100") << "integer zeros are digits, not padding";
    EXPECT_EQ(KotaeSeiri(""), "0");
    EXPECT_EQ(KotaeSeiri("."), "0");
}

TEST(TextHelpers, ZeroCountsAndSignificantDigits) {
    EXPECT_EQ(SentouZeroKesi("0070"), "70");
    EXPECT_EQ(SentouZeroKesi("000"), "0");
    EXPECT_EQ(SentouZeroKesi("00.5"), "00.5");
    EXPECT_EQ(SentouZeroKesi(""), "");

    EXPECT_EQ(YuukouKeta(""), -1);
    EXPECT_EQ(YuukouKeta("."), -1);
    EXPECT_EQ(YuukouKeta("0"), -1);
    EXPECT_EQ(YuukouKeta("0.05"), 1);
    EXPECT_EQ(YuukouKeta("120"), 3);
    EXPECT_EQ(YuukouKeta("00.0"), 5);

    EXPECT_EQ(MatsubiZeroSuu(""), 0);
    EXPECT_EQ(MatsubiZeroSuu("000"), 3);
    EXPECT_EQ(MatsubiZeroSuu("1200"), 2);
    EXPECT_EQ(MatsubiZeroSuu("5"), 0);

    EXPECT_EQ(SaishoHiZero(""), -1);
    EXPECT_EQ(SaishoHiZero("007"), 3);
    EXPECT_EQ(SaishoHiZero("00"), 3);
    EXPECT_EQ(SaishoHiZero("5"), 1);
}

TEST(TextHelpers, PlaceNames) {
    EXPECT_EQ(KuraiMei(0), "一");
    EXPECT_EQ(KuraiMei(2), "百");
    EXPECT_EQ(KuraiMei(4), "一万");
    EXPECT_EQ(KuraiMei(7), "千万");
    EXPECT_EQ(KuraiMei(8), "一億");
    EXPECT_EQ(KuraiMei(15), "千兆");
    EXPECT_EQ(KuraiMei(18), "百京");
    EXPECT_EQ(KuraiMei(19), "");
    EXPECT_EQ(KuraiMei(-1), "");
}

TEST(BoardRows, SnapsGlyphsAndPointsToTheGrid) {
    BoardFixture f;
    const int x0 = f.b.OriginX, c = f.b.CellW, y = 200;
    MojiPut(f.b, x0 + c, y, Colour::of(Role::Digit), 40, "1");
    MojiPut(f.b, x0 + 2 * c, y, Colour::of(Role::Digit), 40, "2");
    MojiPut(f.b, x0 + 3 * c, y, Colour::of(Role::Digit), 40, "5");
    MojiPut(f.b, Trunc(x0 + 3 * c - 0.2 * c), y, Colour::of(Role::Point), 40, ".");
    MojiPut(f.b, x0, y + 80, Colour::of(Role::Sign), 40, "+");
    MojiPut(f.b, x0 + 3 * c, y + 80, Colour::of(Role::Digit), 40, "3");
    auto rows = f.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], " 12.5");
    EXPECT_EQ(rows[1], "+  3");
}

}  // namespace
}  // namespace hissan
