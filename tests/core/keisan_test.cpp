// Expression entry and evaluation without a window: digit limits and their
// messages, refused and accepted "=", editing commands, rebuilding the board.
#include "core/keisan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/bun_ex.h"
#include "hissan/primitives.h"
#include "hissan/rows.h"

namespace {

using app::BoardChange;
using hissan::Message;

// What the entry operations reported, event by event, over a whole test.
struct RecordingHost {
    std::vector<Message> messages;
    std::vector<std::string> spoken;
    std::vector<BoardChange> changes;
    std::vector<bool> enabled;
    std::vector<int> wordProblems;
    std::vector<std::string> hints;
    int redraws = 0;
    void take(const app::EntryReport& report) {
        for (const app::EntryEvent& e : report.events) {
            switch (e.kind) {
                case app::EntryEvent::Board:
                    changes.push_back(e.change);
                    break;
                case app::EntryEvent::ShowMessage:
                    messages.push_back(e.message);
                    break;
                case app::EntryEvent::Speak:
                    spoken.push_back(e.text);
                    break;
                case app::EntryEvent::InputWindows:
                    enabled.push_back(e.on);
                    break;
                case app::EntryEvent::WordProblem:
                    wordProblems.push_back(e.answerMode);
                    break;
                case app::EntryEvent::WordProblemRedraw:
                    ++redraws;
                    break;
                case app::EntryEvent::Hint:
                    hints.push_back(e.text);
                    break;
                case app::EntryEvent::Busy:
                    break;
            }
        }
    }
};

class KeisanTest : public ::testing::Test {
  protected:
    hissan::FixedMetrics metrics;
    hissan::TJouken jk;
    RecordingHost host;
    std::unique_ptr<app::Keisan> k = std::make_unique<app::Keisan>(jk, metrics);

