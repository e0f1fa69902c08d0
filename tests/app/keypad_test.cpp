// The on-screen keypad beside the real blackboard: its buttons, what each
// does to the entry, and the focus it hands back.
#include "dialogs/keypad.h"

#include <gtest/gtest.h>

#include <QPointingDevice>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/kokuban_form.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/senex_form.h"
#include "speech/voice_set_form.h"

namespace {

class KeypadTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::vector<hissan::Message> messages;
    std::vector<std::string> spoken;
    std::unique_ptr<app::TKokubanFormM> form;

    void SetUp() override {
        app::formHooks().message = [this](const hissan::Message& m) { messages.push_back(m); };
        app::formHooks().beep = [] {};
        form = std::make_unique<app::TKokubanFormM>(dir.path());
        form->speak = [this](const std::string& s) { spoken.push_back(s); };
        form->show();
        QCoreApplication::processEvents();
        // The companion windows come once the board is on the screen.
        [this] { QTRY_VERIFY(form->started()); }();
    }
    void TearDown() override {
        form.reset();
        app::formHooks() = {};
    }
    dialogs::TInputFormM& pad() { return *form->companions().keypad(); }
    QToolButton* button(const char* name) {
        QToolButton* b = pad().button(QLatin1String(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    // Clicks the named buttons one after another, as a pupil does.
    void click(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            QToolButton* b = button(n);
            if (!b) return;
            QTest::mouseClick(b, Qt::LeftButton);
            form->finishDrawing();
        }
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        form->finishDrawing();
    }
    std::string typed() const { return form->keisan().ShikiNyuryoku(); }
};

TEST_F(KeypadTest, WindowButtonsAndCursors) {
    EXPECT_EQ(pad().windowTitle(), QStringLiteral("<入力パネル>　▼ Ｆ８ ▲"));
    EXPECT_EQ(pad().size(), QSize(162, 208));
    EXPECT_FALSE(pad().windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(pad().y(), form->y() + form->height() - 220);
    // The buttons lie inside the window without covering one another.
    const QList<QToolButton*> buttons = pad().findChildren<QToolButton*>();
    EXPECT_EQ(buttons.size(), 25);
    for (QToolButton* a : buttons) {
        EXPECT_TRUE(QRect(0, 0, 162, 208).contains(a->geometry())) << a->objectName().toStdString();
        for (QToolButton* b : buttons)
            if (a != b) EXPECT_FALSE(a->geometry().intersects(b->geometry()));
    }
    // π keeps its hint although a short click works now.
    EXPECT_EQ(button("SpeedButton2")->toolTip(), QStringLiteral("マウスは長めに押してね！"));
    EXPECT_EQ(button("SpeedButton3")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(button("SpeedButton5")->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(button("SpeedButton11")->cursor().shape(), Qt::ArrowCursor);
}

// The size switch makes every button large enough for a finger, with its
// caption scaled, and the settings file keeps the choice for the next start.
TEST_F(KeypadTest, SizeSwitchMakesTheButtonsLargeAndIsRemembered) {
    auto fontOf = [this](const char* name) { return button(name)->font().pointSize(); };
    const int digitPoints = fontOf("SpeedButton4"), wordPoints = fontOf("DeleteButton");
    const QPoint bottomRight = pad().geometry().bottomRight();
    click({"SizeButton"});
    ASSERT_TRUE(pad().isLarge());
    EXPECT_EQ(form->jouken().KEYPADSIZE, 1);
    EXPECT_EQ(pad().geometry().bottomRight(), bottomRight);  // it grows towards the board
    const QList<QToolButton*> buttons = pad().findChildren<QToolButton*>();
    for (QToolButton* a : buttons) {
        const std::string name = a->objectName().toStdString();
        EXPECT_GE(a->width(), 48) << name;
        EXPECT_GE(a->height(), 48) << name;
        EXPECT_TRUE(pad().rect().contains(a->geometry())) << name;
        for (QToolButton* b : buttons)
            if (a != b) EXPECT_FALSE(a->geometry().intersects(b->geometry()));
    }
    EXPECT_EQ(fontOf("SpeedButton4"), 2 * digitPoints);
    EXPECT_EQ(fontOf("DeleteButton"), 2 * wordPoints);
    // The large buttons type as the small ones do.
    click({"SpeedButton4", "SpeedButton18", "SpeedButton10", "EqualButton"});
    EXPECT_EQ(typed(), "1+2=");

    form->close();
    form = std::make_unique<app::TKokubanFormM>(dir.path());
    form->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(pad().isLarge());
    // Placed as the normal keypad would be, by its lower right corner.
    EXPECT_EQ(pad().y() + pad().height(), form->y() + form->height() - 220 + 208);
    EXPECT_EQ(pad().x() + pad().width(), form->x() + form->width() - 210 + 162);
    click({"SizeButton"});
    EXPECT_FALSE(pad().isLarge());
    EXPECT_EQ(pad().size(), QSize(162, 208));
    EXPECT_EQ(form->jouken().KEYPADSIZE, 0);
}

// A finger's tap works every button as a click does, once; a touch that
// slides off the button before it is lifted does nothing. The buttons take
// the touch events themselves: they work also where no mouse events are
// made up from touches.
TEST_F(KeypadTest, TouchTapsWorkLikeClicks) {
    struct NoEmulation {
        NoEmulation() {
            QCoreApplication::setAttribute(Qt::AA_SynthesizeMouseForUnhandledTouchEvents, false);
        }
        ~NoEmulation() {
            QCoreApplication::setAttribute(Qt::AA_SynthesizeMouseForUnhandledTouchEvents, true);
        }
    } noEmulation;
    QPointingDevice* screen = QTest::createTouchDevice();
    auto tap = [&](const char* name) {
        QToolButton* b = button(name);
        const QPoint at = b->rect().center();
        QTest::touchEvent(b, screen).press(0, at, b);
        QTest::touchEvent(b, screen).release(0, at, b);
        QCoreApplication::processEvents();
        form->finishDrawing();
    };
    for (const char* name : {"SpeedButton7", "SpeedButton19", "SpeedButton15"}) tap(name);
    EXPECT_EQ(typed(), "7*3");
    tap("EqualButton");
    EXPECT_EQ(typed(), "7*3=");
    EXPECT_EQ(form->keisan().Kotae(), "21");
    tap("DeleteButton");
    EXPECT_EQ(typed(), "");
    // Slid off: nothing typed, the button is up again.
    QToolButton* seven = button("SpeedButton7");
    QTest::touchEvent(seven, screen).press(0, seven->rect().center(), seven);
    QTest::touchEvent(seven, screen).move(0, seven->rect().center() + QPoint(0, 80), seven);
    QTest::touchEvent(seven, screen).release(0, seven->rect().center() + QPoint(0, 80), seven);
    QCoreApplication::processEvents();
    EXPECT_EQ(typed(), "");
    EXPECT_FALSE(seven->isDown());
    // The size switch takes a tap too.
    tap("SizeButton");
    EXPECT_TRUE(pad().isLarge());
    tap("SpeedButton8");
    EXPECT_EQ(typed(), "8");
}

TEST_F(KeypadTest, CharacterButtonsTypeAndEvaluateLikeTheKeyboard) {
    click({"SpeedButton4", "SpeedButton10", "SpeedButton19", "SpeedButton15"});
    EXPECT_EQ(typed(), "12*3");
    click({"BackSpaceButton"});
    EXPECT_EQ(typed(), "12*");
    click({"BackSpaceButton", "SpeedButton21"});
    EXPECT_EQ(typed(), "12/");
    click({"BackSpaceButton", "SpeedButton20", "SpeedButton6", "TenInpButton", "SpeedButton9"});
    EXPECT_EQ(typed(), "12-4.5");
    click({"DeleteButton"});
    EXPECT_EQ(typed(), "");
    click({"HukkatuButton"});
    EXPECT_EQ(typed(), "12-4.5");
    click({"DeleteButton", "SpeedButton4", "SpeedButton6", "SpeedButton16", "SpeedButton18",
           "SpeedButton7", "SpeedButton8", "SpeedButton17", "SpeedButton3", "EqualButton"});
    EXPECT_EQ(typed(), "146+7890=");
    EXPECT_EQ(form->keisan().Kotae(), "8036");
    EXPECT_EQ(form->keisan().KotaeZumi(), 1);
    EXPECT_EQ(pad().KeypadActive, 1);
    // The digit limits answer a keypad click exactly as a typed key.
    click({"DeleteButton"});
    for (int i = 0; i < 19; ++i) click({"SpeedButton4"});
    EXPECT_EQ(typed(), std::string(18, '1'));
    EXPECT_FALSE(messages.empty());
}

TEST_F(KeypadTest, RecalculateAndReadAloud) {
    click({"SpeedButton4", "SpeedButton10", "SpeedButton18", "SpeedButton15", "SpeedButton6",
           "EqualButton"});
    EXPECT_EQ(typed(), "12+34=");
    ASSERT_EQ(form->jouken().YOMIAGEFLAG2, 0);
    EXPECT_TRUE(spoken.empty());
    // "読Ｖ" reads also when reading after "=" is off; the main window hands
    // over the reading text, with the sign read as a word.
    click({"SpeedButton5"});
    ASSERT_EQ(spoken.size(), 2u);
    EXPECT_EQ(spoken[0], "12たす34=イコール");
    EXPECT_EQ(spoken[1], "46");
    // "再計算Ｒ" draws the same calculation again.
    click({"RecalcButton"});
    EXPECT_EQ(typed(), "12+34=");
    EXPECT_EQ(form->keisan().Kotae(), "46");
}

TEST_F(KeypadTest, PiEntersOnEveryQuickClick) {
    click({"SpeedButton2"});
    EXPECT_EQ(typed(), "3.14");
    click({"DeleteButton", "SpeedButton2"});
    EXPECT_EQ(typed(), "3.14");
}

TEST_F(KeypadTest, ConditionsSpeechSettingsAndTheWordProblemWindow) {
    app::Companions& c = form->companions();
    click({"SpeedButton1"});
    EXPECT_TRUE(c.conditions()->isVisible());
    click({"SpeedButton1"});
    EXPECT_FALSE(c.conditions()->isVisible());
    click({"SpeedButton11"});
    EXPECT_TRUE(c.voice()->isVisible());
    click({"SpeedButton11"});
    EXPECT_FALSE(c.voice()->isVisible());
    // "消去D" hides the story also when there is nothing to erase.
    c.wordProblem()->show();
    click({"DeleteButton"});
    EXPECT_FALSE(c.wordProblem()->isVisible());
}

TEST_F(KeypadTest, KeysTypedOnTheKeypadReachTheBoardAndTheFlagFollowsUse) {
    QTest::keyClick(&pad(), Qt::Key_7);
    QTest::keyClick(&pad(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(typed(), "7+");
    pad().KeypadActive = 0;
    click({"SpeedButton3"});
    EXPECT_EQ(pad().KeypadActive, 1);
    EXPECT_EQ(typed(), "7+0");
}

// The keypad alone: each button emits what it asks of the main window, the
// focus going back to the board last; reading aloud and the speech settings
// leave the focus where it is.
TEST(KeypadSignals, EachButtonEmitsItsIntentThenTheFocus) {
    dialogs::TInputFormM pad(nullptr);
    using P = dialogs::TInputFormM;
    QStringList log;
    QObject::connect(&pad, &P::charTyped, [&](char ch) { log << QString("char %1").arg(ch); });
    QObject::connect(&pad, &P::backSpaceRequested, [&] { log << "back space"; });
    QObject::connect(&pad, &P::restoreRequested, [&] { log << "restore"; });
    QObject::connect(&pad, &P::eraseRequested, [&] { log << "erase"; });
    QObject::connect(&pad, &P::recalculateRequested, [&] { log << "recalculate"; });
    QObject::connect(&pad, &P::keyPosted, [&](int key) { log << QString("post %1").arg(key); });
    QObject::connect(&pad, &P::readAloudRequested, [&] { log << "read"; });
    QObject::connect(&pad, &P::voiceSettingsRequested, [&] { log << "voice"; });
    QObject::connect(&pad, &P::boardFocusRequested, [&] { log << "focus"; });
    QObject::connect(&pad, &P::keyTyped, [&](int key, Qt::KeyboardModifiers, quint32) {
        log << QString("key %1").arg(key);
    });
    const struct {
        const char* button;
        QStringList expected;
    } cases[] = {
        {"SpeedButton19", {"char *", "focus"}},
        {"EqualButton", {"char =", "focus"}},
        {"BackSpaceButton", {"back space", "focus"}},
        {"HukkatuButton", {"restore", "focus"}},
        {"DeleteButton", {"erase", "focus"}},
        {"RecalcButton", {"recalculate", "focus"}},
        {"SpeedButton1", {QString("post %1").arg(int(Qt::Key_F6)), "focus"}},
        {"SpeedButton2", {QString("post %1").arg(int(Qt::Key_P)), "focus"}},
        {"SpeedButton5", {"read"}},
        {"SpeedButton11", {"voice"}},
    };
    for (const auto& c : cases) {
        log.clear();
        QToolButton* b = pad.button(c.button);
        ASSERT_NE(b, nullptr) << c.button;
        b->click();
        EXPECT_EQ(log, c.expected) << c.button;
    }
    log.clear();
    QTest::keyClick(&pad, Qt::Key_7);
    EXPECT_EQ(log, QStringList{"key 55"});
}

}  // namespace
