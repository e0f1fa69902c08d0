// The conditions dialog with the real blackboard window: its controls set
// TJouken at once, the board's keys and panels switch through its boxes, the
// quotient and step-mode boxes keep their rules, and the help, About and
// printing commands around it.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QToolButton>
#include <functional>

#include "dialogs/about_form.h"
#include "dialogs/help_window.h"
#include "dialogs/jouken_set_form.h"
#include "tests/app/window_fixture.h"

namespace {

using dialogs::TJoukenSetFormM;
using Switch = TJoukenSetFormM::Switch;

class JoukenTest : public KokubanTest {
  protected:
    TJoukenSetFormM& dlg() { return *form->companions().conditions(); }
    // A click of the user on a box or button (a box whose click hides its
    // window, like "手動", ends the click there); the dialog is opened first.
    void click(QAbstractButton* b) {
        if (b->window() == &dlg() && !dlg().isVisible()) {
            key(Qt::Key_J);
            settle();
        }
        b->click();
    }
    // One arrow step of a number box.
    void arrowUp(QSpinBox* s) { s->stepBy(1); }

    // What a pupil sees and what the layouts read: the conditions, the panel
    // captions and colours, the menu marks, the dialog's boxes and the board.
    struct Snapshot {
        std::vector<int> fields;
        QStringList captions;
        std::vector<bool> marks;
        QImage board;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() {
        const hissan::TJouken& j = form->jouken();
        Snapshot s;
        s.fields = {j.KURIAGARI, j.KURISAGARI, j.KAIGYO_FLAG,     j.SYOUPTLNDSP,     j.QQ_FLAG,
                    j.RENDOFLAG, j.BubunWa,    j.MatsubiZeroKake, j.MatsubiZeroWari, j.SHOU_ITI,
                    j.POINTMAX,  j.AUTOSTEP,   j.STEPFLAG,        j.StrokeDelay,     j.DSP_CL_TYPE};
        for (app::ClickPanel* p :
             {part<app::ClickPanel>(*form, "Panel2"), part<app::ClickPanel>(*form, "Panel3"),
              part<app::ClickPanel>(*form, "Panel4"), part<app::ClickPanel>(*form, "Panel6"),
              part<app::ClickPanel>(*form, "Panel7"), part<app::ClickPanel>(*form, "Panel8")})
            s.captions << p->text() + p->back().name() + p->toolTip();
        for (QAction* a :
             {part<QAction>(*form, "actMatsubiKake"), part<QAction>(*form, "actMatsubiWari")})
            s.marks.push_back(a->isChecked());
        for (Switch sw :
             {Switch::Kuriagari, Switch::Kurisagari, Switch::Kaigyo, Switch::SyouPtLn, Switch::QQ,
              Switch::Rendo, Switch::MatsubiKake, Switch::MatsubiWari, Switch::BubunWa})
            s.marks.push_back(dlg().box(sw)->isChecked());
        s.board = form->grabBoard();
        return s;
    }
};

// ---- creation ------------------------------------------------------------------------------

TEST_F(JoukenTest, CreatedHiddenAtItsSizeAndSetFromTheConditions) {
    open(
        "[EXPLAIN]\r\nQQ_FLAG=1\r\n[DSPHELP]\r\nSYOUPTLNDSP=0\r\n[DSPORNOT]\r\nRENDOFLAG=0\r\n"
        "[STEPDSP]\r\nAUTOSTEP=0\r\n[SPEED]\r\nENZANSPEED=12\r\n");
    TJoukenSetFormM& d = dlg();
    EXPECT_FALSE(d.isVisible());
    key(Qt::Key_F6);
    settle();
    ASSERT_TRUE(d.isVisible());
    EXPECT_EQ(d.size(), QSize(242, 462));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("□条件の設定□　▲Ｆ６▼"));
    EXPECT_TRUE(d.CheckBox14->isChecked());  // Q, independently of B
    EXPECT_FALSE(d.CheckBox13->isChecked());
    EXPECT_FALSE(d.CheckBox4->isChecked());  // ticked at design, unticked from the file
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel8")->back(), QColor(0, 255, 0));
    EXPECT_FALSE(d.CheckBox10->isChecked());
    EXPECT_FALSE(d.CheckBox10->isVisibleTo(&d));
    // "自動" is ticked at design: unticking it leaves step mode off.
    EXPECT_FALSE(d.CheckBox8->isChecked());
    EXPECT_FALSE(d.CheckBox9->isChecked());
    EXPECT_TRUE(d.CheckBox17->isChecked());
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    EXPECT_EQ(form->jouken().StrokeDelay, 0);
    EXPECT_EQ(d.Edit1->value(), 12);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("なし"));
    EXPECT_FALSE(part<QLineEdit>(*form, "Edit2")->isEnabled());
    EXPECT_EQ(form->jouken().PaiText, "3.14");
    EXPECT_EQ(d.Panel2->toolTip(), QStringLiteral("円周率=3.14(3けた)"));
    for (QSpinBox* s : {d.Edit1, d.Edit2, d.Edit3}) EXPECT_EQ(s->alignment(), Qt::AlignRight);
    // Every control fits the window at its size with the shipped fonts.
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&d)) continue;
        const QRect r(w->mapTo(&d, QPoint(0, 0)), w->size());
        EXPECT_TRUE(d.rect().contains(r)) << w->metaObject()->className();
        // Push buttons ask for 80 pixels whatever their text; their text must fit.
        if (auto* b = qobject_cast<QPushButton*>(w))
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text()) + 6)
                << b->text().toStdString();
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->text().toStdString();
    }
}

