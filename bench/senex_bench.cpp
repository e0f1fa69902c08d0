// The word-problem window: composing an example from the finished
// calculation, and one whole paint of the window (what "=" and every repaint
// cost on top of the board).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "app/kokuban_form.h"
#include "dialogs/senex_form.h"
#include "bench/offscreen_app.h"

namespace {

dialogs::ReibunInput remainderDivision() {
    dialogs::ReibunInput in;
    in.ReibunOn = 1;
    in.AmariMode = 4;
    in.ShikiNyuryoku = "123456/789=";
    in.EnzanshiNyuryoku = '/';
    in.Kotae = "156R372";
    return in;
}

void BM_ReibunCompose(benchmark::State& state) {
    offscreenApplication();
    dialogs::BunExTable table;
    dialogs::ReiGet(table, dialogs::bunExPath().toStdString());
    const dialogs::ReibunInput in = remainderDivision();
    int enzan = 0;
    for (auto _ : state) benchmark::DoNotOptimize(dialogs::ReibunCompose(table, in, enzan));
}
BENCHMARK(BM_ReibunCompose);

void BM_SenExPaint(benchmark::State& state) {
    offscreenApplication();
    app::formHooks().message = [](const hissan::Message&) {};
    QTemporaryDir dir;
    auto form = std::make_unique<app::TKokubanFormM>(dir.path());
    app::Keisan& k = form->keisan();
    const dialogs::ReibunInput in = remainderDivision();
    // The division typed on the board: its quotient and remainder are the answer.
    k.jouken().SHOU_ITI = 0;
    k.jouken().POINTMAX = 0;
    for (char c : in.ShikiNyuryoku) k.MojiInput(c);
    form->finishDrawing();
    form->controls().ReibunOn = 1;
    form->controls().AmariMode = 4;
    dialogs::TSenExForm& w = *form->companions().wordProblem();
    QImage img(w.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        w.render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_SenExPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
