// Worksheets: laying out one calculation for a sheet (typing it on a board,
// the finished layout and its practice problem), and painting a page of
// twelve products into a PDF.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QPainter>

#include "bench/offscreen_app.h"
#include "ui/pdf_writer.h"
#include "ui/worksheet.h"

namespace {

void BM_LayOutForSheet(benchmark::State& state) {
    offscreenApplication();
    const worksheet::MeasuringPage page("ＭＳゴシック");
    const hissan::TJouken jk;
    for (auto _ : state) {
        auto c = worksheet::layOut("987*654", jk, page.metrics());
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_LayOutForSheet)->Unit(benchmark::kMicrosecond);

void BM_PaintSheetPageOf12Products(benchmark::State& state) {
    offscreenApplication();
    const worksheet::MeasuringPage page("ＭＳゴシック");
    std::vector<worksheet::Calculation> calcs;
    for (int i = 0; i < 12; ++i)
        calcs.push_back(std::get<worksheet::Calculation>(
            worksheet::layOut(std::to_string(123 + 61 * i) + "*" + std::to_string(987 - 53 * i), {},
                              page.metrics())));
    worksheet::Style style;
    style.title = QStringLiteral("かけ算");
    const worksheet::Sheet sheet(page.size(), {3, 4}, std::move(calcs), style, page.metrics());
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        app::PdfWriter pdf(&out);
        worksheet::setUpPage(pdf);
        QPainter p(&pdf);
        sheet.paintPage(p, 0);
        p.end();
        benchmark::DoNotOptimize(out.size());
    }
}
BENCHMARK(BM_PaintSheetPageOf12Products)->Unit(benchmark::kMillisecond);

}  // namespace
