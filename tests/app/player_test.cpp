// The stroke player: what is revealed at each pacing mark, manual steps with
// G and Escape, step-only marks, and lists that change under a running play.
#include "app/player.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

using hissan::Op;

Op text(const char* t) {
    Op op;
    op.kind = Op::Text;
    op.text = t;
    return op;
}
Op pause(int units, bool stepOnly = false) {
    Op op;
    op.kind = Op::Pause;
    op.units = units;
    op.stepOnly = stepOnly;
    return op;
}
Op step(bool stepOnly = false) {
    Op op;
    op.kind = Op::Step;
    op.stepOnly = stepOnly;
    return op;
}

struct PlayerTest : ::testing::Test {
    hissan::TJouken jk;
    hissan::DisplayList ops;
    app::Player player{jk, [this]() -> const hissan::DisplayList& { return ops; }};
    QSignalSpy finished{&player, &app::Player::finished};
    QSignalSpy beeps{&player, &app::Player::beep};
    QSignalSpy ended{&player, &app::Player::stepModeEnded};
};

TEST_F(PlayerTest, WithoutDelayOrStepsTheRunIsOverAtOnce) {
    ops = {text("1"), pause(1), text("2"), step(), text("3")};
    player.start(0);
    EXPECT_FALSE(player.running());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(player.revealed(), size_t(-1));  // idle: everything is shown
}

TEST_F(PlayerTest, PausesWaitStrokeDelayReadAtEachMark) {
    ops = {text("prompt"), text("1"), pause(1), text("2"), pause(2), text("3")};
    jk.StrokeDelay = 1;
    player.start(1);  // the prompt was shown before the run
    ASSERT_TRUE(player.running());
    EXPECT_EQ(player.revealed(), 3u);  // "1" and the pause mark
    // Speeding up during the run counts from the next mark on.
    jk.StrokeDelay = 0;
    QTRY_VERIFY_WITH_TIMEOUT(!player.running(), 2000);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(PlayerTest, ManualStepWaitsForGAfterItsGuardTime) {
    ops = {text("1"), step(), text("2"), step(), text("3")};
    jk.STEPFLAG = 1;
    jk.STEPBEEP = 1;
    player.start(0);
    EXPECT_EQ(player.state(), app::Player::State::StepGuard);
    EXPECT_EQ(player.revealed(), 2u);
    // G during the first 200 ms does not count.
    EXPECT_FALSE(player.stepGo());
    QTRY_COMPARE_WITH_TIMEOUT(player.state(), app::Player::State::StepWait, 2000);
    EXPECT_TRUE(player.stepGo());
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(player.revealed(), 4u);
    EXPECT_TRUE(player.atStepPoint());
    // A drawing finished from outside (a repaint, a test) skips the waits.
    player.finish();
    EXPECT_FALSE(player.running());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(jk.STEPFLAG, 1);
}

TEST_F(PlayerTest, NoBeepWithoutStepBeep) {
    ops = {step(), text("1")};
    jk.STEPFLAG = 1;
    player.start(0);
    QTRY_COMPARE_WITH_TIMEOUT(player.state(), app::Player::State::StepWait, 2000);
    EXPECT_TRUE(player.stepGo());
    EXPECT_EQ(beeps.count(), 0);
    EXPECT_FALSE(player.running());
}

TEST_F(PlayerTest, EscapeEndsSteppingAndDrawsTheRestAtOnce) {
    ops = {text("1"), step(), text("2"), pause(3), step(), text("3")};
    jk.STEPFLAG = 1;
    jk.StrokeDelay = 5;
    player.start(0);
    ASSERT_TRUE(player.atStepPoint());
    EXPECT_TRUE(player.stepEscape());
    EXPECT_EQ(jk.STEPFLAG, 0);
    EXPECT_EQ(jk.StrokeDelay, 0);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(player.running());
    EXPECT_EQ(finished.count(), 1);
    // Outside a step point Escape and G change nothing.
    EXPECT_FALSE(player.stepEscape());
    EXPECT_FALSE(player.stepGo());
}

// Y or End during a run: whatever stepping was in force, and wherever the
// run stands, stepping ends and the rest is drawn at once.
TEST_F(PlayerTest, StoppingSteppingDrawsTheRestFromAnyPointOfARun) {
    struct Case {
        const char* name;
        int autostep, stepflag, delay;
        app::Player::State at;  // where the run stands when stepping is stopped
    };
    const Case cases[] = {
        {"automatic, in a pause", 1, 0, 5, app::Player::State::Drawing},
        {"manual, in the step's guard time", 0, 1, 0, app::Player::State::StepGuard},
        {"manual, waiting for G", 0, 1, 3, app::Player::State::StepWait},
    };
    ops = {text("1"), pause(1), step(), text("2"), pause(2), step(), text("3"), step(true)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        jk.AUTOSTEP = c.autostep;
        jk.STEPFLAG = c.stepflag;
        jk.StrokeDelay = c.delay;
        finished.clear();
        ended.clear();
        player.start(0);
        ASSERT_TRUE(player.running());
        QTRY_COMPARE_WITH_TIMEOUT(player.state(), c.at, 2000);
        EXPECT_TRUE(player.stopStepping());
        EXPECT_FALSE(player.running());
        EXPECT_EQ(player.revealed(), size_t(-1));
        EXPECT_EQ(finished.count(), 1);
        EXPECT_EQ(ended.count(), 1);
        EXPECT_EQ(jk.AUTOSTEP, 0);
        EXPECT_EQ(jk.STEPFLAG, 0);
        EXPECT_EQ(jk.StrokeDelay, 0);
    }
    // No run: nothing to stop.
    EXPECT_FALSE(player.stopStepping());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(PlayerTest, StepOnlyMarksCountOnlyInStepMode) {
    ops = {text("1"), pause(1, true), step(true), text("2")};
    jk.StrokeDelay = 1;
    player.start(0);
    EXPECT_FALSE(player.running());

    jk.STEPFLAG = 1;
    player.start(0);
    EXPECT_TRUE(player.running());
    player.finish();
}

TEST_F(PlayerTest, ListClearedOrReplacedDuringARunEndsItSafely) {
    ops = {text("1"), pause(1), text("2"), text("3"), text("4")};
    jk.StrokeDelay = 1;
    player.start(0);
    ASSERT_TRUE(player.running());
    ops.clear();  // the board was cleared
    QTRY_VERIFY_WITH_TIMEOUT(!player.running(), 2000);
    EXPECT_EQ(finished.count(), 1);

    // Starting again while a run plays finishes the old one first.
    ops = {text("1"), pause(1), text("2")};
    player.start(0);
    player.start(0);
    EXPECT_EQ(finished.count(), 2);
    player.finish();
    EXPECT_EQ(finished.count(), 3);
}

}  // namespace
