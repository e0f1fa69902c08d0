// Reading aloud: from the main window's request to the first samples handed
// to the audio output, for the expression reading of a 17-digit
// multiplication (reading text, normaliser, kakasi, espeak-ng's first chunk),
// and the normaliser alone.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench/offscreen_app.h"
#include "core/yomi.h"
#include "speech/speech_engine.h"

namespace {

// Keeps nothing: only the hand-over to the output is timed.
class NullOutput : public speech::PcmOutput {
  public:
    bool ready(QString*) override { return true; }
    void push(const int16_t*, size_t, int) override {}
    bool playing() const override { return false; }
};

const std::string kExpression = "12345678901234567*98765432109876543=";

void BM_YomiageToFirstSample(benchmark::State& state) {
    offscreenApplication();
    speech::SpeechEngine engine(std::make_unique<NullOutput>());
    engine.setRate(0);
    engine.setVolume(100);
    for (auto _ : state) {
        QEventLoop loop;
        int wanted = 0;
        const auto c = QObject::connect(&engine, &speech::SpeechEngine::started, [&](int id) {
            if (id == wanted) loop.quit();
        });
        QElapsedTimer t;
        t.start();
        wanted = engine.speak(speech::YomiHenkan(kExpression));
        if (wanted == 0) {
            state.SkipWithError("the synthesiser cannot be used");
            break;
        }
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        QObject::disconnect(c);
        // Let the rest of the reading be made before the next request.
        while (engine.busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}
BENCHMARK(BM_YomiageToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ReadingTextAndNormaliser(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(speech::YomiSeiki(speech::YomiHenkan(kExpression)));
}
BENCHMARK(BM_ReadingTextAndNormaliser)->Unit(benchmark::kMicrosecond);

}  // namespace
