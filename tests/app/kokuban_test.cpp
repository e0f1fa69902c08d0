// The real blackboard window on the offscreen platform, driven with key
// events: start-up from the settings file, the keyboard map, the board view,
// the settings panel, step mode, the companion windows and closing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <climits>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/kokuban_form.h"
#include "app/settings.h"
#include "app/single_instance.h"
#include "hissan/rows.h"
#include "tests/app/window_fixture.h"
#include "tests/ui/ink_box.h"
#include "ui/board_view.h"

namespace {

// ---- start-up ---------------------------------------------------------------------

TEST_F(KokubanTest, OpensWithDefaultsOnAGreenBoard) {
    TKokubanFormM& f = open();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("縦書き計算器"));
    // A first start opens at the program's own size, 840 x 780, on the screen.
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(f.frameGeometry().size(), QSize(840, 780).boundedTo(avail.size()));
    EXPECT_TRUE(avail.contains(f.frameGeometry()));
    EXPECT_EQ(f.jouken().FONTSIZE, 40);
    EXPECT_EQ(f.keisan().grid().MojiSize, 40);
    EXPECT_EQ(part<QTimer>(f, "Timer1")->interval(), 500);
    EXPECT_FALSE(part<QWidget>(f, "Panel1")->isVisible());
    EXPECT_EQ(f.scrollBar()->singleStep(), 5);
    EXPECT_EQ(f.scrollBar()->maximum() + f.scrollBar()->pageStep(), f.screen().pageHeight());
    EXPECT_EQ(f.joukenStart().y(), f.y() + 230);
    EXPECT_EQ(f.joukenStart().x(), f.x() + f.frameGeometry().width() - 270);

    const QImage board = f.grabBoard();
    EXPECT_EQ(board.pixelColor(board.width() - 5, board.height() - 5), kBlackboard);
    EXPECT_EQ(board.pixelColor(5, 5), kBlackboard);
    // The red prompt of the expression line.
    const hissan::Grid& b = f.keisan().grid();
    const QPoint prompt(b.OriginX - b.CellW + b.DigitW, b.OriginY + b.CharH / 2);
    EXPECT_EQ(board.pixelColor(prompt), QColor(255, 0, 0));
}

TEST_F(KokubanTest, StoredValuesAreClampedAndTheSchemeIsAlwaysBlackboard) {
    open(
        "[FONT]\r\nFONTSIZE=8\r\n[CURSOR]\r\nCUR_SEC=50\r\n[DSPCLTYPE]\r\nDSP_CL_TYPE=1\r\n"
        "[SPEED]\r\nPOINTMAX=3\r\nPNTDSPFLAG00=7\r\n[FORMPOS]\r\nPANELFLAG=1\r\nHARUFA=0\r\n");
    EXPECT_EQ(form->jouken().FONTSIZE, 10);
    EXPECT_EQ(form->keisan().grid().MojiSize, 10);
    EXPECT_EQ(part<QTimer>(*form, "Timer1")->interval(), 200);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 0);
    EXPECT_EQ(form->jouken().PNTDSPFLAG00, 3);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->value(), 3);
    EXPECT_EQ(form->jouken().HARUFA, 65);
    EXPECT_TRUE(part<QWidget>(*form, "Panel1")->isVisible());
    EXPECT_EQ(form->grabBoard().pixelColor(300, 200), kBlackboard);
    form.reset();

    // A hand-edited flag of 2 starts at its default, so its key toggles it;
    // too many quotient places start at the largest, as the box shows.
    open("[DSPORNOT]\r\nKURIAGARI=2\r\n[SPEED]\r\nPOINTMAX=99\r\n");
    EXPECT_EQ(form->jouken().KURIAGARI, 1);
    key(Qt::Key_A);
    EXPECT_EQ(form->jouken().KURIAGARI, 0);
    key(Qt::Key_A);
    EXPECT_EQ(form->jouken().KURIAGARI, 1);
    EXPECT_EQ(form->jouken().POINTMAX, 10);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->value(), 10);
    form.reset();

    // The stored bounds are the outer frame, and they are used as they are.
    open("[FORMPOS]\r\nLEFT=20\r\nTOP=30\r\nHEIGHT=300\r\nWIDTH=500\r\n");
    EXPECT_EQ(form->frameGeometry(), QRect(20, 30, 500, 300));
    ASSERT_NE(form->frameGeometry().size(), form->size());  // the platform draws a frame
    // 画面既定値サイズ: a frame of 840 x 780.
    action(QStringLiteral("画面既定値サイズ(&D)"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->frameGeometry().size(), QSize(840, 780));
    form.reset();

    open("[CURSOR]\r\nCUR_SEC=5000\r\n[FORMPOS]\r\nLEFT=-30000\r\nTOP=-30000\r\n");
    EXPECT_EQ(part<QTimer>(*form, "Timer1")->interval(), 1000);
    // A window stored off every screen comes back into view.
    EXPECT_GT(form->x(), -1000);
    EXPECT_GT(form->y(), -1000);
}

// Stored window bounds come from a file anyone may edit. Sane ones are used as
// they stand, even with part of the window off the edge; the rest open a
// window that shows on the screen and is no larger than it, with the
// companion windows beside it, and are written back as such. Numbers near the
// ends of int used to overflow (the window went off the screen), and 30000 x
// 30000 made a window of 3.6 GB.
TEST_F(KokubanTest, StoredBoundsOpenAWindowOnTheScreen) {
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* what;
        qint64 left, top, width, height, bLeft, bTop;
        bool kept;  // sane: the frame is exactly what is stored
    };
    const qint64 max = INT_MAX, min = INT_MIN;
    const Case cases[] = {
        {"partly off the bottom right", avail.right() - 50, avail.bottom() - 40, 500, 300, -100,
         avail.bottom() - 10, true},
        {"far right", 2147483000, 0, 975, 629, 200, 500, false},
        {"largest", max, max, max, max, max, max, false},
        {"smallest", min, min, min, min, min, min, false},
        {"huge", 0, 0, 30000, 30000, 200, 500, false},
        {"left of every screen", -30000, -30000, 500, 300, -30000, 500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open("[FORMPOS]\r\nLEFT=" + std::to_string(c.left) + "\r\nTOP=" + std::to_string(c.top) +
             "\r\nWIDTH=" + std::to_string(c.width) + "\r\nHEIGHT=" + std::to_string(c.height) +
             "\r\n[BFORMPOS]\r\nBLEFT=" + std::to_string(c.bLeft) +
             "\r\nBTOP=" + std::to_string(c.bTop) + "\r\n");
        const QRect frame = form->frameGeometry();
        if (c.kept) {
            EXPECT_EQ(frame, QRect(c.left, c.top, c.width, c.height));
        } else {
            EXPECT_TRUE(avail.intersects(frame)) << frame.x() << "," << frame.y();
            EXPECT_LE(frame.width(), avail.width());
            EXPECT_LE(frame.height(), avail.height());
        }
        app::Companions& comp = form->companions();
        // Beside the window, worked out without overflow.
        const qint64 l = form->x(), t = form->y(), w = form->width();
        EXPECT_EQ(std::make_pair(qint64{comp.stepBox()->x()}, qint64{comp.stepBox()->y()}),
                  std::make_pair(l + w - 220, t + 300));
        EXPECT_TRUE(avail.intersects(comp.wordProblem()->frameGeometry()));
        if (c.bLeft == 200) EXPECT_EQ(comp.wordProblem()->pos(), QPoint(200, 500));

        form->close();
        form.reset();
        hissan::TJouken back;
        app::IniRead(back, iniPath().toStdString());
        EXPECT_EQ(QRect(back.LEFT, back.TOP, back.WIDTH, back.HEIGHT), frame);
        if (!c.kept) EXPECT_TRUE(avail.intersects(QRect(back.BLEFT, back.BTOP, 10, 10)));
    }
}

