// Speech synthesis into memory and the engine's queue: no sound device is
// needed, the samples go to a recording output.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/yomi.h"
#include "speech/speech_engine.h"

namespace {

using speech::SpeechEngine;
using speech::Synthesiser;

struct Stats {
    size_t samples = 0;
    int peak = 0;
    double rms = 0;
};

Stats synth(const std::string& reading, int rate, int volume) {
    std::vector<int16_t> s;
    std::string error;
    EXPECT_TRUE(Synthesiser::synthesise(speech::YomiSeiki(reading), rate, volume, s, &error))
        << error;
    Stats st;
    st.samples = s.size();
    double sum = 0;
    for (int16_t v : s) {
        st.peak = std::max(st.peak, std::abs(int(v)));
        sum += double(v) * v;
    }
    st.rms = s.empty() ? 0 : std::sqrt(sum / double(s.size()));
    return st;
}

TEST(Synthesiser, JapaneseReadingBecomesSoundThatFollowsRateAndVolume) {
    const std::string reading = speech::YomiHenkan("12+9=イコール");
    const Stats normal = synth(reading, 0, 100);
    ASSERT_GT(Synthesiser::sampleRate(), 8000);
    // About two seconds of clearly audible speech.
    EXPECT_GT(normal.samples, size_t(Synthesiser::sampleRate()));
    EXPECT_GT(normal.peak, 8000);
    EXPECT_GT(normal.rms, 1000);

    const Stats fast = synth(reading, 5, 100);
    const Stats slow = synth(reading, -5, 100);
    EXPECT_LT(fast.samples, normal.samples * 0.8);
    EXPECT_GT(slow.samples, normal.samples * 1.25);

    const Stats half = synth(reading, 0, 50);
    EXPECT_NEAR(half.rms / normal.rms, 0.5, 0.1);
    EXPECT_EQ(synth(reading, 0, 0).peak, 0);
}

TEST(Synthesiser, EngineScalesMapOntoEspeak) {
    EXPECT_EQ(Synthesiser::wordsPerMinute(0), 140);
    EXPECT_LT(Synthesiser::wordsPerMinute(-5), Synthesiser::wordsPerMinute(-4));
    EXPECT_GT(Synthesiser::wordsPerMinute(5), Synthesiser::wordsPerMinute(4));
    EXPECT_GE(Synthesiser::wordsPerMinute(-10), 80);  // espeak-ng's slowest
    EXPECT_LE(Synthesiser::wordsPerMinute(99), 450);
    EXPECT_EQ(Synthesiser::amplitude(100), 100);
    EXPECT_EQ(Synthesiser::amplitude(-3), 0);
}

TEST(Synthesiser, EmptyTextMakesNoSound) {
    std::vector<int16_t> s{1, 2, 3};
    EXPECT_TRUE(Synthesiser::synthesise("", 0, 100, s, nullptr));
    EXPECT_TRUE(s.empty());
}

// Samples in the order they were handed over, and whether sound can be made.
class MemoryOutput : public speech::PcmOutput {
  public:
    bool ready(QString* why) override {
        if (!deviceThere && why) *why = QStringLiteral("no device");
        return deviceThere;
    }
    void push(const int16_t* s, size_t n, int rate) override {
        samples.insert(samples.end(), s, s + n);
        sampleRate = rate;
        ++pushes;
    }
    bool playing() const override { return false; }
    bool deviceThere = true;
    std::vector<int16_t> samples;
    int sampleRate = 0;
    int pushes = 0;
};

struct EngineFixture : ::testing::Test {
    MemoryOutput* out = nullptr;
    std::unique_ptr<SpeechEngine> engine;
    std::vector<std::pair<char, int>> events;  // ('s' started | 'f' finished, id)
    void SetUp() override {
        auto o = std::make_unique<MemoryOutput>();
        out = o.get();
        engine = std::make_unique<SpeechEngine>(std::move(o));
        QObject::connect(engine.get(), &SpeechEngine::started, [this](int id) {
            events.push_back({'s', id});
        });
        QObject::connect(engine.get(), &SpeechEngine::finished, [this](int id) {
            events.push_back({'f', id});
        });
    }
    bool drained() {
        return QTest::qWaitFor([&] { return !engine->busy(); }, 20000);
    }
};

TEST_F(EngineFixture, RequestsAreQueuedAndPlayedInOrderWithoutCuttingAnyShort) {
    engine->setRate(0);
    engine->setVolume(100);
    const std::string first = speech::YomiHenkan("123456789*98765432=イコール");
    const std::string second = speech::YomiHenkan("12193263098917848");
    const int a = engine->speak(first);
    const int b = engine->speak(second);
    // speak returns before anything is heard.
    EXPECT_GT(a, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_TRUE(engine->busy());
    EXPECT_EQ(out->pushes, 0);
    ASSERT_TRUE(drained());

    const std::vector<std::pair<char, int>> expected = {{'s', a}, {'f', a}, {'s', b}, {'f', b}};
    EXPECT_EQ(events, expected);
    // Every sample of both readings arrived, the first one's first.
    const size_t whole = synth(first, 0, 100).samples + synth(second, 0, 100).samples;
    EXPECT_NEAR(double(out->samples.size()), double(whole), whole * 0.01);
    EXPECT_EQ(out->sampleRate, Synthesiser::sampleRate());
    EXPECT_GT(out->pushes, 2);  // handed over as it is made, not all at the end
}

TEST_F(EngineFixture, RateAndVolumeApplyFromTheNextRequest) {
    engine->setVolume(100);
    engine->speak("たす");
    ASSERT_TRUE(drained());
    const size_t loud = out->samples.size();
    int loudPeak = 0;
    for (int16_t v : out->samples) loudPeak = std::max(loudPeak, std::abs(int(v)));
    out->samples.clear();
    engine->setVolume(30);
    engine->setRate(5);
    engine->speak("たす");
    ASSERT_TRUE(drained());
    int quietPeak = 0;
    for (int16_t v : out->samples) quietPeak = std::max(quietPeak, std::abs(int(v)));
    EXPECT_LT(out->samples.size(), loud);
    EXPECT_LT(quietPeak, loudPeak * 0.5);
    EXPECT_EQ(engine->rate(), 5);
    engine->setRate(-30);
    EXPECT_EQ(engine->rate(), -10);
}

TEST_F(EngineFixture, NoDeviceIsToldOnceAndTheReadingIsDropped) {
    QSignalSpy failures(engine.get(), &SpeechEngine::failure);
    out->deviceThere = false;
    EXPECT_EQ(engine->speak("いち"), 0);
    EXPECT_EQ(engine->speak("に"), 0);
    EXPECT_EQ(failures.count(), 1);  // one message, not one per key
    EXPECT_FALSE(engine->busy());
    // Using the settings window lets a new failure be told.
    engine->rearm();
    EXPECT_EQ(engine->speak("さん"), 0);
    EXPECT_EQ(failures.count(), 2);
    // The device is back: the next reading is heard.
    out->deviceThere = true;
    EXPECT_GT(engine->speak("よん"), 0);
    ASSERT_TRUE(drained());
    EXPECT_FALSE(out->samples.empty());
    EXPECT_EQ(failures.count(), 2);
}

TEST_F(EngineFixture, AFailingDeviceDropsWhatIsQueuedAndTellsOnce) {
    QSignalSpy failures(engine.get(), &SpeechEngine::failure);
    engine->speak("いち");
    engine->speak("に");
    out->failed(QStringLiteral("gone"));
    out->failed(QStringLiteral("gone again"));
    ASSERT_TRUE(drained());
    EXPECT_TRUE(out->samples.empty());
    ASSERT_EQ(failures.count(), 1);
    EXPECT_EQ(failures.at(0).at(0).toString(), QStringLiteral("gone"));
    // Later requests are played again.
    engine->speak("さん");
    ASSERT_TRUE(drained());
    EXPECT_FALSE(out->samples.empty());
}

TEST_F(EngineFixture, EmptyReadingTouchesNothing) {
    EXPECT_EQ(engine->speak(""), 0);
    EXPECT_FALSE(engine->busy());
    QTest::qWait(20);
    EXPECT_TRUE(events.empty());
}

}  // namespace