// ---- one road for every switch -------------------------------------------------------------

TEST_F(JoukenTest, AKeyOfTheBoardAndTheSameBoxInTheDialogGiveTheSameBoard) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    type("2300*450=");
    form->finishDrawing();
    struct Pair {
        int key;
        Qt::KeyboardModifiers mods;
        QCheckBox* box;
    };
    const Pair pairs[] = {{Qt::Key_A, Qt::NoModifier, dlg().CheckBox1},
                          {Qt::Key_S, Qt::NoModifier, dlg().CheckBox2},
                          {Qt::Key_L, Qt::NoModifier, dlg().CheckBox3},
                          {Qt::Key_B, Qt::NoModifier, dlg().CheckBox13},
                          {Qt::Key_Q, Qt::NoModifier, dlg().CheckBox14},
                          {Qt::Key_U, Qt::NoModifier, dlg().CheckBox4},
                          {Qt::Key_K, Qt::ControlModifier, dlg().CheckBox15},
                          {Qt::Key_W, Qt::ControlModifier, dlg().CheckBox16}};
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.box->text().toStdString());
        const Snapshot before = snapshot();
        const bool ticked = p.box->isChecked();
        key(p.key, p.mods);
        settle();
        const Snapshot byKey = snapshot();
        EXPECT_NE(byKey.fields, before.fields);
        EXPECT_NE(p.box->isChecked(), ticked);
        key(p.key, p.mods);
        settle();
        EXPECT_TRUE(snapshot() == before);
        click(p.box);
        EXPECT_TRUE(snapshot() == byKey);
        click(p.box);
        EXPECT_TRUE(snapshot() == before);
    }
    // The panels go the same road.
    const Snapshot before = snapshot();
    QTest::mouseClick(part<app::ClickPanel>(*form, "Panel7"), Qt::LeftButton);
    EXPECT_TRUE(dlg().CheckBox13->isChecked());
    click(dlg().CheckBox13);
    EXPECT_TRUE(snapshot() == before);
    // Ctrl+Alt+B switches the partial-sum addition through its hidden box.
    form->apply(form->keisan().R1Click());
    type("47+38=");
    form->finishDrawing();
    const size_t plain = form->keisan().ops().size();
    key(Qt::Key_B, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(form->jouken().BubunWa, 1);
    EXPECT_TRUE(dlg().CheckBox10->isChecked());
    EXPECT_NE(form->keisan().ops().size(), plain);
}

TEST_F(JoukenTest, QuotientPlacesFollowEachOtherAndTheKeys) {
    open("[SPEED]\r\nPOINTMAX=2\r\n");
    EXPECT_EQ(dlg().Edit2->value(), 2);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(dlg().Edit2->value(), 3);
    arrowUp(dlg().Edit2);
    EXPECT_EQ(form->jouken().POINTMAX, 4);
    EXPECT_EQ(form->jouken().PNTDSPFLAG00, 4);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->value(), 4);
    part<QSpinBox>(*form, "Edit1")->stepBy(-1);
    EXPECT_EQ(form->jouken().POINTMAX, 3);
    EXPECT_EQ(dlg().Edit2->value(), 3);
    // The stroke keys show the current delay in the dialog, not the stored speed.
    key(Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(dlg().Edit1->value(), 1);
    EXPECT_EQ(form->jouken().ENZANSPEED, 0);
}

// ---- quotient mode -------------------------------------------------------------------------