TEST_F(KokubanTest, MenusCarryTheirCaptionsAcceleratorsAndStates) {
    open();
    const QStringList menus = [&] {
        QStringList out;
        for (QAction* a : form->menuBar()->actions()) out << a->text();
        return out;
    }();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("黒板(&F)"), QStringLiteral("条件設定（&C)"),
                                  QStringLiteral("表示(&V)"), QStringLiteral("ヘルプ(&H)")}));
    struct Item {
        const char* text;
        QKeySequence key;
    };
    const Item items[] = {
        {"印刷(&P)...", {}},
        {"画面を前の大きさにする(&R)", {}},
        {"画面の最大化(&Z)", {}},
        {"画面既定値サイズ(&D)", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V)},
        {"文章題の例を読み込む(&E)", {}},
        {"終了(&X)", {}},
        {"設定パネルを表示/非表示(&P)", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"条件設定ボックスを表示/非表示(&J)", {}},
        {"読み上げ設定(&K)", {}},
        {"ステップ表示/非表示(&Y)", {}},
        {"条件ボックスを起動時に表示", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J)},
        {"フォント(&F)", {}},
        {"フォント大きく(&O)", {}},
        {"フォント小さく(&T)", {}},
        {"ステップ表示(&Y)", {}},
        {"「ピコタ」の表示(&S)", QKeySequence(Qt::Key_F4)},
        {"既定値サイズ(&D)", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V)},
        {"ヘルプ(&C)", QKeySequence(Qt::Key_F1)},
        {"バージョン情報(&A)", {}},
        {"設定パネルを表示する(&P)", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"条件設定ボックスを開く(&J)", {}},
        {"起動時にボックスを開く(&Z)", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J)},
        {"ステップ計算(&Y)", {}},
        {"末尾の０を分けてかけ算", QKeySequence(Qt::CTRL | Qt::Key_K)},
        {"末尾の０を消して割り算", QKeySequence(Qt::CTRL | Qt::Key_W)},
        {"文章題の例を示す", QKeySequence(Qt::CTRL | Qt::Key_G)},
    };
    for (const Item& it : items) {
        QAction* a = action(QString::fromUtf8(it.text));
        ASSERT_NE(a, nullptr) << it.text;
        EXPECT_EQ(a->shortcut(), it.key) << it.text;
        EXPECT_TRUE(a->isEnabled()) << it.text;
    }
    EXPECT_FALSE(action(QStringLiteral("ページ設定(&R)..."))->isEnabled());
    EXPECT_FALSE(action(QStringLiteral("詳細設定(&A)"))->isEnabled());
    EXPECT_FALSE(action(QStringLiteral("Test(&Q)"))->isVisible());
    // Start-up check marks: the context menu's box item keeps its mark until
    // the first toggle, which sets both from the flag.
    EXPECT_FALSE(part<QAction>(*form, "actJk1st")->isChecked());
    EXPECT_TRUE(part<QAction>(*form, "actJk1stCtx")->isChecked());
    part<QAction>(*form, "actJk1stCtx")->trigger();
    EXPECT_EQ(form->jouken().JK1ST_FLAG, 1);
    EXPECT_TRUE(part<QAction>(*form, "actJk1st")->isChecked());
    EXPECT_TRUE(part<QAction>(*form, "actJk1stCtx")->isChecked());
    part<QAction>(*form, "actJk1st")->trigger();
    EXPECT_EQ(form->jouken().JK1ST_FLAG, 0);
    EXPECT_FALSE(part<QAction>(*form, "actJk1stCtx")->isChecked());
    // The trailing-zero items follow their flags.
    part<QAction>(*form, "actMatsubiKake")->trigger();
    EXPECT_EQ(form->jouken().MatsubiZeroKake, 1);
    EXPECT_TRUE(part<QAction>(*form, "actMatsubiKake")->isChecked());
    part<QAction>(*form, "actMatsubiWari")->trigger();
    part<QAction>(*form, "actMatsubiWari")->trigger();
    EXPECT_EQ(form->jouken().MatsubiZeroWari, 0);
    EXPECT_FALSE(part<QAction>(*form, "actMatsubiWari")->isChecked());
}

// ---- typing --------------------------------------------------------------------------

TEST_F(KokubanTest, KeyboardMapBuildsTheExpression) {
    open();
    type(".");  // a point cannot start an expression
    EXPECT_EQ(typed(), "");
    type("12++");  // the second operator is ignored
    EXPECT_EQ(typed(), "12+");
    key(Qt::Key_Delete);
    type("1.2.3");  // and so is the second point
    EXPECT_EQ(typed(), "1.23");
    key(Qt::Key_Delete);

    // Shifted digits do nothing.
    type("4");
    key(Qt::Key_5, Qt::ShiftModifier);
    EXPECT_EQ(typed(), "4");
    // Numeric-pad digits and its decimal key.
    key(Qt::Key_5, Qt::KeypadModifier);
    key(Qt::Key_Comma, Qt::KeypadModifier);
    key(Qt::Key_6, Qt::KeypadModifier);
    key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(typed(), "45.6-");
    // Left arrow and Backspace take back the last character.
    key(Qt::Key_Left);
    key(Qt::Key_Backspace);
    EXPECT_EQ(typed(), "45.");
    // Alt and Ctrl with a digit do nothing.
    key(Qt::Key_7, Qt::AltModifier);
    key(Qt::Key_7, Qt::ControlModifier);
    EXPECT_EQ(typed(), "45.");
    // P types π.
    key(Qt::Key_Delete);
    key(Qt::Key_P);
    EXPECT_EQ(typed(), "3.14");
    EXPECT_TRUE(messages.empty());
}

