// The speech settings window, the face window and how the blackboard uses
// them: readings asked for at the keys, "=" and "読", the face's timer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <memory>

#include "app/kokuban_form.h"
#include "core/yomi.h"
#include "speech/face_s.h"
#include "speech/speech_engine.h"
#include "speech/voice_set_form.h"

namespace {

using speech::TFaceS;
using speech::TVoiceSetForm;

// Records the rate, volume and text of every request; plays nothing.
class Recorder : public speech::PcmOutput {
  public:
    bool ready(QString*) override { return true; }
    void push(const int16_t*, size_t, int) override {}
    bool playing() const override { return false; }
};

struct VoiceFixture : ::testing::Test {
    hissan::TJouken jk;
    std::unique_ptr<speech::SpeechEngine> engine =
        std::make_unique<speech::SpeechEngine>(std::make_unique<Recorder>());
};

TEST_F(VoiceFixture, WindowShowsTheSettingsAndClampsTheLevels) {
    jk.YOMIAGEFLAG1 = 1;
    jk.YOMIAGEHAYASA = 7;
    jk.YOMIAGEOOKISA = 50;  // a missing file's default
    TVoiceSetForm f(nullptr, jk, engine.get());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("★読み上げの設定"));
    EXPECT_EQ(f.size(), QSize(282, 229));
    EXPECT_TRUE(f.isHidden());
    EXPECT_TRUE(f.CheckBox1->isChecked());
    EXPECT_FALSE(f.CheckBox2->isChecked());
    EXPECT_EQ(f.CheckBox1->text(), QStringLiteral("１字入力ごとに読む"));
    EXPECT_EQ(f.CheckBox2->text(), QStringLiteral("式と答えを読む"));
    EXPECT_FALSE(f.CheckBox3->isVisibleTo(&f));
    EXPECT_EQ(f.TrackBar1->value(), 7);
    EXPECT_EQ(jk.YOMIAGEOOKISA, 10);  // brought into range and in force
    for (QSlider* t : {f.TrackBar1, f.TrackBar2}) {
        EXPECT_EQ(t->minimum(), 0);
        EXPECT_EQ(t->maximum(), 10);
        EXPECT_EQ(t->singleStep(), 2);
        EXPECT_EQ(t->pageStep(), 1);
        EXPECT_EQ(t->tickInterval(), 1);
    }
    // Below the range too, also where the slider's position does not move.
    jk.YOMIAGEHAYASA = -3;
    jk.YOMIAGEOOKISA = 0;
    TVoiceSetForm g(nullptr, jk, engine.get());
    EXPECT_EQ(jk.YOMIAGEHAYASA, 0);
    EXPECT_EQ(jk.YOMIAGEOOKISA, 0);
}

TEST_F(VoiceFixture, CheckBoxesCountOnlyWithTheCloseButtonSlidersAtOnce) {
    jk.YOMIAGEFLAG2 = 1;
    TVoiceSetForm f(nullptr, jk, engine.get());
    f.show();
    f.CheckBox2->setChecked(false);
    f.CheckBox1->setChecked(true);
    f.TrackBar1->setValue(9);
    EXPECT_EQ(jk.YOMIAGEHAYASA, 9);
    f.close();  // the title-bar box: flags as they were, slider kept
    EXPECT_TRUE(f.isHidden());
    EXPECT_EQ(jk.YOMIAGEFLAG2, 1);
    EXPECT_EQ(jk.YOMIAGEFLAG1, 0);
    EXPECT_EQ(jk.YOMIAGEHAYASA, 9);
    f.show();
    EXPECT_FALSE(f.CheckBox2->isChecked());  // still shows what was left
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    EXPECT_TRUE(f.isHidden());
    EXPECT_EQ(jk.YOMIAGEFLAG2, 0);
    EXPECT_EQ(jk.YOMIAGEFLAG1, 1);
    EXPECT_EQ(jk.REIYOMIAGE, 0);
}

