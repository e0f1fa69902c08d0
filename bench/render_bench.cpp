// Replaying a recorded board of 200 ops onto a 1280x1024 image: the cost of
// one full repaint of a finished calculation.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "bench/offscreen_app.h"
#include "hissan/board.h"
#include "hissan/primitives.h"
#include "ui/renderer.h"

namespace {

void BM_Replay200Ops(benchmark::State& state) {
    offscreenApplication();
    app::QtMetrics metrics(app::boardFontFamily("ＭＳゴシック"));
    hissan::RecordingCanvas canvas(metrics);
    hissan::TJouken jk;
    hissan::Run b(canvas, jk, hissan::Grid{});
    b.setMetrics(metrics, 40);
    // Digits with their background squares, small carries and rules: the mix
    // of a large multiplication.
    int i = 0;
    while (canvas.ops().size() < 200) {
        const int col = i % 18, row = (i / 18) % 12;
        hissan::MojiDsp(b, b.OriginX + col * b.CellW, b.OriginY + row * b.LineH,
                        hissan::Colour::of(hissan::Role::Digit), 40, i % 10, 0, 1);
        if (i % 6 == 0)
            hissan::SenDsp(b, b.OriginX, b.OriginY + row * b.LineH, b.OriginX + 18 * b.CellW,
                           b.OriginY + row * b.LineH, 4, hissan::Colour::of(hissan::Role::Rule));
        ++i;
    }
    canvas.ops().resize(200);
    QImage img(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(app::backgroundColour(0));
        QPainter p(&img);
        app::renderOps(p, canvas.ops(), metrics, {});
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_Replay200Ops)->Unit(benchmark::kMicrosecond);

}  // namespace