TEST_F(KokubanTest, DigitLimitsShowTheirMessages) {
    open();
    type("1234567890123456789");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Keta Over!!");
    EXPECT_EQ(messages[0].title, "ご注意！");
    EXPECT_LE(typed().size(), 18u);

    key(Qt::Key_Delete);
    messages.clear();
    type("123456789012345678/1");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(lastMessage(), "割る数、割られる数は１７桁以下までです。残念！");
    EXPECT_EQ(typed().find('/'), std::string::npos);
}

TEST_F(KokubanTest, EqualsRestoreAndRecalculation) {
    open();
    type("12+=");  // an incomplete expression: "=" does nothing
    EXPECT_EQ(typed(), "12+");
    EXPECT_EQ(form->keisan().KotaeZumi(), 0);
    type("9=");
    form->finishDrawing();
    EXPECT_EQ(typed(), "12+9=");
    EXPECT_EQ(form->keisan().Kotae(), "21");
    EXPECT_EQ(form->keisan().NyuryokuKa(), 0);
    const size_t drawn = form->keisan().ops().size();
    type("=");  // "=" twice: the second is ignored
    key(Qt::Key_Minus);
    EXPECT_EQ(form->keisan().ops().size(), drawn);
    EXPECT_EQ(typed(), "12+9=");

    // R draws the same answer again.
    key(Qt::Key_R);
    form->finishDrawing();
    EXPECT_EQ(form->keisan().Kotae(), "21");
    EXPECT_EQ(typed(), "12+9=");

    // Delete keeps the expression for H, which brings it back without "=".
    key(Qt::Key_D);
    EXPECT_EQ(typed(), "");
    key(Qt::Key_H);
    EXPECT_EQ(typed(), "12+9");
    key(Qt::Key_Delete);
    key(Qt::Key_Insert);
    EXPECT_EQ(typed(), "12+9");
    EXPECT_TRUE(messages.empty());
}

TEST_F(KokubanTest, MinusKeyOfTheMainKeyboardIsEquals) {
    open();
    // US layout: Shift turns the key into "_"; Japanese layout: into "=".
    for (auto [k, mods] :
         {std::pair{int(Qt::Key_Minus), Qt::KeyboardModifiers()},
          std::pair{int(Qt::Key_Underscore), Qt::KeyboardModifiers(Qt::ShiftModifier)},
          std::pair{int(Qt::Key_Equal), Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        type("7-2");
        key(k, mods);
        form->finishDrawing();
        EXPECT_EQ(typed(), "7-2=") << k;
        EXPECT_EQ(form->keisan().Kotae(), "5") << k;
        key(Qt::Key_Delete);
    }
    // The "=" key of a US keyboard types "=" as well.
    type("7-2");
    key(Qt::Key_Equal);
    form->finishDrawing();
    EXPECT_EQ(typed(), "7-2=");
}

// A laptop without a numeric pad: "+" and "*" with Shift (US and Japanese
// layouts), "/" alone, "=" or Enter; the minus key after the first number is
// the operator and "=" after a complete expression.
TEST_F(KokubanTest, LaptopKeyboardTypesEveryOperator) {
    open();
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, none = Qt::NoModifier;
    struct Case {
        const char* first;
        std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;  // after the first number
        const char* second;
        int equals;  // the key that ends it (Shift for the Japanese "=")
        Qt::KeyboardModifiers equalsMods;
        const char* typed;
        const char* answer;
    };
    const Case cases[] = {
        {"52", {{Qt::Key_Minus, none}}, "18", Qt::Key_Return, none, "52-18=", "34"},
        {"52", {{Qt::Key_Minus, none}}, "18", Qt::Key_Minus, none, "52-18=", "34"},
        {"52", {{Qt::Key_Underscore, shift}}, "18", Qt::Key_Equal, shift, "52-18=", "34"},
        {"12", {{Qt::Key_Asterisk, shift}}, "3", Qt::Key_Return, none, "12*3=", "36"},
        {"84", {{Qt::Key_Slash, none}}, "4", Qt::Key_Equal, none, "84/4=", "21"},
        {"38", {{Qt::Key_Plus, shift}}, "47", Qt::Key_Minus, none, "38+47=", "85"},
        // An operator after an operator stays out.
        {"38",
         {{Qt::Key_Plus, shift}, {Qt::Key_Asterisk, shift}},
         "47",
         Qt::Key_Equal,
         none,
         "38+47=",
         "85"},
    };
    for (const Case& c : cases) {
        type(c.first);
        for (auto [k, m] : c.keys) key(k, m);
        type(c.second);
        key(c.equals, c.equalsMods);
        form->finishDrawing();
        EXPECT_EQ(typed(), c.typed);
        EXPECT_EQ(form->keisan().Kotae(), c.answer) << c.typed;
        key(Qt::Key_Delete);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(KokubanTest, KeysThatCannotActSayWhyOnTheStatusLine) {
    open();
    auto* board = form->findChild<app::BoardView*>();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->hint(), "");
    type("52-");
    key(Qt::Key_Asterisk, Qt::ShiftModifier);
    EXPECT_EQ(typed(), "52-");
    EXPECT_EQ(board->hint(), "＋ － × ÷ は１つの式に１つだけです。");
    key(Qt::Key_Return);
    EXPECT_EQ(board->hint(), "つぎの数を入れてから ＝ です。");
    auto* line = board->findChild<QLabel*>(QStringLiteral("HintLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->geometry().bottom(), board->height() - 1);  // along the foot
    EXPECT_EQ(beeps, 0);
}

TEST_F(KokubanTest, RefusedEqualsShowsItsMessageAndStaysEditable) {
    open();
    type("7-9=");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "引く数の方が大きい．");
    EXPECT_EQ(messages[0].title, "注意!");
    EXPECT_EQ(messages[0].icon, hissan::Message::Exclamation);
    EXPECT_EQ(typed(), "7-9");
    key(Qt::Key_Backspace);  // still editable
    type("5=");
    form->finishDrawing();
    EXPECT_EQ(typed(), "7-5=");
    // B while typing beeps; after the answer it toggles the reference line.
    key(Qt::Key_Delete);
    type("1");
    key(Qt::Key_B);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(form->jouken().SYOUPTLNDSP, 0);
}

TEST_F(KokubanTest, DivisionOverflowClearsTheBoardAndGivesTheExpressionBack) {
    open();
    form->jouken().POINTMAX = 2;
    type("99999999999999999/123456789=");
    form->finishDrawing();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "ご確認!!");
    EXPECT_EQ(messages[0].then, hissan::Message::ClearAndRestore);
    // Delete and Insert arrive after the box: the board is cleared and the
    // expression comes back for editing, nothing typed is lost.
    settle();
    EXPECT_EQ(typed(), "99999999999999999/123456789");
    EXPECT_EQ(form->keisan().KotaeZumi(), 0);
    form->jouken().POINTMAX = 0;
    type("=");
    form->finishDrawing();
    EXPECT_EQ(form->keisan().Kotae(), "810000007R45802476");
}

TEST_F(KokubanTest, DivisionIsDrawnWithItsNoteAndAnswer) {
    open();
    type("7/8=");
    form->finishDrawing();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form->keisan().Kotae(), "0R7");
    EXPECT_EQ(form->keisan().hissanKind(), 4);
}

// ---- the board view ----------------------------------------------------------------------

TEST_F(KokubanTest, MGoesRoundTheThreeSchemesWhiteboardFirst) {
    open();
    key(Qt::Key_M);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 1);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), kWhiteboard);
    EXPECT_EQ(form->cursorColour(), QColor(0, 128, 0));
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->checkedId(), 1);
    key(Qt::Key_M);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 2);  // 見やすい色
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), QColor(0, 72, 32));
    EXPECT_EQ(form->cursorColour(), QColor(255, 255, 0));
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->button(2)->text(), "見やすい色");
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->checkedId(), 2);
    key(Qt::Key_M);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 0);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), kBlackboard);
    EXPECT_EQ(form->cursorColour(), QColor(255, 255, 0));
    // While an expression is being typed the scheme stays.
    type("3");
    key(Qt::Key_M);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 0);
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->checkedId(), 0);
    // The finished calculation can be switched; its line is drawn in black.
    type("+4=");
    form->finishDrawing();
    key(Qt::Key_M);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 1);
}

