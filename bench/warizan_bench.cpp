// Laying out and drawing the largest long divisions the entry accepts without
// overflow: an 8-digit dividend by a 7-digit divisor to 10 places (18 digits
// walked, 12 products), the same rounded at the 10th place, and a 17-digit
// dividend by one digit; through the program's own entry and evaluation,
// then replayed onto a 1280x1024 image.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "bench/offscreen_app.h"
#include "core/keisan.h"
#include "ui/renderer.h"

namespace {

struct Case {
    const char* expression;
    int pointMax;
    int shouIti;
};

constexpr Case kLongDivisor{"98765432/1234567", 10, 0};
constexpr Case kLongDivisorRounded{"98765432/1234567", 10, 1};
constexpr Case kLongDividend{"98765432109876543/7", 0, 0};

struct Board {
    hissan::TJouken jk;
    app::QtMetrics metrics{app::boardFontFamily(jk.FONTNAME)};
    app::Keisan keisan{jk, metrics};

    explicit Board(const Case& c) {
        jk.POINTMAX = c.pointMax;
        jk.SHOU_ITI = c.shouIti;
    }
    void calculate(const char* expression) {
        keisan.R1Click();
        for (const char* ch = expression; *ch; ++ch) keisan.MojiInput(*ch);
        keisan.MojiInput('=');
    }
};

void layoutOnly(benchmark::State& state, Case c) {
    offscreenApplication();
    Board b(c);
    for (auto _ : state) {
        b.calculate(c.expression);
        benchmark::DoNotOptimize(b.keisan.ops().size());
    }
    if (b.keisan.Kotae().empty()) state.SkipWithError("no answer");
    state.counters["ops"] = double(b.keisan.ops().size());
}

void layoutAndRender(benchmark::State& state, Case c) {
    offscreenApplication();
    Board b(c);
    QImage img(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        b.calculate(c.expression);
        img.fill(app::backgroundColour(0));
        QPainter p(&img);
        app::renderOps(p, b.keisan.ops(), b.metrics, {});
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

BENCHMARK_CAPTURE(layoutOnly, div_8_by_7_to_10_places, kLongDivisor)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutOnly, div_8_by_7_rounded_at_10, kLongDivisorRounded)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutOnly, div_17_by_1, kLongDividend)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutAndRender, div_8_by_7_to_10_places, kLongDivisor)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutAndRender, div_8_by_7_rounded_at_10, kLongDivisorRounded)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(layoutAndRender, div_17_by_1, kLongDividend)->Unit(benchmark::kMicrosecond);

}  // namespace