TEST_F(JoukenTest, RoundingAtTheOnesPlaceIsRefusedOncePerClick) {
    open();
    ASSERT_EQ(form->jouken().POINTMAX, 0);
    click(dlg().CheckBox6);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "整数の位では四捨五入できません。\n設定を変えて下さい。");
    EXPECT_EQ(messages[0].title, "Debug");
    EXPECT_FALSE(dlg().CheckBox6->isChecked());
    EXPECT_TRUE(dlg().CheckBox12->isChecked());
    EXPECT_EQ(form->jouken().SHOU_ITI, 0);
    click(dlg().CheckBox6);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(JoukenTest, RoundingSetsTheLabelAndBothMinimums) {
    open("[SPEED]\r\nPOINTMAX=2\r\n[FORMPOS]\r\nPANELFLAG=1\r\n");
    click(dlg().CheckBox6);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form->jouken().SHOU_ITI, 1);
    EXPECT_EQ(dlg().PlacesText->text(), QStringLiteral("位で四捨五入"));
    EXPECT_EQ(dlg().Edit2->minimum(), 1);
    EXPECT_EQ(part<QSpinBox>(*form, "Edit1")->minimum(), 1);
    EXPECT_EQ(part<QLabel>(*form, "GB2Text4")->text(), QStringLiteral("四捨五入"));
    EXPECT_FALSE(dlg().CheckBox12->isChecked());
    // Unticking the ticked box by hand ticks it back.
    click(dlg().CheckBox6);
    EXPECT_TRUE(dlg().CheckBox6->isChecked());
    EXPECT_EQ(form->jouken().SHOU_ITI, 1);
}

TEST_F(JoukenTest, UntilExactDisablesThePlacesAndGivesThemBackAfter) {
    open("[SPEED]\r\nPOINTMAX=2\r\n");
    click(dlg().CheckBox11);
    EXPECT_EQ(form->jouken().SHOU_ITI, 2);
    EXPECT_EQ(form->jouken().POINTMAX, 10);
    EXPECT_FALSE(dlg().Edit2->isEnabled());
    EXPECT_EQ(dlg().Edit2->value(), 2);  // the box keeps its number
    EXPECT_EQ(part<QLabel>(*form, "GB2Text1")->text(), QStringLiteral("割り切れるまで割り進む"));
    click(dlg().CheckBox12);
    EXPECT_EQ(form->jouken().SHOU_ITI, 0);
    EXPECT_EQ(form->jouken().POINTMAX, 2);
    EXPECT_TRUE(dlg().Edit2->isEnabled());
    EXPECT_EQ(dlg().PlacesText->text(), QStringLiteral("位まで(最大10位)"));
    // The three boxes derive the mode back.
    form->jouken().SHOU_ITI = 1;
    dlg().ShouJoukenGet();
    EXPECT_EQ(form->jouken().SHOU_ITI, 0);
}

TEST_F(JoukenTest, LinkedPlacesRecalculateAtEachArrowClick) {
    open();
    type("12+9=");
    form->finishDrawing();
    key(Qt::Key_Delete);  // the expression waits in MaeShiki
    ASSERT_EQ(typed(), "");
    arrowUp(dlg().Edit2);
    EXPECT_EQ(typed(), "12+9=");  // recalculated at once
    key(Qt::Key_Delete);
    arrowUp(dlg().Edit2);
    EXPECT_EQ(typed(), "12+9=");
    click(dlg().CheckBox4);  // unlinked: only the condition changes
    EXPECT_EQ(form->jouken().RENDOFLAG, 0);
    key(Qt::Key_Delete);
    arrowUp(dlg().Edit2);
    EXPECT_EQ(typed(), "");
    EXPECT_EQ(form->jouken().POINTMAX, 3);
}

// ---- π ---------------------------------------------------------------------------------------

TEST_F(JoukenTest, PiDigitsFromOneToFifteen) {
    open();
    dlg().Edit3->setValue(1);
    EXPECT_EQ(form->jouken().PaiText, "3");
    key(Qt::Key_P);
    EXPECT_EQ(typed(), "3");
    key(Qt::Key_Delete);
    dlg().Edit3->setValue(15);
    EXPECT_EQ(form->jouken().PaiText, "3.14159265358979");
    EXPECT_EQ(dlg().Panel2->toolTip(), QStringLiteral("円周率=3.14159265358979(15けた)"));
    dlg().Edit3->setValue(20);  // the box holds 15 at most
    EXPECT_EQ(form->jouken().PaiKeta, 15);
    click(dlg().SpeedButton3);
    EXPECT_EQ(form->jouken().PaiKeta, 3);
    EXPECT_EQ(dlg().Edit3->value(), 3);
    EXPECT_EQ(dlg().Edit3->toolTip(), QStringLiteral("円周率=3.14(3けた)"));
    key(Qt::Key_P);
    EXPECT_EQ(typed(), "3.14");
}

// ---- step mode -------------------------------------------------------------------------------