TEST_F(KokubanTest, FontSizeStepsStayWithinFiveToFifty) {
    open("[FONT]\r\nFONTSIZE=50\r\n");
    type("12");
    key(Qt::Key_O);
    EXPECT_EQ(form->jouken().FONTSIZE, 50);
    EXPECT_EQ(form->keisan().grid().MojiSize, 50);
    key(Qt::Key_T);
    EXPECT_EQ(form->jouken().FONTSIZE, 49);
    // The typed expression survives the new metrics.
    EXPECT_EQ(typed(), "12");
    for (int i = 0; i < 60; ++i) key(Qt::Key_T);
    EXPECT_EQ(form->jouken().FONTSIZE, 5);
    key(Qt::Key_T);
    EXPECT_EQ(form->jouken().FONTSIZE, 5);
    key(Qt::Key_O);
    EXPECT_EQ(form->jouken().FONTSIZE, 6);
    EXPECT_EQ(typed(), "12");
}

// Carries are written at their small size (0.4 of the board's or a little
// more), as at start and in the
// exported pictures, also after the size was stepped with O and T.
TEST_F(KokubanTest, CarriesKeepTheirSmallSizeAfterFontSteps) {
    struct Case {
        std::vector<int> keys;
        int size;
    };
    const Case cases[] = {
        {{}, 40},
        {{Qt::Key_O, Qt::Key_T}, 40},
        {{Qt::Key_T, Qt::Key_O}, 40},
        {{Qt::Key_O}, 41},
        {{Qt::Key_T, Qt::Key_T, Qt::Key_T}, 37},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        form.reset();
        open("[FONT]\r\nFONTSIZE=40\r\n");
        type("18+4=");
        form->finishDrawing();
        for (int k : c.keys) key(k);
        ASSERT_EQ(form->keisan().grid().MojiSize, c.size);
        auto carrySizes = [](const hissan::DisplayList& ops) {
            std::vector<int> sizes;
            for (const hissan::Op& op : ops)
                if (op.kind == hissan::Op::Text && op.colour == hissan::kCarry)
                    sizes.push_back(op.size);
            return sizes;
        };
        const std::vector<int> board = carrySizes(form->keisan().ops());
        ASSERT_FALSE(board.empty());
        for (int size : board) EXPECT_EQ(size, hissan::komojiSizeFor(c.size));
        EXPECT_EQ(form->keisan().grid().KomojiSize, hissan::komojiSizeFor(c.size));
        // The printed page writes them at the same size.
        app::QtMetrics page(form->boardMetrics().family());
        EXPECT_EQ(carrySizes(form->keisan().printLayout(page)), board);
    }
}

TEST_F(KokubanTest, ScrollingOnlyWithAFinishedCalculation) {
    open();
    type("12");
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(form->scrollY(), 0);
    type("+9=");
    form->finishDrawing();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(form->scrollY(), 8);
    key(Qt::Key_Up);
    EXPECT_EQ(form->scrollY(), 4);
    // One wheel notch scrolls as Qt's scroll bars do: the desktop's wheel
    // lines of 5 pixels each, not the keys' 4 pixels.
    QWheelEvent wheel(QPointF(50, 50), form->board()->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(form->board(), &wheel);
    const int notch = QApplication::wheelScrollLines() * 5;
    ASSERT_GT(notch, 4);
    EXPECT_EQ(form->scrollY(), 4 + notch);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(form->scrollY(), notch - 4);
    // The drawing moves with the scroll position.
    const QImage scrolled = form->grabBoard();
    key(Qt::Key_Home);
    EXPECT_EQ(form->scrollY(), 0);
    EXPECT_NE(scrolled, form->grabBoard());
    // Clearing the board scrolls back to the top.
    key(Qt::Key_Down);
    key(Qt::Key_Delete);
    EXPECT_EQ(form->scrollY(), 0);
    // While an expression is typed the wheel does not scroll either.
    type("3");
    QCoreApplication::sendEvent(form->board(), &wheel);
    EXPECT_EQ(form->scrollY(), 0);
}

TEST_F(KokubanTest, ScrollRangeReachesTheWholeDrawing) {
    // 18 x 11 digits at 45 points is taller than a page: its product can be
    // scrolled into a 900-pixel window.
    open("[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nHEIGHT=900\r\nWIDTH=1200\r\n[FONT]\r\nFONTSIZE=45\r\n");
    type("123456789012345678*12345678901=");
    form->finishDrawing();
    const int bottom = app::opsExtent(form->keisan().ops()).bottom();
    ASSERT_GT(bottom, form->screen().pageHeight());
    QScrollBar* bar = form->scrollBar();
    EXPECT_GE(bar->maximum() + bar->pageStep(), bottom);
    bar->setValue(bar->maximum());
    EXPECT_GE(form->scrollY() + form->board()->height(), bottom);
    // A cleared board has one page again.
    key(Qt::Key_Delete);
    EXPECT_EQ(bar->maximum() + bar->pageStep(), form->screen().pageHeight());
}

TEST_F(KokubanTest, HidingThePanelMovesTheLine65PixelsUp) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    // A panel shown at start is checked in both menus.
    EXPECT_TRUE(part<QAction>(*form, "actPanel")->isChecked());
    EXPECT_TRUE(part<QAction>(*form, "actPanelCtx")->isChecked());
    type("12");
    const int shown = expressionY();
    part<QAction>(*form, "actPanel")->trigger();
    EXPECT_FALSE(part<QWidget>(*form, "Panel1")->isVisible());
    EXPECT_EQ(form->jouken().PANELFLAG, 0);
    EXPECT_FALSE(part<QAction>(*form, "actPanel")->isChecked());
    EXPECT_FALSE(part<QAction>(*form, "actPanelCtx")->isChecked());
    EXPECT_EQ(typed(), "");  // the board was cleared
    key(Qt::Key_H);
    EXPECT_EQ(typed(), "12");
    EXPECT_EQ(expressionY(), shown - 65);
    part<QAction>(*form, "actPanelCtx")->trigger();
    EXPECT_TRUE(part<QWidget>(*form, "Panel1")->isVisible());
    EXPECT_TRUE(part<QAction>(*form, "actPanel")->isChecked());
    key(Qt::Key_H);
    EXPECT_EQ(expressionY(), shown);
    // The panel spans the board.
    EXPECT_EQ(part<QWidget>(*form, "Panel1")->height(), 62);
    EXPECT_GE(part<QWidget>(*form, "Panel1")->width(), form->board()->width());
}