TEST_F(VoiceFixture, SpeakingStepSetsRateAndVolumeFromTheLevels) {
    const std::pair<int, int> rates[] = {{5, 0}, {0, -5}, {10, 5}};
    for (auto [level, rate] : rates) {
        jk.YOMIAGEHAYASA = level;
        jk.YOMIAGEOOKISA = 10;
        speech::Hanasu(*engine, jk, "いち");
        EXPECT_EQ(engine->rate(), rate);
        EXPECT_EQ(engine->volume(), 100);
    }
    jk.YOMIAGEOOKISA = 3;
    speech::Hanasu(*engine, jk, "いち");
    EXPECT_EQ(engine->volume(), 30);
}

TEST_F(VoiceFixture, TestButtonSpeaksTheSentenceTwiceInOrderWithoutBlocking) {
    std::vector<int> finished;
    QObject::connect(engine.get(), &speech::SpeechEngine::finished,
                     [&](int id) { finished.push_back(id); });
    jk.YOMIAGEHAYASA = 2;
    TVoiceSetForm f(nullptr, jk, engine.get());
    f.show();
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    // The click came back before either reading was made.
    EXPECT_EQ(engine->pending(), 2);
    EXPECT_EQ(engine->rate(), -3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine->busy(); }, 20000));
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_LT(finished[0], finished[1]);
}

// ---- the face ------------------------------------------------------------------------------

struct FaceFixture : ::testing::Test {
    TFaceS::Pictures pictures;
    void SetUp() override {
        speech::faceResources();
        const char* names[] = {"FACE00",  "MOUTH_A", "MOUTH_I",  "MOUTH_U",  "MOUTH_E",
                               "MOUTH_O", "MOUTH_N", "EYE_OPEN", "EYE_CLOSE"};
        for (int i = 0; i < 9; ++i)
            ASSERT_TRUE(pictures[i].load(QStringLiteral(":/face/%1.svg").arg(names[i])))
                << names[i];
    }
    // The part of `img` at `r`.
    static QImage part(const QImage& img, QRect r) {
        return img.copy(r).convertToFormat(QImage::Format_ARGB32);
    }
};

TEST_F(FaceFixture, PicturesHaveTheirSizes) {
    const QSize sizes[] = {{128, 128}, {30, 30}, {40, 25}, {25, 25}, {32, 25},
                           {25, 25},   {25, 25}, {54, 15}, {54, 15}};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(pictures[i].size(), sizes[i]) << i;
}

TEST_F(FaceFixture, WindowIsAStayOnTopToolWindowWithoutButtons) {
    TFaceS f(nullptr, pictures);
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("◇ピコタだよ。<F4>"));
    EXPECT_EQ(f.windowType(), Qt::Tool);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(f.size(), QSize(132, 132));
    EXPECT_EQ(f.minimumSize(), QSize(96, 96));
    // The picture keeps its proportions and sits in the middle.
    f.resize(200, 132);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.shownRect(), QRect(34, 0, 132, 132));
}

TEST_F(FaceFixture, VisemeTableChoosesTheMouth) {
    TFaceS f(nullptr, pictures);
    const QImage plain = pictures[TFaceS::FACE00].toImage().convertToFormat(QImage::Format_ARGB32);
    for (int v : {1, 3, 5, 8, 9, 11, -1}) {
        f.VisemeDsp(v);
        EXPECT_EQ(f.picture().convertToFormat(QImage::Format_ARGB32), plain) << v;
        EXPECT_FALSE(TFaceS::mouthOf(v)) << v;
    }
    struct Row {
        int viseme;
        TFaceS::Picture mouth;
        int x, y;
    };
    const Row rows[] = {{0, TFaceS::MOUTH_N, 52, 90}, {2, TFaceS::MOUTH_A, 45, 90},
                        {4, TFaceS::MOUTH_E, 46, 87}, {6, TFaceS::MOUTH_I, 45, 90},
                        {7, TFaceS::MOUTH_U, 50, 88}, {10, TFaceS::MOUTH_O, 50, 90}};
    for (const Row& r : rows) {
        const auto m = TFaceS::mouthOf(r.viseme);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->picture, r.mouth);
        EXPECT_EQ(QPoint(m->x, m->y), QPoint(r.x, r.y));
        f.VisemeDsp(r.viseme);
        const QImage mouth = pictures[r.mouth].toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(part(f.picture(), QRect(QPoint(r.x, r.y), mouth.size())), mouth) << r.viseme;
        EXPECT_NE(f.picture().convertToFormat(QImage::Format_ARGB32), plain) << r.viseme;
        EXPECT_EQ(f.lastViseme(), r.viseme);
    }
    // The plain face again after a mouth.
    f.VisemeDsp(5);
    EXPECT_EQ(f.picture().convertToFormat(QImage::Format_ARGB32), plain);
}