TEST_F(JoukenTest, AutomaticSteppingPausesTheStoredSpeedBeforeEachStroke) {
    open("[SPEED]\r\nENZANSPEED=5\r\n[FORMPOS]\r\nPANELFLAG=1\r\n");
    key(Qt::Key_Y);
    ASSERT_TRUE(form->companions().stepBox()->isVisible());
    click(dlg().CheckBox8);
    EXPECT_EQ(form->jouken().AUTOSTEP, 1);
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    EXPECT_EQ(form->jouken().StrokeDelay, 5);
    // The boxes show the one kind in force.
    EXPECT_TRUE(dlg().CheckBox8->isChecked());
    EXPECT_FALSE(dlg().CheckBox9->isChecked());
    EXPECT_FALSE(dlg().CheckBox17->isChecked());
    EXPECT_FALSE(form->companions().stepBox()->isVisible());
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("自動"));
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->back(), QColor(255, 0, 0));
    EXPECT_TRUE(part<QLineEdit>(*form, "Edit2")->isEnabled());
    type("12+9=");
    ASSERT_TRUE(form->drawing());
    EXPECT_FALSE(dlg().isEnabled());  // the dialog waits for the drawing
    // The pauses wait their units x 0.5 s, read from the player's schedule:
    // the first one, and the next after it has passed.
    for (int pause = 0; pause < 2 && form->drawing(); ++pause) {
        const size_t at = form->player().revealed();
        const hissan::Op& mark = form->keisan().ops()[at - 1];
        ASSERT_EQ(mark.kind, hissan::Op::Pause);
        EXPECT_EQ(form->player().pendingWaitMs(), mark.units * 500);
        QTRY_VERIFY_WITH_TIMEOUT(!form->drawing() || form->player().revealed() > at, 3000);
    }
    form->finishDrawing();
    EXPECT_TRUE(dlg().isEnabled());
    // The speed arrows change the delay of the next strokes at once.
    arrowUp(dlg().Edit1);
    EXPECT_EQ(form->jouken().ENZANSPEED, 6);
    EXPECT_EQ(form->jouken().StrokeDelay, 6);
    EXPECT_EQ(part<QLineEdit>(*form, "Edit2")->text(), QStringLiteral("6"));
    // Unticking "自動" leaves no stepping, and "無" shows it.
    click(dlg().CheckBox8);
    EXPECT_TRUE(dlg().CheckBox17->isChecked());
    EXPECT_FALSE(dlg().CheckBox8->isChecked());
    EXPECT_EQ(form->jouken().AUTOSTEP, 0);
    EXPECT_EQ(form->jouken().StrokeDelay, 0);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("なし"));
    EXPECT_FALSE(part<QLineEdit>(*form, "Edit2")->isEnabled());
    // From none to automatic straight away.
    click(dlg().CheckBox8);
    EXPECT_TRUE(dlg().CheckBox8->isChecked());
    EXPECT_FALSE(dlg().CheckBox17->isChecked());
    EXPECT_EQ(form->jouken().AUTOSTEP, 1);
}

TEST_F(JoukenTest, NoneOverManualShowsNoneAloneAndSteppingOff) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    click(dlg().CheckBox9);
    EXPECT_EQ(form->jouken().STEPFLAG, 1);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("手動"));
    EXPECT_TRUE(form->companions().stepBox()->isVisible());
    EXPECT_FALSE(dlg().isVisible());  // choosing manual puts the dialog away
    EXPECT_FALSE(dlg().CheckBox17->isChecked());
    click(dlg().CheckBox17);
    EXPECT_TRUE(dlg().CheckBox17->isChecked());
    click(dlg().CheckBox17);  // "無" unticked by hand: ticked again, nothing else changes
    EXPECT_TRUE(dlg().CheckBox17->isChecked());
    EXPECT_FALSE(dlg().CheckBox9->isChecked());
    EXPECT_EQ(form->jouken().STEPFLAG, 0);
    EXPECT_EQ(form->jouken().AUTOSTEP, 0);
    EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), QStringLiteral("なし"));
    EXPECT_FALSE(form->companions().stepBox()->isVisible());
}

TEST_F(JoukenTest, OpeningTheDialogShowsTheStepModeOfTheKeys) {
    open("[SPEED]\r\nENZANSPEED=8\r\n");
    key(Qt::Key_Y);  // manual mode from the board, behind the dialog
    ASSERT_EQ(form->jouken().STEPFLAG, 1);
    EXPECT_TRUE(dlg().CheckBox9->isChecked());  // it follows at once
    key(Qt::Key_J);
    settle();
    EXPECT_TRUE(dlg().isVisible());
    EXPECT_TRUE(dlg().CheckBox9->isChecked());
    EXPECT_EQ(form->jouken().StrokeDelay, 0);  // as Y left it
    // Y again ends manual mode and unticks "手動".
    key(Qt::Key_Y);
    EXPECT_FALSE(dlg().CheckBox9->isChecked());
    EXPECT_TRUE(dlg().CheckBox17->isChecked());
    // "閉じる(J)" puts it away; the next J opens it.
    click(dlg().Button1);
    EXPECT_FALSE(dlg().isVisible());
    EXPECT_FALSE(form->companions().shown(app::Companion::Conditions));
    key(Qt::Key_J);
    EXPECT_TRUE(dlg().isVisible());
    // Keys typed while the dialog is active go to the board.
    QTest::keyClick(&dlg(), Qt::Key_7);
    EXPECT_EQ(typed(), "7");
    // No box of the dialog takes the keyboard from a click.
    for (QWidget* w : dlg().findChildren<QWidget*>())
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->metaObject()->className();
}