TEST_F(KokubanTest, QuotientPlacesWithCtrlUpAndDown) {
    open("[SHOUJOUKEN]\r\nSHOU_ITI=1\r\n[SPEED]\r\nPOINTMAX=3\r\n");
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->minimum(), 1);
    for (int i = 0; i < 5; ++i) key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(form->jouken().POINTMAX, 1);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->value(), 1);
    for (int i = 0; i < 15; ++i) key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(form->jouken().POINTMAX, 10);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->value(), 10);
    // The division group shows the rounding mode.
    EXPECT_EQ(part<QLabel>(*form, "GB2Text2")->text(), QStringLiteral("位で"));
    EXPECT_EQ(part<QLabel>(*form, "GB2Text4")->text(), QStringLiteral("四捨五入"));
    form.reset();

    open("[SPEED]\r\nPOINTMAX=1\r\n");
    for (int i = 0; i < 3; ++i) key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(form->jouken().POINTMAX, 0);
    // The up-down box sets the places too.
    part<QSpinBox>(*form, "Edit1")->setValue(4);
    EXPECT_EQ(form->jouken().POINTMAX, 4);
    EXPECT_EQ(form->jouken().PNTDSPFLAG00, 4);
    form.reset();

    // Rounding stored at the ones place starts at the first decimal place,
    // as the box shows it.
    open("[SHOUJOUKEN]\r\nSHOU_ITI=1\r\n[SPEED]\r\nPOINTMAX=0\r\n");
    EXPECT_EQ(form->jouken().POINTMAX, 1);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->value(), 1);
    form.reset();

    // The division group's texts change with the quotient mode; the panel
    // widens with them instead of squeezing the texts over each other.
    open("[FORMPOS]\r\nPANELFLAG=1\r\n[SHOUJOUKEN]\r\nSHOU_ITI=2\r\n");
    auto unsqueezed = [&] {
        for (QLabel* l : {part<QLabel>(*form, "GB2Text1"), part<QLabel>(*form, "GB2Text2"),
                          part<QLabel>(*form, "GB2Text3"), part<QLabel>(*form, "GB2Text4"),
                          part<QLabel>(*form, "GB2CtrlText")})
            if (l->isVisible())
                EXPECT_GE(l->width(), l->minimumSizeHint().width()) << l->text().toStdString();
    };
    unsqueezed();
    EXPECT_EQ(part<QLabel>(*form, "GB2Text1")->text(), QStringLiteral("割り切れるまで割り進む"));
    form->resize(520, 300);  // the panel is placed for this mode's texts
    settle();
    form->jouken().SHOU_ITI = 0;
    form->controls().showQuotientMode();
    settle();
    EXPECT_TRUE(part<QSpinBox>(*form, "Edit1")->isVisible());
    unsqueezed();
}

// At the window's first-start width every control of the settings panel
// stands on the board, left of the scroll bar, in every quotient mode.
TEST_F(KokubanTest, SettingsPanelFitsTheFirstStartWidth) {
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        form.reset();
        open(
            "[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nWIDTH=840\r\nHEIGHT=780\r\nPANELFLAG=1\r\n"
            "[SHOUJOUKEN]\r\nSHOU_ITI=" +
            std::to_string(mode) + "\r\n[SPEED]\r\nPOINTMAX=2\r\n");
        // The offscreen screen is 800 wide, narrower than the stored frame,
        // which start-up fits to it; widen the window afterwards.
        form->resize(840 - (form->frameGeometry().width() - form->width()), 780);
        settle();
        ASSERT_EQ(form->frameGeometry().width(), 840);
        const int boardW = form->board()->width();
        int right = 0;
        for (QWidget* w : part<QWidget>(*form, "Panel1")->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->parentWidget() != part<QWidget>(*form, "Panel1")) continue;
            const int r = w->mapTo(form->board(), QPoint(w->width(), 0)).x();
            right = std::max(right, r);
            EXPECT_LE(r, boardW) << w->metaObject()->className() << " "
                                 << w->property("title").toString().toStdString()
                                 << w->property("text").toString().toStdString();
        }
        EXPECT_TRUE(part<QToolButton>(*form, "SpeedButton8")->isVisible());
        EXPECT_GT(right, boardW / 2);
    }
}

