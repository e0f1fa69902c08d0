// The reading texts and what the synthesiser is given for them: plain C++,
// no Qt, also run under the sanitizers.
#include "core/yomi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using speech::KazuYomi;
using speech::YomiHenkan;
using speech::YomiSeiki;

TEST(YomiHenkan, OperatorsBecomeWordsAndTheRestPasses) {
    EXPECT_EQ(YomiHenkan("12+34=イコール"), "12たす34=イコール");
    EXPECT_EQ(YomiHenkan("7R2"), "7あまり2");
    EXPECT_EQ(YomiHenkan("*"), "かける");
    EXPECT_EQ(YomiHenkan("/"), "わる");
    EXPECT_EQ(YomiHenkan("-"), "ひく");
    EXPECT_EQ(YomiHenkan("="), "=");
    EXPECT_EQ(YomiHenkan(""), "");
    // The rest of the reading vocabulary, in table order.
    EXPECT_EQ(YomiHenkan("Q1"), "とい1");
    EXPECT_EQ(YomiHenkan("3>2<4:5"), "3だいなり2しょうなり4たい5");
    EXPECT_EQ(YomiHenkan("a_b"), "a。b");
    EXPECT_EQ(YomiHenkan("x^2!"), "エックスの累乗,2のかいじょう");
    EXPECT_EQ(YomiHenkan("p1m2u&"), "プラス1マイナス2。以下省略。答えは");
}

TEST(YomiHenkan, DigitsAfterAPointAreSpacedOneByOne) {
    EXPECT_EQ(YomiHenkan("12.5+3.25=イコール"), "12.5 たす3.2 5 =イコール");
    EXPECT_EQ(YomiHenkan("0.25"), "0.2 5 ");
    EXPECT_EQ(YomiHenkan("1.2.3"), "1.2 .3 ");
    EXPECT_EQ(YomiHenkan("1.5R0.25"), "1.5 あまり0.2 5 ");
}

TEST(YomiHenkan, OnlyALonePointIsSpelledOut) {
    EXPECT_EQ(YomiHenkan("."), "てん");
    EXPECT_EQ(YomiHenkan("3."), "3.");
    EXPECT_EQ(YomiHenkan(".."), "..");
}

TEST(YomiHenkan, CodesMatchWholeCharactersOnly) {
    // No byte of a Japanese character is taken for a code letter.
    EXPECT_EQ(YomiHenkan("イコール"), "イコール");
    EXPECT_EQ(YomiHenkan("ＲＱ本日"), "ＲＱ本日");
    // A broken byte sequence passes unchanged and does not stop the scan.
    EXPECT_EQ(YomiHenkan(std::string("\xE3\x82") + "+"), std::string("\xE3\x82") + "たす");
}

TEST(KazuYomi, SchoolReadingsOfNumbers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "れい"},
        {"4", "よん"},
        {"7", "なな"},
        {"9", "きゅう"},
        {"10", "じゅう"},
        {"12", "じゅうに"},
        {"21", "にじゅういち"},
        {"300", "さんびゃく"},
        {"600", "ろっぴゃく"},
        {"800", "はっぴゃく"},
        {"999", "きゅうひゃくきゅうじゅうきゅう"},
        {"1000", "せん"},
        {"3000", "さんぜん"},
        {"8000", "はっせん"},
        {"10000", "いちまん"},
        {"12345", "いちまん にせんさんびゃくよんじゅうご"},
        {"10000000", "いっせんまん"},
        {"100000000", "いちおく"},
        {"1000000000000", "いっちょう"},
        {"8000000000000", "はっちょう"},
        {"10000000000000", "じゅっちょう"},
        {"10000000000000000", "いっけい"},
        {"600000000000000000", "ろくじゅっけい"},
        {"100000010", "いちおく じゅう"},
        {"007", "なな"},
        {"000", "れい"},
    };
    for (const auto& [digits, reading] : cases) EXPECT_EQ(KazuYomi(digits), reading) << digits;
    // 18 digits, the longest answer the board writes.
    EXPECT_EQ(
        KazuYomi("123456789012345678"),
        "じゅうにけい さんぜんよんひゃくごじゅうろくちょう ななせんはっぴゃくきゅうじゅうおく "
        "いっせんにひゃくさんじゅうよんまん ごせんろっぴゃくななじゅうはち");
    // Past 京 the digits are read one by one; not a number: nothing.
    EXPECT_EQ(KazuYomi(std::string(21, '1')).substr(0, 13), "いち いち");
    EXPECT_EQ(KazuYomi("12a"), "");
}

TEST(YomiSeiki, TheExpressionAndItsAnswerAsTheSynthesiserGetsThem) {
    EXPECT_EQ(YomiSeiki(YomiHenkan("12+9=イコール")), "じゅうに たす きゅう イコール");
    EXPECT_EQ(YomiSeiki(YomiHenkan("21")), "にじゅういち");
    EXPECT_EQ(YomiSeiki(YomiHenkan("0.25*4=イコール")), "れいてん に ご かける よん イコール");
    EXPECT_EQ(YomiSeiki(YomiHenkan("3R2")), "さん あまり に");
    EXPECT_EQ(YomiSeiki(YomiHenkan("1000-1=イコール")), "せん ひく いち イコール");
    EXPECT_EQ(YomiSeiki(YomiHenkan("1.5+10.05=イコール")),
              "いってん ご たす じゅってん れい ご イコール");
    EXPECT_EQ(YomiSeiki(YomiHenkan("8.2")), "はってん に");
    // A rounded answer is said as about so much, never as exact.
    EXPECT_EQ(YomiHenkan("≒3.3"), "やく3.3 ");
    EXPECT_EQ(YomiSeiki(YomiHenkan("≒3")), "やく さん");
    // The expression reading of the empty board's "読": just イコール.
    EXPECT_EQ(YomiSeiki(YomiHenkan("イコール")), "イコール");
}

TEST(YomiSeiki, EqualsIsSaidOnceAndKeysAreReadAlone) {
    EXPECT_EQ(YomiSeiki("="), "イコール");
    EXPECT_EQ(YomiSeiki("= イコール"), "イコール");
    EXPECT_EQ(YomiSeiki(YomiHenkan(".")), "てん");
    EXPECT_EQ(YomiSeiki(YomiHenkan("+")), "たす");
    EXPECT_EQ(YomiSeiki(YomiHenkan("0")), "れい");
    EXPECT_EQ(YomiSeiki(""), "");
    EXPECT_EQ(YomiSeiki("  "), "");
    // A point with nothing before it, and points in a row.
    EXPECT_EQ(YomiSeiki(YomiHenkan("1.2.3")), "いってん に てん さん");
}

TEST(YomiSeiki, KanjiBecomeKana) {
    const std::string r = YomiSeiki("本日は晴天なり。");
    EXPECT_EQ(r, "ほんじつはせいてんなり。");
    // Kana, Latin letters and signs the reader does not know pass unchanged.
    EXPECT_EQ(YomiSeiki("イコール abc ★"), "イコール abc ★");
    EXPECT_EQ(speech::KanjiKana("算数 OK"), "さんすう OK");
    // A character beyond kakasi's code passes as it is; the kanji after it
    // are still read.
    EXPECT_EQ(speech::KanjiKana("𠮷野"), "𠮷の");
}

}  // namespace