TEST_F(FaceFixture, EyesCloseOpenAndOnlyRepaintOtherwise) {
    TFaceS f(nullptr, pictures);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QRect eyes(TFaceS::kEyeX, TFaceS::kEyeY, 54, 15);
    const QImage closed =
        pictures[TFaceS::EYE_CLOSE].toImage().convertToFormat(QImage::Format_ARGB32);
    f.EyeDsp(0);
    EXPECT_EQ(part(f.picture(), eyes), closed);
    const QImage before = f.picture();
    const int paints = f.repaints();
    f.EyeDsp(2);
    EXPECT_EQ(f.picture(), before);
    EXPECT_EQ(f.repaints(), paints + 1);
    f.EyeDsp(1);
    EXPECT_EQ(part(f.picture(), eyes),
              pictures[TFaceS::EYE_OPEN].toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST_F(FaceFixture, BlinkReopensFromATimerAndThenChangesTheMouth) {
    TFaceS f(nullptr, pictures);
    const QRect eyes(TFaceS::kEyeX, TFaceS::kEyeY, 54, 15);
    const QImage closed =
        pictures[TFaceS::EYE_CLOSE].toImage().convertToFormat(QImage::Format_ARGB32);
    bool after = false;
    QElapsedTimer t;
    t.start();
    f.MabatakiDsp(100, [&] {
        after = true;
        f.VisemeDsp(0);
    });
    EXPECT_LT(t.elapsed(), 50);  // returned at once
    EXPECT_TRUE(f.blinking());
    EXPECT_EQ(part(f.picture(), eyes), closed);
    EXPECT_FALSE(after);
    ASSERT_TRUE(QTest::qWaitFor([&] { return after; }, 2000));
    EXPECT_GE(t.elapsed(), 90);
    EXPECT_NE(part(f.picture(), eyes), closed);
    EXPECT_EQ(f.lastViseme(), 0);
    // A blink asked for during another finishes the first one first.
    int done = 0;
    f.MabatakiDsp(1000, [&] { ++done; });
    f.MabatakiDsp(10, [&] { done += 10; });
    EXPECT_EQ(done, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done == 11; }, 2000));
}

// ---- the blackboard ------------------------------------------------------------------------

struct BoardFixture : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<app::TKokubanFormM> form;
    std::vector<std::string> spoken;
    std::vector<hissan::Message> messages;

    void SetUp() override {
        app::formHooks().message = [this](const hissan::Message& m) { messages.push_back(m); };
        app::formHooks().beep = [] {};
    }
    void TearDown() override {
        form.reset();
        app::formHooks() = {};
    }
    void open(const std::string& ini = std::string()) {
        if (!ini.empty())
            std::ofstream(dir.filePath(QStringLiteral("pkt_m41.ini")).toStdString(),
                          std::ios::binary)
                << ini;
        form = std::make_unique<app::TKokubanFormM>(dir.path());
        form->speak = [this](const std::string& r) { spoken.push_back(r); };
        form->show();
        QCoreApplication::processEvents();
        // The companion windows come once the board is on the screen.
        [this] { QTRY_VERIFY(form->started()); }();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(form.get(), Qt::Key(k), m);
        form->finishDrawing();
    }
    void type(const char* keys) {
        for (const char* c = keys; *c; ++c) {
            if (*c >= '0' && *c <= '9')
                key(Qt::Key_0 + (*c - '0'));
            else if (*c == '.')
                key(Qt::Key_Period);
            else if (*c == '=')
                key(Qt::Key_Return);
            else if (*c == '+')
                key(Qt::Key_Plus, Qt::KeypadModifier);
        }
    }
};

TEST_F(BoardFixture, WithoutASettingsFileTheLevelsAreRateFiveVolumeTen) {
    open();
    EXPECT_EQ(form->jouken().YOMIAGEHAYASA, 5);
    EXPECT_EQ(form->jouken().YOMIAGEOOKISA, 10);
    ASSERT_NE(form->SpVoice1, nullptr);
    // The real speaking step maps them onto the engine.
    form->speak = [this](const std::string& r) {
        speech::Hanasu(*form->SpVoice1, form->jouken(), r);
    };
    form->jouken().YOMIAGEFLAG1 = 1;
    type("1");
    EXPECT_EQ(form->SpVoice1->rate(), 0);
    EXPECT_EQ(form->SpVoice1->volume(), 100);
}