TEST_F(KokubanTest, TogglePanelsFollowTheirFlags) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel2")->text(), QStringLiteral("くり上がり(A)◎"));
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel2")->back(), QColor(255, 0, 0));
    key(Qt::Key_A);
    EXPECT_EQ(form->jouken().KURIAGARI, 0);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel2")->text(), QStringLiteral("くり上がり(A)×"));
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel2")->back(), QColor(0, 0, 255));
    // A click on the panel injects the key.
    QTest::mouseClick(part<app::ClickPanel>(*form, "Panel3"), Qt::LeftButton);
    settle();
    EXPECT_EQ(form->jouken().KURISAGARI, 0);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel3")->text(), QStringLiteral("くり下がり(S)×"));
    key(Qt::Key_L);
    EXPECT_EQ(form->jouken().KAIGYO_FLAG, 1);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel4")->text(), QStringLiteral("＝で改行(L)◎"));
    key(Qt::Key_Q);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel6")->text(), QStringLiteral("名称表示(Q)◎"));
    QTest::mouseClick(part<app::ClickPanel>(*form, "Panel7"), Qt::LeftButton);
    EXPECT_EQ(form->jouken().SYOUPTLNDSP, 1);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel7")->text(), QStringLiteral("参考線(B)◎"));
    key(Qt::Key_U);
    EXPECT_EQ(form->jouken().RENDOFLAG, 0);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel8")->back(), QColor(0, 255, 0));
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel8")->toolTip(),
              QStringLiteral("割り算で、条件の変更と表示が連動しない(一部)。(U)"));
    QTest::mouseClick(part<QToolButton>(*form, "SpeedButton7"), Qt::LeftButton);
    EXPECT_EQ(form->jouken().SHOU0_DSP, 1);
    EXPECT_EQ(part<QToolButton>(*form, "SpeedButton7")->text(), QStringLiteral("●"));

    // "文" after a calculation without example file: its message, panel off.
    form->controls().ReibunAri = 0;
    type("1+2=");
    form->finishDrawing();
    key(Qt::Key_Z);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "★☆お願い☆★");
    EXPECT_EQ(form->controls().ReibunOn, 0);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel10")->back(), QColor(192, 192, 192));
    // With the examples loaded, before a calculation only the look changes.
    form->controls().ReibunAri = 1;
    key(Qt::Key_Delete);
    key(Qt::Key_Z);
    EXPECT_EQ(form->controls().ReibunOn, 1);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel10")->back(), QColor(0, 255, 0));
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(KokubanTest, CarriesToggleRedrawsTheFinishedLayout) {
    open();
    type("18+4=");
    form->finishDrawing();
    auto carries = [&] {
        int small = 0;
        for (const hissan::Op& op : form->keisan().ops())
            if (op.kind == hissan::Op::Text && op.size < form->keisan().grid().MojiSize) ++small;
        return small;
    };
    const int with = carries();
    key(Qt::Key_A);
    EXPECT_LT(carries(), with);
    EXPECT_EQ(form->keisan().Kotae(), "22");
    EXPECT_FALSE(form->drawing());  // shown at once, not played again
}

// ---- step mode and the player --------------------------------------------------------------

TEST_F(KokubanTest, StepModeWithYEndAndEscape) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    key(Qt::Key_End);  // End does nothing while manual stepping is off
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    key(Qt::Key_Y);
    EXPECT_EQ(form->jouken().STEPFLAG, 1);
    EXPECT_TRUE(form->companions().stepBox()->isVisible());
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("手動"));
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->back(), QColor(0, 128, 0));
    EXPECT_TRUE(part<QAction>(*form, "actStepView")->isChecked());
    key(Qt::Key_Y);
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    EXPECT_FALSE(form->companions().stepBox()->isVisible());
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("なし"));
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->back(), QColor(0, 0, 255));
    EXPECT_FALSE(part<QAction>(*form, "actStepCtx")->isChecked());

    // A calculation in manual mode stops at its first step point; keys wait
    // for the drawing, Escape ends stepping and draws the rest.
    key(Qt::Key_Y);
    type("18+4=");
    ASSERT_TRUE(form->drawing());
    EXPECT_TRUE(form->player().atStepPoint());
    key(Qt::Key_D);  // waits for the end of the drawing
    EXPECT_EQ(typed(), "18+4=");
    key(Qt::Key_Escape);
    EXPECT_FALSE(form->drawing());
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    EXPECT_FALSE(form->companions().stepBox()->isVisible());
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("なし"));
    EXPECT_EQ(form->keisan().Kotae(), "22");
    settle();
    EXPECT_EQ(typed(), "");  // the waiting Delete has cleared the board

    // With the calculation on the board in manual mode only the first keys act.
    key(Qt::Key_Y);
    type("1+1=");
    form->finishDrawing();
    key(Qt::Key_A);
    EXPECT_EQ(form->jouken().KURIAGARI, 1);
    key(Qt::Key_End);
    EXPECT_EQ(form->jouken().STEPFLAG, 0);

    // Escape while typing ends manual stepping too: the calculation is
    // then drawn at once.
    key(Qt::Key_Delete);
    key(Qt::Key_Y);
    type("5");
    key(Qt::Key_Escape);
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    EXPECT_FALSE(form->companions().stepBox()->isVisible());
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("なし"));
    type("+3=");
    EXPECT_FALSE(form->drawing());
    EXPECT_EQ(form->keisan().Kotae(), "8");
}