TEST_F(JoukenTest, EnterInTheDialogIsEqualsUnlessANumberBoxHasTheFocus) {
    open();
    key(Qt::Key_J);
    settle();
    ASSERT_TRUE(dlg().isVisible());
    // Digits and Enter typed while the dialog is active calculate on the board.
    for (auto [k, mods] : std::initializer_list<std::pair<int, Qt::KeyboardModifiers>>{
             {Qt::Key_1, Qt::NoModifier},
             {Qt::Key_2, Qt::NoModifier},
             {Qt::Key_Plus, Qt::KeypadModifier},
             {Qt::Key_9, Qt::NoModifier},
             {Qt::Key_Return, Qt::NoModifier}})
        QTest::keyClick(&dlg(), Qt::Key(k), mods);
    form->finishDrawing();
    EXPECT_EQ(typed(), "12+9=");
    EXPECT_EQ(form->keisan().Kotae(), "21");
    EXPECT_TRUE(dlg().isVisible());
    // In a number box Enter ends the typed number and presses "閉じる(J)"; the
    // board does not see it.
    for (QSpinBox* box : {dlg().Edit1, dlg().Edit2, dlg().Edit3}) {
        SCOPED_TRACE(box->objectName().toStdString() + std::to_string(box->maximum()));
        key(Qt::Key_Delete);
        type("3");
        if (!dlg().isVisible()) key(Qt::Key_J);
        box->setFocus();
        for (int k : {Qt::Key_Return, Qt::Key_Enter}) {
            if (!dlg().isVisible()) key(Qt::Key_J);
            QTest::keyClick(box, Qt::Key(k),
                            k == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            EXPECT_FALSE(dlg().isVisible());
            EXPECT_FALSE(form->companions().shown(app::Companion::Conditions));
            EXPECT_EQ(typed(), "3");
        }
        box->clearFocus();
    }
}

// Whatever road changes the step kind (the keys Y, End and Escape, the
// dialog's boxes, before or during a drawing), at once the panel, the step
// box, the menu marks and the dialog show the one kind in force, and a
// drawing that was playing is finished.
TEST_F(JoukenTest, EveryRoadShowsTheOneStepKindInForceAtOnce) {
    struct Case {
        std::vector<std::string> actions;  // keys, dialog boxes or an expression
        QString kind;                      // "自動", "手動" or "なし"
    };
    const Case cases[] = {
        {{"Y"}, QStringLiteral("手動")},
        {{"Y", "Y"}, QStringLiteral("なし")},
        {{"Y", "F6"}, QStringLiteral("手動")},
        {{"Y", "End"}, QStringLiteral("なし")},
        {{"manual"}, QStringLiteral("手動")},
        {{"manual", "none"}, QStringLiteral("なし")},
        {{"manual", "F6", "auto"}, QStringLiteral("自動")},
        {{"auto"}, QStringLiteral("自動")},
        {{"auto", "Y"}, QStringLiteral("手動")},
        {{"auto", "none"}, QStringLiteral("なし")},
        // During a drawing: Y and End end stepping as Escape does.
        {{"Y", "12+9=", "Esc"}, QStringLiteral("なし")},
        {{"Y", "12+9=", "Y"}, QStringLiteral("なし")},
        {{"Y", "12+9=", "End"}, QStringLiteral("なし")},
        {{"auto", "12+9=", "Y"}, QStringLiteral("なし")},
        {{"auto", "12+9=", "End"}, QStringLiteral("なし")},
    };
    for (const Case& c : cases) {
        std::string name;
        for (const std::string& a : c.actions) name += a + " ";
        SCOPED_TRACE(name);
        form.reset();
        open("[SPEED]\r\nENZANSPEED=5\r\n[FORMPOS]\r\nPANELFLAG=1\r\n");
        for (const std::string& a : c.actions) {
            if (a == "Y") {
                key(Qt::Key_Y);
            } else if (a == "End") {
                key(Qt::Key_End);
            } else if (a == "Esc") {
                key(Qt::Key_Escape);
            } else if (a == "F6") {
                key(Qt::Key_F6);
                settle();  // the dialog re-reads the boxes once it shows
                ASSERT_TRUE(dlg().isVisible());
            } else if (a == "auto" || a == "manual" || a == "none") {
                click(a == "auto"     ? dlg().CheckBox8
                      : a == "manual" ? dlg().CheckBox9
                                      : dlg().CheckBox17);
            } else {
                type(a);
                ASSERT_TRUE(form->drawing());
            }
        }
        const bool manual = c.kind == QStringLiteral("手動");
        const bool automatic = c.kind == QStringLiteral("自動");
        EXPECT_FALSE(form->drawing());
        EXPECT_EQ(form->jouken().STEPFLAG, manual ? 1 : 0);
        EXPECT_EQ(form->jouken().AUTOSTEP, automatic ? 1 : 0);
        EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->text(), c.kind);
        EXPECT_EQ(part<app::ClickPanel>(*form, "Panel5")->back(), manual      ? QColor(0, 128, 0)
                                                                  : automatic ? QColor(255, 0, 0)
                                                                              : QColor(0, 0, 255));
        EXPECT_EQ(form->companions().stepBox()->isVisible(), manual);
        EXPECT_EQ(part<QAction>(*form, "actStepView")->isChecked(), manual);
        EXPECT_EQ(part<QLineEdit>(*form, "Edit2")->isEnabled(), automatic);
        EXPECT_EQ(dlg().CheckBox9->isChecked(), manual);
        EXPECT_EQ(dlg().CheckBox8->isChecked(), automatic);
        EXPECT_EQ(dlg().CheckBox17->isChecked(), !manual && !automatic);
        if (name.find('=') != std::string::npos) EXPECT_EQ(form->keisan().Kotae(), "21");
    }
}