TEST_F(BoardFixture, KeysAndEqualsAreReadWhenTheFlagsAreOn) {
    open("[YOMIAGE]\r\nYOMIAGEFLAG1=1\r\nYOMIAGEFLAG2=1\r\n");
    type("12+9=");
    const std::vector<std::string> expected = {"1", "2", "たす", "9", "=", "12たす9=イコール",
                                               "21"};
    EXPECT_EQ(spoken, expected);
    // "読" and V read the expression and answer again.
    spoken.clear();
    form->findChild<app::SettingsPanel*>()->ensureBuilt();
    form->findChild<QToolButton*>(QStringLiteral("SpeedButton8"))->click();
    key(Qt::Key_V);
    const std::vector<std::string> again = {"12たす9=イコール", "21", "12たす9=イコール", "21"};
    EXPECT_EQ(spoken, again);
}

TEST_F(BoardFixture, PointsAreReadAsTheEntryMeetsThem) {
    open("[YOMIAGE]\r\nYOMIAGEFLAG1=1\r\nYOMIAGEFLAG2=0\r\n");
    type(".");  // first on an empty board: neither entered nor read
    EXPECT_TRUE(spoken.empty());
    type("1.5.");  // the second point is refused but still read
    const std::vector<std::string> expected = {"1", "てん", "5", "てん"};
    EXPECT_EQ(spoken, expected);
    EXPECT_EQ(form->keisan().ShikiNyuryoku(), "1.5");
}

TEST_F(BoardFixture, ReadButtonOnAnEmptyBoardSaysOnlyEquals) {
    open();
    form->controls().readAnswer();
    const std::vector<std::string> expected = {"イコール"};
    EXPECT_EQ(spoken, expected);  // the empty answer makes no request at all
    // V needs reading at "=" switched on.
    spoken.clear();
    key(Qt::Key_V);
    EXPECT_TRUE(spoken.empty());
}

TEST_F(BoardFixture, FaceFollowsTheTimerAndTheBoard) {
    // A window tall enough for the face and the keypad one above the other:
    // tool windows that would overlap move apart and stay so.
    open("[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nWIDTH=780\r\nHEIGHT=700\r\n[CURSOR]\r\nCUR_SEC=200\r\n");
    app::Companions& c = form->companions();
    ASSERT_NE(c.face(), nullptr);
    EXPECT_EQ(form->findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 200);
    const int harufa = form->jouken().HARUFA;
    for (int i = 0; i < 3; ++i) form->Timer1Timer();
    EXPECT_FALSE(c.face()->blinking());
    form->Timer1Timer();  // the fourth tick
    EXPECT_TRUE(c.face()->blinking());
    EXPECT_EQ(c.face()->y(), form->y() + harufa + 65);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !c.face()->blinking(); }, 1000));
    EXPECT_GE(c.face()->lastViseme(), 0);
    EXPECT_LE(c.face()->lastViseme(), 10);
    // Activated, it goes back to the main window's top + HARUFA.
    emit c.face()->activated();
    EXPECT_EQ(c.face()->y(), form->y() + harufa);
    // The pictures came from the program's resources.
    EXPECT_EQ(form->FaceBitmaps[0].size(), QSize(128, 128));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BoardFixture, SettingsWindowOpensWithKAndEditsTheBoardsConditions) {
    open("[YOMIAGE]\r\nYOMIAGEFLAG2=1\r\n");
    speech::TVoiceSetForm* v = form->companions().voice();
    ASSERT_NE(v, nullptr);
    key(Qt::Key_K);
    EXPECT_TRUE(v->isVisible());
    v->CheckBox2->setChecked(false);
    v->close();
    EXPECT_EQ(form->jouken().YOMIAGEFLAG2, 1);  // still read at "="
    key(Qt::Key_K);
    v->Button2Click();
    EXPECT_EQ(form->jouken().YOMIAGEFLAG2, 0);
}

}  // namespace