TEST_F(KokubanTest, LeftClickAndGGoOnFromAStepPoint) {
    open();
    key(Qt::Key_Y);
    type("12+9=");
    ASSERT_TRUE(form->player().atStepPoint());
    const size_t first = form->player().revealed();
    QTRY_COMPARE_WITH_TIMEOUT(form->player().state(), app::Player::State::StepWait, 2000);
    QTest::mouseClick(form->board(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
    EXPECT_GT(form->player().revealed(), first);
    const size_t second = form->player().revealed();
    QTRY_COMPARE_WITH_TIMEOUT(form->player().state(), app::Player::State::StepWait, 2000);
    key(Qt::Key_G);
    EXPECT_GT(form->player().revealed(), second);
    form->finishDrawing();
    EXPECT_EQ(form->keisan().Kotae(), "21");
}

TEST_F(KokubanTest, StrokeDelayWithShiftAndPacedDrawing) {
    open();
    key(Qt::Key_Up, Qt::ShiftModifier);
    key(Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(form->jouken().StrokeDelay, 2);
    EXPECT_EQ(part<QLineEdit>(*form, "Edit2")->text(), QStringLiteral("2"));
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(form->jouken().StrokeDelay, 1);
    type("12+9=");
    ASSERT_TRUE(form->drawing());
    // The board shows only what has been drawn so far; a repaint does not
    // start the drawing again.
    const size_t shown = form->player().revealed();
    EXPECT_LT(shown, form->keisan().ops().size());
    // The keypad and the conditions dialog wait for the drawing too.
    EXPECT_FALSE(form->companions().keypad()->isEnabled());
    form->grabBoard();
    EXPECT_EQ(form->player().revealed(), shown);
    form->finishDrawing();
    EXPECT_EQ(form->keisan().Kotae(), "21");
    EXPECT_TRUE(form->companions().keypad()->isEnabled());
    for (int i = 0; i < 120; ++i) key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(form->jouken().StrokeDelay, 100);
}

TEST_F(KokubanTest, PrintsOnePageAndLeavesTheScreenAsItWas) {
    open();
    form->Print1Click();  // nothing to print yet: said, no printer dialog
    EXPECT_EQ(lastMessage(), "印刷する式がありません。");
    type("12+9=");
    form->finishDrawing();
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ASSERT_TRUE(form->printOn(printer));
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    EXPECT_EQ(form->scheme(), 0);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), kBlackboard);
    key(Qt::Key_H);  // the board still holds the expression
    EXPECT_EQ(typed(), "12+9=");
}

// ---- companion windows and closing -----------------------------------------------------------

// The companion windows are built once the board has been painted; a key that
// comes first finds them built as at any other time.
TEST_F(KokubanTest, InputBeforeTheFirstPaintFindsStartUpFinished) {
    writeIni("[SHOUJOUKEN]\r\nSHOU_ITI=1\r\n[SPEED]\r\nPOINTMAX=0\r\n");
    form = std::make_unique<TKokubanFormM>(dir.path());
    form->show();
    ASSERT_FALSE(form->started());
    key(Qt::Key_Y);
    EXPECT_TRUE(form->started());
    EXPECT_EQ(form->jouken().POINTMAX, 1);  // the dialog set the conditions first
    EXPECT_EQ(form->jouken().STEPFLAG, 1);
    EXPECT_TRUE(form->companions().conditions()->CheckBox9->isChecked());
    EXPECT_TRUE(form->companions().stepBox()->isVisible());
    EXPECT_TRUE(form->companions().keypad()->isVisible());
    EXPECT_NE(form->SpVoice1, nullptr);
}

// A calculation wider than the board scrolls sideways; one that fits does not.
TEST_F(KokubanTest, AWideCalculationScrollsSideways) {
    open();
    form->resize(700, 600);
    QCoreApplication::processEvents();
    QScrollBar* side = form->screen().sideBar();
    type("12+9=");
    form->finishDrawing();
    EXPECT_TRUE(side->isHidden());
    key(Qt::Key_Delete);
    type("123456789012345678*12345678901=");
    form->finishDrawing();
    settle();
    ASSERT_FALSE(side->isHidden());
    EXPECT_EQ(form->screen().scrollX(), 0);  // drawn from its left end
    int right = 0;
    for (const hissan::Op& op : form->keisan().ops())
        if (op.kind == hissan::Op::Text && !op.stepOnly) right = std::max(right, op.x2);
    EXPECT_GE(side->maximum() + form->board()->width(), right);
    // Scrolled to the end, the answer's last digit is on the board.
    side->setValue(side->maximum());
    const QImage end = form->grabBoard();
    EXPECT_GT(inkBox(end, kBlackboard).right(), form->board()->width() / 2);
    // Typing past the right edge keeps the cursor in sight.
    key(Qt::Key_Delete);
    type("1234567890123456789012345678901234567890");
    EXPECT_TRUE(form->board()->rect().contains(
        form->cursorRect().translated(-form->screen().scrollX(), -form->scrollY())));
}

// F11: full screen shows the finished calculation filling the board, centred;
// the tool windows go and come back.
TEST_F(KokubanTest, FullScreenFillsTheBoardWithTheCalculation) {
    open();
    type("12+9=");
    form->finishDrawing();
    app::Companions& c = form->companions();
    ASSERT_TRUE(c.keypad()->isVisible());
    const QRect before = inkBox(form->grabBoard(), kBlackboard);
    key(Qt::Key_F11);
    settle();
    EXPECT_TRUE(form->screen().fit());
    EXPECT_FALSE(c.keypad()->isVisible());
    EXPECT_FALSE(c.face()->isVisible());
    const QImage full = form->grabBoard();
    const QRect ink = inkBox(full, kBlackboard);
    EXPECT_GT(ink.width(), before.width());  // magnified
    // It fills the board one way and is centred both ways.
    EXPECT_TRUE(ink.width() > full.width() * 8 / 10 || ink.height() > full.height() * 8 / 10);
    EXPECT_NEAR(ink.center().x(), full.width() / 2, full.width() / 20);
    EXPECT_NEAR(ink.center().y(), full.height() / 2, full.height() / 20);
    key(Qt::Key_F11);
    settle();
    EXPECT_FALSE(form->screen().fit());
    EXPECT_TRUE(c.keypad()->isVisible());
    EXPECT_TRUE(c.face()->isVisible());
    EXPECT_EQ(inkBox(form->grabBoard(), kBlackboard), before);
}

// A tool window put over the drawing moves off it, to the nearest free
// place, and never onto another tool window.
TEST_F(KokubanTest, ToolWindowsMoveOffTheDrawing) {
    open();
    form->move(0, 0);  // room beside it on the 800 x 600 screen
    form->resize(480, 400);
    settle();
    type("1234*5678=");
    form->finishDrawing();
    settle();
    app::Companions& c = form->companions();
    const QRect drawn = form->screen().drawnArea();
    ASSERT_FALSE(drawn.isEmpty());
    for (QWidget* w : {static_cast<QWidget*>(c.keypad()), static_cast<QWidget*>(c.face())}) {
        w->move(drawn.center() - QPoint(w->width() / 2, w->height() / 2));
        w->hide();
        w->show();  // showing is when a window is placed
        settle();
        EXPECT_FALSE(w->frameGeometry().intersects(drawn)) << w->windowTitle().toStdString();
    }
    EXPECT_FALSE(c.keypad()->frameGeometry().intersects(c.face()->frameGeometry()));
}

TEST_F(KokubanTest, CompanionWindowsStandBesideTheBoardAndFollowIt) {
    open();
    app::Companions& c = form->companions();
    const std::pair<QWidget*, const char*> windows[] = {
        {c.conditions(), "□条件の設定□　▲Ｆ６▼"}, {c.stepBox(), "◆手動ステップ◆"},
        {c.wordProblem(), "文章題の例文"},        {c.keypad(), "<入力パネル>　▼ Ｆ８ ▲"},
        {c.face(), "◇ピコタだよ。<F4>"},          {c.voice(), "★読み上げの設定"}};
    for (auto [w, caption] : windows) {
        ASSERT_NE(w, nullptr) << caption;
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(caption));
        EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint) << caption;
        EXPECT_EQ(w->windowType(), Qt::Tool) << caption;
    }
    EXPECT_TRUE(c.keypad()->isVisible());
    EXPECT_TRUE(c.face()->isVisible());
    EXPECT_FALSE(c.conditions()->isVisible());
    EXPECT_FALSE(c.wordProblem()->isVisible());
    EXPECT_EQ(c.wordProblem()->pos(), QPoint(200, 500));

    form->move(300, 250);
    QCoreApplication::processEvents();
    const int l = form->x(), t = form->y(), w = form->width(), h = form->height();
    EXPECT_EQ(c.conditions()->pos(), QPoint(l + w - 290, t + 230));
    EXPECT_EQ(c.stepBox()->pos(), QPoint(l + w - 220, t + 300));
    EXPECT_EQ(c.face()->pos(), QPoint(l + w - 180, t + 60));
    // The keypad also follows; a paint after a move puts it 10 pixels on.
    EXPECT_EQ(c.keypad()->y(), t + h - 220);

    // J toggles the conditions dialog, F4 the face, K the speech settings.
    key(Qt::Key_J);
    EXPECT_TRUE(c.conditions()->isVisible());
    key(Qt::Key_F6);
    EXPECT_FALSE(c.conditions()->isVisible());
    // Opened from the menu, the box closes with the next J.
    form->SokudoClick();
    EXPECT_TRUE(c.conditions()->isVisible());
    key(Qt::Key_J);
    EXPECT_FALSE(c.conditions()->isVisible());
    form->Button1Click();  // PKTIMAGE 0 -> 1: stays shown
    EXPECT_TRUE(c.face()->isVisible());
    form->Button1Click();
    EXPECT_FALSE(c.face()->isVisible());
    key(Qt::Key_K);
    EXPECT_TRUE(c.voice()->isVisible());

    // I minimises the keypad, which then stays where it is.
    key(Qt::Key_I);
    EXPECT_TRUE(c.keypad()->isMinimised());
    const QPoint parked = c.keypad()->pos();
    form->move(100, 120);
    QCoreApplication::processEvents();
    EXPECT_EQ(c.keypad()->pos(), parked);
    type("5");
    key(Qt::Key_F8);
    EXPECT_FALSE(c.keypad()->isMinimised());
    EXPECT_TRUE(c.keypad()->isVisible());
    EXPECT_EQ(typed(), "5");

    // The face moves down on every fourth tick.
    for (int i = 0; i < 4; ++i) form->Timer1Timer();
    EXPECT_EQ(c.face()->y(), form->y() + form->jouken().HARUFA + 65);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c.face()->blinking(); }, 1000));
    EXPECT_GE(c.face()->lastViseme(), 0);
    EXPECT_LE(c.face()->lastViseme(), 10);
}