// The panel's speed box and the dialog's show the same stroke delay, up to
// its top of 100; the dialog's arrows keep to the stored time's 0 to 99.
TEST_F(JoukenTest, BothDelayBoxesShowTheSameDelayUpTo100) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    int presses = 0;
    for (int target : {5, 99, 100, 101}) {
        for (; presses < target; ++presses) key(Qt::Key_PageUp, Qt::ShiftModifier);
        const int delay = std::min(target, 100);
        EXPECT_EQ(form->jouken().StrokeDelay, delay);
        EXPECT_EQ(part<QLineEdit>(*form, "Edit2")->text(), QString::number(delay));
        EXPECT_EQ(dlg().Edit1->value(), delay);
    }
    arrowUp(dlg().Edit1);  // above the stored time's top: nothing
    EXPECT_EQ(dlg().Edit1->value(), 100);
    EXPECT_EQ(form->jouken().ENZANSPEED, 0);
    dlg().Edit1->stepBy(-1);
    EXPECT_EQ(form->jouken().ENZANSPEED, 99);
    EXPECT_EQ(dlg().Edit1->value(), 99);
    EXPECT_EQ(part<QLineEdit>(*form, "Edit2")->text(), QStringLiteral("99"));
    arrowUp(dlg().Edit1);
    EXPECT_EQ(form->jouken().ENZANSPEED, 99);
    EXPECT_EQ(dlg().Edit1->value(), 99);
}

TEST_F(JoukenTest, BeepOnEachManualStepWhenTicked) {
    open();
    click(dlg().CheckBox7);
    EXPECT_EQ(form->jouken().STEPBEEP, 1);
    key(Qt::Key_Y);
    type("12+9=");
    ASSERT_TRUE(form->player().atStepPoint());
    QTRY_COMPARE_WITH_TIMEOUT(form->player().state(), app::Player::State::StepWait, 2000);
    key(Qt::Key_G);
    EXPECT_EQ(beeps, 1);
    form->finishDrawing();
    click(dlg().CheckBox7);
    EXPECT_EQ(form->jouken().STEPBEEP, 0);
}

// ---- colour scheme ---------------------------------------------------------------------------

TEST_F(JoukenTest, ColourGroupsFollowEachOtherAndAClickOnTheSelectedItemChangesNothing) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    QAbstractButton* mainBlack = part<QButtonGroup>(*form, "RadioGroup1Items")->button(0);
    QAbstractButton* dlgWhite = dlg().RadioGroup1->button(1);
    click(mainBlack);  // already selected
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 0);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), kBlackboard);
    EXPECT_TRUE(mainBlack->isChecked());
    click(dlg().RadioGroup1->button(0));
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 0);

    click(dlgWhite);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 1);
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->checkedId(), 1);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), kWhiteboard);
    click(dlgWhite);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 1);
    key(Qt::Key_M);
    EXPECT_EQ(dlg().RadioGroup1->checkedId(), 2);
    EXPECT_EQ(dlg().RadioGroup1->button(2)->text(), "見やすい色");
    // Refused while an expression is being typed: both stay on the scheme.
    type("3");
    click(dlgWhite);
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 2);
    EXPECT_EQ(dlg().RadioGroup1->checkedId(), 2);
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->checkedId(), 2);
    // The dialog chooses 見やすい色 and the black board again.
    key(Qt::Key_Delete);
    click(dlg().RadioGroup1->button(0));
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 0);
    click(dlg().RadioGroup1->button(2));
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 2);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), QColor(0, 72, 32));
}