    void type(const std::string& s) {
        for (char c : s) host.take(k->MojiInput(c));
    }
    std::vector<std::string> rows() const { return hissan::boardRowTexts(k->ops(), k->grid()); }
    std::string line() const { return rows().at(0); }
    std::string lastMessage() const {
        return host.messages.empty() ? "" : host.messages.back().text;
    }
    // Every text drawn, in order: two boards that show the same thing.
    std::vector<std::string> drawn() const {
        std::vector<std::string> out;
        for (const hissan::Op& op : k->ops())
            if (op.kind == hissan::Op::Text)
                out.push_back(op.text + "@" + std::to_string(op.x1) + "," + std::to_string(op.y1));
        return out;
    }
};

TEST_F(KeisanTest, CharactersThatDoNotFitAreIgnored) {
    type(".");  // a point cannot start an expression
    EXPECT_EQ(k->ShikiNyuryoku(), "");
    type("+");  // nor an operator
    EXPECT_EQ(k->ShikiNyuryoku(), "");
    type("12++3");
    EXPECT_EQ(k->ShikiNyuryoku(), "12+3");
    host.take(k->R1Click());
    type("1.2.3x ");
    EXPECT_EQ(k->ShikiNyuryoku(), "1.23");
    EXPECT_EQ(line(), "◆1.23");
    EXPECT_TRUE(host.messages.empty());
    // The operand texts hold the digits without the point.
    EXPECT_EQ(k->shiki().ZenkouSeisu, "1");
    EXPECT_EQ(k->shiki().ZenkouShosu, "23");
}

TEST_F(KeisanTest, EchoPutsThePointInTheRightFifthOfItsDigit) {
    type("12.5");
    const hissan::Grid& b = k->grid();
    EXPECT_EQ(k->ZenkouTenX(), hissan::Trunc(b.OriginX + 2 * b.CellW - 0.2 * b.CellW));
    // The 5's background square covers the point's left edge: the point is
    // drawn again after the digit.
    const hissan::Op& last = k->ops().back();
    EXPECT_EQ(last.text, "●");
    EXPECT_EQ(last.x1, k->ZenkouTenX());
    type("*3");
    EXPECT_EQ(line(), "◆12.5*3");
    EXPECT_EQ(k->cursorX(), b.OriginX + 5 * b.CellW);
}

TEST_F(KeisanTest, NineteenthDigitKeepsTheEighteenTypedBeforeIt) {
    const std::string d18(18, '7');
    type(d18 + "8");
    EXPECT_EQ(lastMessage(), "Keta Over!!");
    EXPECT_EQ(host.messages.back().title, "ご注意！");
    EXPECT_EQ(k->ShikiNyuryoku(), d18);
    EXPECT_EQ(k->shiki().ZenkouSeisuKeta, 18);
    EXPECT_EQ(line(), "◆" + d18);
    // Typing goes on normally after the refusal.
    type("+1=");
    EXPECT_EQ(k->KotaeZumi(), 1);
    EXPECT_EQ(k->Kotae(), std::string(17, '7') + "8");

    host.take(k->R1Click());
    type("1." + d18 + "9");  // 19th decimal digit
    EXPECT_EQ(lastMessage(), "Keta Over!!");
    EXPECT_EQ(k->ShikiNyuryoku(), "1." + d18);
}

TEST_F(KeisanTest, MultiplicationLimits) {
    type("1*" + std::string(19, '2'));  // 19 digits: the second-operand text wins
    EXPECT_EQ(lastMessage(), "後項のケタ オーバー");
    EXPECT_EQ(k->ShikiNyuryoku(), "1*" + std::string(18, '2'));

    host.take(k->R1Click());
    type(std::string(18, '3') + "*" + std::string(12, '4'));  // 30 digits in all
    EXPECT_EQ(lastMessage(), "Keta Over!!");
    EXPECT_EQ(k->ShikiNyuryoku(), std::string(18, '3') + "*" + std::string(11, '4'));

    // A first operand over 18 digits cannot be typed before "*"; the check
    // still names it when one is there.
    hissan::TShiki s = k->shiki();
    s.ZenkouSeisuKeta = 19;
    s.KoukouSeisuKeta = 1;
    s.KoukouShosuKeta = 0;
    EXPECT_EQ(app::Keisan::KetaOver(s), "前項のケタ オーバー");
}

TEST_F(KeisanTest, DivisionLimits) {
    const std::string d18 = "123456789012345678";
    type(d18 + "/5");
    EXPECT_EQ(lastMessage(), "割る数、割られる数は１７桁以下までです。残念！");
    // The dividend stays; the "/" that cannot stand after it goes.
    EXPECT_EQ(k->ShikiNyuryoku(), d18);
    EXPECT_EQ(k->EnzanshiAri(), 0);
    EXPECT_EQ(line(), "◆" + d18);
    type("+1=");
    EXPECT_EQ(k->Kotae(), "123456789012345679");

    host.take(k->R1Click());
    type("9/" + std::string(18, '1'));
    EXPECT_EQ(lastMessage(), "割る数、割られる数は１７桁以下までです。残念！");
    EXPECT_EQ(k->ShikiNyuryoku(), "9/" + std::string(17, '1'));

    host.take(k->R1Click());
    type("1234567890.123456789+");  // 19 digits before the operator
    EXPECT_EQ(lastMessage(), "わられる数が、18ケタをオーバー!!");
    EXPECT_EQ(k->ShikiNyuryoku(), "1234567890.123456789");
}

TEST_F(KeisanTest, EqualsOnAnUnfinishedExpressionDoesNothing) {
    type("12+");
    const size_t drawnBefore = k->ops().size();
    host.changes.clear();
    type("=");
    EXPECT_EQ(k->ShikiNyuryoku(), "12+");
    EXPECT_EQ(k->KotaeZumi(), 0);
    EXPECT_EQ(k->shiki().Kakutei, 0);
    EXPECT_EQ(k->ops().size(), drawnBefore);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_TRUE(host.messages.empty());
}

std::string sequence(const app::EntryReport& r);

// A key that cannot act gives one hint and changes nothing; a key that acts
// gives none.
TEST_F(KeisanTest, KeysThatCannotActGiveAHint) {
    struct Case {
        const char* before;  // typed first
        char key;
        const char* hint;  // empty: the key acts
    };
    const Case cases[] = {
        {"", '+', "はじめに数を入れてください。"},
        {"", '=', "はじめに数を入れてください。"},
        {"52", '=', "＋ － × ÷ のどれかと、つぎの数を入れてください。"},
        {"52-", '=', "つぎの数を入れてから ＝ です。"},
        {"52-", '*', "＋ － × ÷ は１つの式に１つだけです。"},
        {"52-18", '/', "＋ － × ÷ は１つの式に１つだけです。"},
        {"52-18=", '7', "答えが出ました。つぎの問題は Delete キーか「消去」で。"},
        {"52-18=", '=', "答えが出ました。つぎの問題は Delete キーか「消去」で。"},
        {"52", '-', ""},
        {"52-", '1', ""},
        {"52-18", '=', ""},
        {"", '.', ""},  // a point at the start is dropped without a word
    };
    for (const Case& c : cases) {
        host.take(k->R1Click());
        type(c.before);
        const std::string typed = k->ShikiNyuryoku();
        const size_t drawn = k->ops().size();
        const app::EntryReport r = k->MojiInput(c.key);
        EXPECT_EQ(r.hint(), c.hint) << c.before << " then " << c.key;
        if (*c.hint) {
            EXPECT_EQ(k->ShikiNyuryoku(), typed) << c.before << " then " << c.key;
            EXPECT_LE(k->ops().size(), drawn + 1) << "only the cursor may go";
        }
    }
    // Pi after an answer types three characters but hints once; a rebuild
    // hints never.
    host.take(k->R1Click());
    type("1+2=");
    EXPECT_EQ(sequence(k->TypePi()), "hint");
    EXPECT_EQ(sequence(k->relayout()), "board3");
}

TEST_F(KeisanTest, AcceptedEqualsRunsTheLayoutOnce) {
    type("12+9=");
    EXPECT_EQ(k->Kotae(), "21");
    EXPECT_EQ(k->ShikiNyuryoku(), "12+9=");
    EXPECT_EQ(k->hissanKind(), 1);
    EXPECT_EQ(k->KotaeZumi(), 1);
    EXPECT_EQ(k->NyuryokuKa(), 0);
    EXPECT_FALSE(k->Busy());
    EXPECT_EQ(line(), "◆12+9=21");
    ASSERT_FALSE(host.changes.empty());
    EXPECT_EQ(host.changes.back(), BoardChange::Run);
    EXPECT_LT(k->runStart(), k->ops().size());
    EXPECT_EQ(host.wordProblems, std::vector<int>{0});

    const size_t drawnAfter = k->ops().size();
    type("=5");  // nothing is typed over an answer
    EXPECT_EQ(k->ops().size(), drawnAfter);
    EXPECT_EQ(k->ShikiNyuryoku(), "12+9=");
}

TEST_F(KeisanTest, LayoutFollowsOperatorAndKindOfNumber) {
    const struct {
        const char* expr;
        int kind;
        const char* kotae;
    } cases[] = {{"9-7=", 2, "2"},   {"12*3=", 3, "36"}, {"1.5+2=", 5, "3.5"},
                 {"2.0+1=", 5, "3"}, {"2.+1=", 1, "3"},  {"5.5-1.25=", 6, "4.25"},
                 {"1.5*2=", 7, "3"}, {"12/4=", 4, "3"},  {"1.2/4=", 8, "0R1.2"},
                 {"10-9=", 2, "1"},  {"12-12=", 2, "0"}};
    for (const auto& c : cases) {
        host.take(k->R1Click());
        host.messages.clear();
        type(c.expr);
        EXPECT_EQ(k->hissanKind(), c.kind) << c.expr;
        EXPECT_EQ(k->Kotae(), c.kotae) << c.expr;
        EXPECT_EQ(k->KotaeZumi(), 1) << c.expr;
        EXPECT_EQ(lastMessage(), "") << c.expr;
    }

    jk.BubunWa = 1;
    host.take(k->R1Click());
    type("12+9=");
    EXPECT_EQ(k->Kotae(), "21");
    EXPECT_EQ(k->hissanKind(), 1);
}

TEST_F(KeisanTest, LeadingZerosStayOnTheLineButNotInTheLayout) {
    type("007+3=");
    const std::vector<std::string> r = rows();
    EXPECT_EQ(r.at(0), "◆007+3=10");
    EXPECT_EQ(r.at(1), "  7");
    EXPECT_EQ(k->workCopy().Zenkou, "7");
    EXPECT_EQ(k->shiki().ZenkouSeisu, "007");
}

TEST_F(KeisanTest, RefusedEqualsLeavesTheExpressionEditable) {
    type("7-9=");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "引く数の方が大きい．");
    EXPECT_EQ(host.messages[0].title, "注意!");
    EXPECT_EQ(host.messages[0].icon, Message::Exclamation);
    EXPECT_EQ(k->ErrorFlag(), 1);
    EXPECT_EQ(k->ShikiNyuryoku(), "7-9");
    EXPECT_EQ(k->KotaeZumi(), 0);
    EXPECT_EQ(k->NyuryokuKa(), 1);
    EXPECT_EQ(k->shiki().Kakutei, 0);
    host.take(k->BackSpace());
    type("5=");
    EXPECT_EQ(k->Kotae(), "2");