TEST_F(KokubanTest, CursorBlinksOnlyWhileTyping) {
    open();
    ASSERT_FALSE(form->cursorVisible());
    form->Timer1Timer();
    EXPECT_TRUE(form->cursorVisible());
    const QRect cell = form->cursorRect();
    EXPECT_EQ(form->grabBoard().pixelColor(cell.center()), QColor(255, 255, 0));
    form->Timer1Timer();
    EXPECT_FALSE(form->cursorVisible());
    EXPECT_EQ(form->grabBoard().pixelColor(cell.center()), kBlackboard);
    form->Timer1Timer();
    type("3+4=");
    form->finishDrawing();
    for (int i = 0; i < 4; ++i) {
        form->Timer1Timer();
        EXPECT_FALSE(form->cursorVisible());
    }
}

TEST_F(KokubanTest, SettingsRoundTripThroughTheWindow) {
    open("[STEPDSP]\r\nAUTOSTEP=0\r\n");
    form->move(321, 234);
    form->resize(640, 480);
    const QSize frame = form->frameGeometry().size();
    part<QAction>(*form, "actPanel")->trigger();
    key(Qt::Key_O);
    key(Qt::Key_A);
    key(Qt::Key_Y);  // manual stepping is not kept without automatic stepping
    part<QAction>(*form, "actJk1st")->trigger();
    form->companions().wordProblem()->move(77, 88);
    for (int i = 0; i < 2; ++i) key(Qt::Key_Up, Qt::ControlModifier);
    form->close();
    form.reset();

    const std::string ini = readIni();
    EXPECT_NE(ini.find("PNTDSPFLAG=2"), std::string::npos);
    hissan::TJouken back;
    app::IniRead(back, iniPath().toStdString());
    EXPECT_EQ(back.LEFT, 321);
    EXPECT_EQ(back.TOP, 234);
    EXPECT_EQ(back.WIDTH, frame.width());
    EXPECT_EQ(back.HEIGHT, frame.height());
    EXPECT_EQ(back.PANELFLAG, 1);
    EXPECT_EQ(back.FONTSIZE, 41);
    EXPECT_EQ(back.KURIAGARI, 0);
    EXPECT_EQ(back.STEPFLAG, 0);
    EXPECT_EQ(back.JK1ST_FLAG, 1);
    EXPECT_EQ(back.POINTMAX, 2);
    EXPECT_EQ(back.BLEFT, 77);
    EXPECT_EQ(back.BTOP, 88);

    open();
    EXPECT_EQ(form->pos(), QPoint(321, 234));
    EXPECT_EQ(form->frameGeometry().size(), frame);
    EXPECT_EQ(form->size(), QSize(640, 480));
    EXPECT_TRUE(part<QWidget>(*form, "Panel1")->isVisible());
    EXPECT_EQ(form->keisan().grid().MojiSize, 41);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel2")->text(), QStringLiteral("くり上がり(A)×"));
    EXPECT_TRUE(part<QAction>(*form, "actJk1st")->isChecked());
    EXPECT_FALSE(form->companions().conditions()->isVisible());  // never opened at start
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    form.reset();

    // Automatic stepping is kept. A file that asks for both kinds starts in
    // manual mode (the conditions dialog sets "手動" after "自動"), and
    // manual mode is not kept.
    writeIni("[STEPDSP]\r\nAUTOSTEP=1\r\n[SPEED]\r\nENZANSPEED=7\r\n");
    open();
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("自動"));
    EXPECT_EQ(form->jouken().StrokeDelay, 7);
    form->close();
    form.reset();
    writeIni("[STEPDSP]\r\nAUTOSTEP=1\r\nSTEPFLAG=1\r\n");
    open();
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("手動"));
    EXPECT_EQ(form->jouken().AUTOSTEP, 0);
    form->close();
    form.reset();
    hissan::TJouken kept;
    app::IniRead(kept, iniPath().toStdString());
    EXPECT_EQ(kept.STEPFLAG, 0);
}

// ---- one copy at a time ----------------------------------------------------------------------

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstEndsOrDies) {
    QTemporaryDir dir;
    {
        app::SingleInstance first(dir.path());
        ASSERT_TRUE(first.acquired());
        app::SingleInstance second(dir.path());
        EXPECT_TRUE(second.heldElsewhere());
        EXPECT_EQ(second.path(), first.path());
    }
    app::SingleInstance again(dir.path());
    EXPECT_TRUE(again.acquired());
    // A holder that dies without cleaning up does not block the next start.
    { app::SingleInstance released(dir.path()); }
    QTemporaryDir dir2;
    const pid_t child = fork();
    if (child == 0) {
        app::SingleInstance held(dir2.path());
        if (!held.acquired()) _exit(3);
        kill(getpid(), SIGKILL);  // a crash with the lock held
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    app::SingleInstance after(dir2.path());
    EXPECT_TRUE(after.acquired());
    // A folder where no lock can be made does not keep the program from running.
    app::SingleInstance nowhere(QStringLiteral("/nonexistent/folder"));
    EXPECT_TRUE(nowhere.acquired());
    EXPECT_TRUE(nowhere.path().isEmpty());
}

}  // namespace
