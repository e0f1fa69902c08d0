// Laying out and drawing a finished calculation: the largest multiplication
// the entry accepts (18 x 11 digits) and an 18-digit addition, through the
// program's own entry, evaluation and layouts, then replayed onto an image.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "bench/offscreen_app.h"
#include "core/keisan.h"
#include "ui/renderer.h"

namespace {

constexpr const char* kLargestProduct = "123456789012345678*98765432109";
constexpr const char* kLongSum = "987654321098765432+123456789012345678";

struct Board {
    hissan::TJouken jk;
    app::QtMetrics metrics{app::boardFontFamily(jk.FONTNAME)};
    app::Keisan keisan{jk, metrics};

    void calculate(const char* expression) {
        keisan.R1Click();
        for (const char* c = expression; *c; ++c) keisan.MojiInput(*c);
        keisan.MojiInput('=');
    }
};

void layoutOnly(benchmark::State& state, const char* expression) {
    offscreenApplication();
    Board b;
    for (auto _ : state) {
        b.calculate(expression);
        benchmark::DoNotOptimize(b.keisan.ops().size());
    }
    state.counters["ops"] = double(b.keisan.ops().size());
}

void layoutAndRender(benchmark::State& state, const char* expression) {
    offscreenApplication();
    Board b;
    QImage img(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        b.calculate(expression);
        img.fill(app::backgroundColour(0));
        QPainter p(&img);
        app::renderOps(p, b.keisan.ops(), b.metrics, {});
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

BENCHMARK_CAPTURE(layoutOnly, product_18x11, kLargestProduct)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutOnly, sum_18_digits, kLongSum)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutAndRender, product_18x11, kLargestProduct)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutAndRender, sum_18_digits, kLongSum)->Unit(benchmark::kMicrosecond);

}  // namespace