// The first change of a run goes to the whiteboard, or to 見やすい色 when
// that is what was chosen.
TEST_F(JoukenTest, FirstChangeCanChooseTheContrastScheme) {
    open("[FORMPOS]\r\nPANELFLAG=1\r\n");
    click(dlg().RadioGroup1->button(2));
    EXPECT_EQ(form->jouken().DSP_CL_TYPE, 2);
    EXPECT_EQ(part<QButtonGroup>(*form, "RadioGroup1Items")->checkedId(), 2);
}

// ---- help, About, printing -----------------------------------------------------------------

TEST_F(JoukenTest, HelpOpensTheProgramsOwnDocument) {
    open();
    key(Qt::Key_F1);
    auto* help = form->findChild<dialogs::HelpWindow*>();
    ASSERT_NE(help, nullptr) << lastMessage();
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser()->source().toLocalFile().endsWith("help/hissan-help.html"));
    const QString text = help->browser()->toPlainText();
    for (const char* topic : {"キーボードの使い方", "入力パネル", "条件の設定", "ステップ計算",
                              "読み上げ", "bunExPtrn.txt", "印刷", "hissan-render", "pkt_m41.ini"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
    // The dialog's help button and F1 again use the one window.
    click(dlg().Button4);
    EXPECT_EQ(form->findChildren<dialogs::HelpWindow*>().size(), 1);
}

TEST_F(JoukenTest, AboutIsAModalBoxMadeEachTime) {
    open();
    form->About1Click();
    auto boxes = form->findChildren<dialogs::TAboutFormR*>();
    ASSERT_EQ(boxes.size(), 1);
    dialogs::TAboutFormR* box = boxes[0];
    EXPECT_TRUE(box->isModal());
    EXPECT_EQ(box->findChild<QLabel*>("AboutName")->text(), QStringLiteral("縦書き計算器"));
    EXPECT_EQ(box->findChild<QLabel*>("AboutVersion")->text(),
              QStringLiteral("バージョン ") + dialogs::TAboutFormR::version());
    EXPECT_FALSE(dialogs::TAboutFormR::version().isEmpty());
    const QImage pic = dialogs::TAboutFormR::picture(100);
    int drawn = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) drawn += qAlpha(pic.pixel(x, y)) > 0;
    EXPECT_GT(drawn, 3000);
    box->accept();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form->findChildren<dialogs::TAboutFormR*>().isEmpty());
}

TEST_F(JoukenTest, PrintsOnePageToPdfInWhiteboardColoursWithoutPauses) {
    open("[SPEED]\r\nENZANSPEED=9\r\n");
    click(dlg().CheckBox8);  // automatic stepping: the screen pauses, the page does not
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    int n = 0;
    // Prints the calculation on the board to a PDF file; its pages as pictures.
    auto print = [&]() -> std::vector<QImage> {
        const QString pdf = dir.filePath(QStringLiteral("board%1.pdf").arg(++n));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        EXPECT_TRUE(form->printOn(printer));
        EXPECT_FALSE(form->drawing());
        std::vector<QImage> pages;
        if (pdftoppm.isEmpty()) return pages;
        const QString prefix = dir.filePath(QStringLiteral("page%1").arg(n));
        QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("40"),
                                     QStringLiteral("-png"), pdf, prefix});
        for (const QString& f : QDir(dir.path()).entryList({QStringLiteral("page%1-*.png").arg(n)}))
            pages.emplace_back(dir.filePath(f));
        return pages;
    };
    // Where the ink is, and that it is black and grey on white paper.
    auto ink = [](const QImage& page) {
        int white = 0, dark = 0, green = 0;
        QRect r;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.lightness() > 245) {
                    ++white;
                    continue;
                }
                r |= QRect(x, y, 1, 1);
                if (c.green() > c.red() + 60 && c.green() > c.blue() + 60) ++green;
                if (c.lightness() < 80) ++dark;
            }
        EXPECT_GT(white, page.width() * page.height() * 8 / 10);
        EXPECT_GT(dark, 20);
        EXPECT_EQ(green, 0);  // no blackboard on paper
        return r;
    };

    type("18+4=");
    ASSERT_TRUE(form->drawing());
    form->finishDrawing();
    const std::vector<QImage> pages = print();
    EXPECT_EQ(form->scheme(), 0);
    EXPECT_EQ(form->grabBoard().pixelColor(300, 250), kBlackboard);
    key(Qt::Key_H);  // the board still holds the expression
    EXPECT_EQ(typed(), "18+4=");
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm is not installed";
    ASSERT_EQ(pages.size(), 1u);
    const QRect small = ink(pages[0]);
    EXPECT_GT(small.left(), 0);
    EXPECT_GT(small.top(), 0);
    EXPECT_LT(small.bottom(), pages[0].height() / 2);

    // A calculation wider than the paper is printed smaller, answer and all.
    key(Qt::Key_Delete);
    type("123456789*987654321=");
    form->finishDrawing();
    const std::vector<QImage> wide = print();
    ASSERT_EQ(wide.size(), 1u);
    const QRect all = ink(wide[0]);
    EXPECT_GT(all.left(), 0);
    EXPECT_LT(all.right(), wide[0].width() - 3);
    EXPECT_LT(all.bottom(), wide[0].height() - 3);
}