    for (const char* expr : {"5/0=", "5/0.0="}) {
        host.messages.clear();
        host.take(k->R1Click());
        type(expr);
        ASSERT_EQ(host.messages.size(), 1u) << expr;
        EXPECT_EQ(host.messages[0].text, "０で割ることはできません。");
        EXPECT_EQ(host.messages[0].title, "警告！");
        EXPECT_EQ(k->KotaeZumi(), 0);
        EXPECT_EQ(k->ShikiNyuryoku().back(), '0');
    }
}

TEST_F(KeisanTest, UntilExactDivisionWorksToTenPlaces) {
    jk.SHOU_ITI = 2;
    jk.POINTMAX = 0;
    type("1/4=");
    EXPECT_EQ(jk.POINTMAX, 10);
    // The preparation already sees the ten places, so the quotient is exact.
    EXPECT_EQ(k->result().wz.ShouMoji, "0.25");
    EXPECT_EQ(k->result().wz.AmariMoji, "0");
}

TEST_F(KeisanTest, LineBreakPutsEqualsOnTheNextLine) {
    jk.KAIGYO_FLAG = 1;
    type("12+9=");
    const hissan::Grid& b = k->grid();
    const int y0 = b.OriginY + jk.HARUFA;
    bool found = false;
    for (const hissan::Op& op : k->ops())
        if (op.kind == hissan::Op::Text && op.text == "＝") {
            EXPECT_EQ(op.x1, b.OriginX);
            EXPECT_EQ(op.y1, hissan::Trunc(y0 + 1.2 * b.LineH));
            found = true;
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(rows().at(0), "◆12+9");
    EXPECT_EQ(rows().at(1), " =21");
}

TEST_F(KeisanTest, DeleteThenRestoreBringsBackTheExpressionWithoutEquals) {
    type("12+9=");
    host.take(k->VK_DeleteKey());
    EXPECT_EQ(k->ShikiNyuryoku(), "");
    EXPECT_EQ(k->MaeShiki(), "12+9=");
    EXPECT_EQ(rows(), std::vector<std::string>{"◆"});
    EXPECT_EQ(host.changes.back(), BoardChange::Cleared);
    host.take(k->Hukkatu());
    EXPECT_EQ(k->ShikiNyuryoku(), "12+9");
    EXPECT_EQ(k->KotaeZumi(), 0);
    EXPECT_EQ(line(), "◆12+9");
    host.take(k->Hukkatu());  // the board holds an expression: nothing happens
    EXPECT_EQ(k->ShikiNyuryoku(), "12+9");
    type("=");
    EXPECT_EQ(k->Kotae(), "21");
}

TEST_F(KeisanTest, BackSpaceRebuildsTheLineAsIfTypedAgain) {
    type("12.5+37");
    host.take(k->BackSpace());
    EXPECT_EQ(k->ShikiNyuryoku(), "12.5+3");
    const std::vector<std::string> afterBackSpace = drawn();

    app::Keisan fresh(jk, metrics);
    for (char c : std::string("12.5+3")) fresh.MojiInput(c);
    std::vector<std::string> typed;
    for (const hissan::Op& op : fresh.ops())
        if (op.kind == hissan::Op::Text)
            typed.push_back(op.text + "@" + std::to_string(op.x1) + "," + std::to_string(op.y1));
    EXPECT_EQ(afterBackSpace, typed);

    host.take(k->BackSpace());
    host.take(k->BackSpace());  // the operator
    EXPECT_EQ(k->ShikiNyuryoku(), "12.5");
    EXPECT_EQ(k->EnzanshiAri(), 0);
    type("*2=");
    EXPECT_EQ(k->Kotae(), "25");
    host.take(k->BackSpace());  // not over an answer
    EXPECT_EQ(k->ShikiNyuryoku(), "12.5*2=");
}

TEST_F(KeisanTest, RecalculationRedrawsTheSameAnswerUnderNewConditions) {
    type("19+3=");
    const std::vector<std::string> first = drawn();
    const size_t rowsWithCarry = rows().size();
    const size_t firstRun = k->runStart();
    host.take(k->ReCalcButtonClick());
    EXPECT_EQ(k->Kotae(), "22");
    EXPECT_EQ(drawn(), first);
    EXPECT_EQ(k->runStart(), firstRun);
    EXPECT_EQ(host.redraws, 1);

    // Without carries the small "1" row is gone, the answer stays.
    jk.KURIAGARI = 0;
    host.take(k->ReCalcButtonClick());
    EXPECT_EQ(k->Kotae(), "22");
    EXPECT_EQ(rows().size(), rowsWithCarry - 1);

    // On an empty board it types and evaluates the kept expression.
    host.take(k->VK_DeleteKey());
    host.take(k->ReCalcButtonClick());
    EXPECT_EQ(k->Kotae(), "22");
}

TEST_F(KeisanTest, PiTypesAsManyDigitsAsAsked) {
    jk.PaiKeta = 1;
    host.take(k->TypePi());
    EXPECT_EQ(k->ShikiNyuryoku(), "3");
    host.take(k->R1Click());
    jk.PaiKeta = 3;
    host.take(k->TypePi());
    EXPECT_EQ(k->ShikiNyuryoku(), "3.14");
    type("*2=");
    EXPECT_EQ(k->Kotae(), "6.28");
    host.take(k->R1Click());
    jk.PaiText = "3.14159265358979";
    jk.PaiKeta = 6;
    host.take(k->TypePi());
    EXPECT_EQ(k->ShikiNyuryoku(), "3.14159");
    host.take(k->R1Click());
    jk.PaiText = "3.14";  // shorter than PaiKeta asks: no more digits
    jk.PaiKeta = 15;
    host.take(k->TypePi());
    EXPECT_EQ(k->ShikiNyuryoku(), "3.14");
}

TEST_F(KeisanTest, SpeechAndWindowsAroundEquals) {
    jk.YOMIAGEFLAG1 = 1;
    jk.YOMIAGEFLAG2 = 1;
    jk.STEPFLAG = 1;
    type("1..+2=");  // the refused second point is read as well
    EXPECT_EQ(host.spoken,
              (std::vector<std::string>{"1", ".", ".", "+", "2", "=", "1.+2=イコール", "3"}));
    EXPECT_EQ(host.enabled, (std::vector<bool>{false, true}));

    // The answer is read as it is written, not with the leading zeros the
    // columns of a difference keep.
    host.take(k->R1Click());
    type("10-9=");
    EXPECT_EQ(k->result().Kotae, "01");
    EXPECT_EQ(host.spoken.back(), "1");
}

// The events of one operation in the order a front end applies them: the
// run is shown before its messages, the word problem and the speech follow,
// and a refused "=" gives the windows back after its message.
std::string sequence(const app::EntryReport& r) {
    std::string out;
    for (const app::EntryEvent& e : r.events) {
        if (!out.empty()) out += ' ';
        switch (e.kind) {
            case app::EntryEvent::Board:
                out += "board" + std::to_string(static_cast<int>(e.change));
                break;
            case app::EntryEvent::ShowMessage:
                out += "message";
                break;
            case app::EntryEvent::Speak:
                out += "speak:" + e.text;
                break;
            case app::EntryEvent::InputWindows:
                out += e.on ? "windows-on" : "windows-off";
                break;
            case app::EntryEvent::WordProblem:
                out += "story" + std::to_string(e.answerMode);
                break;
            case app::EntryEvent::WordProblemRedraw:
                out += "story-redraw";
                break;
            case app::EntryEvent::Busy:
                out += e.on ? "busy" : "idle";
                break;
            case app::EntryEvent::Hint:
                out += "hint";
                break;
        }
    }
    return out;
}

TEST_F(KeisanTest, ReportsKeepTheOrderOfEvents) {
    jk.YOMIAGEFLAG1 = 1;
    jk.YOMIAGEFLAG2 = 1;
    jk.STEPFLAG = 1;
    type("14/4");
    EXPECT_EQ(sequence(k->MojiInput('=')),
              "speak:= windows-off busy idle board2 story4 speak:14/4=イコール speak:" +
                  dialogs::KotaeYomi("14/4=", "3R2") + " windows-on");
    host.take(k->R1Click());
    type("7-9");
    // The refused "=" erased the cursor: the board changed after the message.
    EXPECT_EQ(sequence(k->MojiInput('=')), "speak:= windows-off message windows-on board1");
    // Nested operations report once, in the outer operation's order.
    EXPECT_EQ(sequence(k->VK_DeleteKey()), "board0");
    EXPECT_EQ(sequence(k->Hukkatu()), "speak:7 board1 speak:- board1 speak:9 board1");
    EXPECT_EQ(sequence(k->relayout()), "board3");
}

TEST_F(KeisanTest, RelayoutRebuildsTheSameBoardQuietly) {
    jk.YOMIAGEFLAG1 = 1;
    jk.YOMIAGEFLAG2 = 1;
    jk.STEPFLAG = 1;
    type("12+9=");
    const std::vector<std::string> before = rows();
    host.spoken.clear();
    host.wordProblems.clear();
    host.enabled.clear();
    host.take(k->relayout());
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(k->runStart(), k->ops().size());
    EXPECT_EQ(host.changes.back(), BoardChange::Relaid);
    EXPECT_TRUE(host.spoken.empty());
    EXPECT_TRUE(host.wordProblems.empty());
    EXPECT_TRUE(host.enabled.empty());
    EXPECT_EQ(k->MaeShiki(), "");
    EXPECT_EQ(k->KotaeZumi(), 1);

    // A smaller font: the same picture on a finer grid.
    jk.FONTSIZE = 20;
    host.take(k->relayout(metrics));
    EXPECT_EQ(k->grid().CellW, 2 * metrics.textWidth("0", 20, false));
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(k->Kotae(), "21");
}

TEST_F(KeisanTest, RelayoutWhileTypingKeepsThePointInItsPlace) {
    type("12.");
    jk.FONTSIZE = 20;
    host.take(k->relayout(metrics));
    const hissan::Grid& b = k->grid();
    EXPECT_EQ(k->ZenkouTenX(), hissan::Trunc(b.OriginX + 2 * b.CellW - 0.2 * b.CellW));
    type("5+1=");
    EXPECT_EQ(k->Kotae(), "13.5");
    EXPECT_EQ(line(), "◆12.5+1=13.5");
}

TEST_F(KeisanTest, PrintLayoutUsesThePageOriginAndLeavesTheBoardAlone) {
    EXPECT_TRUE(k->printLayout(metrics).empty());  // nothing to print
    type("12+9=");
    const std::vector<std::string> screen = drawn();
    hissan::Grid page;
    const hissan::DisplayList printed = k->printLayout(metrics, &page);
    EXPECT_EQ(page.OriginX, 2 * page.CharH);
    EXPECT_EQ(page.OriginY, 3 * page.CharH / 2);
    const std::vector<std::string> r = hissan::boardRowTexts(printed, page);
    EXPECT_EQ(r.at(0), "12+9=21");  // no prompt on paper
    EXPECT_EQ(drawn(), screen);
    EXPECT_EQ(k->Kotae(), "21");
}

}  // namespace