// ---- the dialog alone ------------------------------------------------------------------------

// Without a main window the dialog tells what the user asked for through its
// signals, in the order its handlers reach them: the main window answers
// each one before the handler goes on.
TEST(JoukenSignals, EachControlEmitsItsIntentInOrder) {
    hissan::TJouken jk;
    TJoukenSetFormM d(nullptr, jk);
    QStringList log;
    using C = TJoukenSetFormM::Change;
    QObject::connect(&d, &TJoukenSetFormM::conditionsChanged, [&](C what) {
        log << QString("change %1").arg(QMetaEnum::fromType<C>().valueToKey(int(what)));
    });
    QObject::connect(&d, &TJoukenSetFormM::stepModeChosen, [&] { log << "step"; });
    QObject::connect(&d, &TJoukenSetFormM::strokeTimeEnabled,
                     [&](bool on) { log << QString("stroke time %1").arg(on); });
    QObject::connect(&d, &TJoukenSetFormM::recalculateRequested, [&] { log << "recalculate"; });
    QObject::connect(&d, &TJoukenSetFormM::schemeChosen,
                     [&](int item) { log << QString("scheme %1").arg(item); });
    QObject::connect(&d, &TJoukenSetFormM::fontRequested, [&] { log << "font"; });
    QObject::connect(&d, &TJoukenSetFormM::biggerRequested, [&] { log << "bigger"; });
    QObject::connect(&d, &TJoukenSetFormM::smallerRequested, [&] { log << "smaller"; });
    QObject::connect(&d, &TJoukenSetFormM::helpRequested, [&] { log << "help"; });
    QObject::connect(&d, &TJoukenSetFormM::hidden, [&] { log << "hidden"; });
    QObject::connect(&d, &TJoukenSetFormM::notice,
                     [&](const QString& text, const QString&) { log << "notice " + text; });
    QObject::connect(&d, &TJoukenSetFormM::keyTyped, [&](int key, Qt::KeyboardModifiers, quint32) {
        log << QString("key %1").arg(key);
    });
    d.FormCreate(0, 0);

    const struct {
        const char* what;
        std::function<void()> act;
        QStringList expected;
    } cases[] = {
        {"文字", [&] { d.Button3->click(); }, {"font"}},
        {"ヘルプ", [&] { d.Button4->click(); }, {"help"}},
        {"bigger", [&] { d.SpeedButton1->click(); }, {"bigger"}},
        {"smaller", [&] { d.SpeedButton2->click(); }, {"smaller"}},
        {"carry", [&] { d.CheckBox1->toggle(); }, {"change Captions", "change Layout"}},
        {"follow", [&] { d.CheckBox4->toggle(); }, {"change Captions"}},
        {"line break", [&] { d.CheckBox3->toggle(); }, {"change LineBreak", "change Captions"}},
        {"automatic",
         [&] { d.CheckBox8->setChecked(true); },  // "無" unticked first runs its own handler
         {"step", "stroke time 1", "step"}},
        {"stroke time", [&] { d.Edit1->setValue(d.Edit1->value() == 50 ? 51 : 50); }, {"step"}},
        {"places, following",
         [&] {
             jk.RENDOFLAG = 1;
             d.Edit2->setValue(3);
         },
         {"change PointMax", "recalculate"}},
        {"places",
         [&] {
             jk.RENDOFLAG = 0;
             d.Edit2->setValue(4);
         },
         {"change PointMax"}},
        {"round at ones",
         [&] {
             jk.POINTMAX = 0;
             d.CheckBox6->setChecked(true);
         },
         {"notice 整数の位では四捨五入できません。\n設定を変えて下さい。"}},
        {"scheme", [&] { d.RadioGroup1->button(1)->click(); }, {"scheme 1"}},
        {"key", [&] { QTest::keyClick(&d, Qt::Key_5); }, {"key 53"}},
        {"閉じる", [&] { d.Button1->click(); }, {"hidden"}},
    };
    for (const auto& c : cases) {
        log.clear();
        c.act();
        EXPECT_EQ(log, c.expected) << c.what;
    }
}

}  // namespace
