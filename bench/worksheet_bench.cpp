// Worksheets: laying out one calculation for a sheet (typing it on a board,
// the finished layout and its practice problem), and painting a page of
// twelve products into a PDF.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include "bench/offscreen_app.h"
#include "tools/worksheet.h"

namespace {

struct PdfPage {
    QBuffer scratch;
    QPdfWriter pdf{&scratch};
    std::unique_ptr<app::QtMetrics> metrics;
    PdfPage() {
        worksheet::setUpPage(pdf);
        metrics = std::make_unique<app::QtMetrics>(app::boardFontFamily("ＭＳゴシック"), &pdf);
    }
};

void BM_LayOutForSheet(benchmark::State& state) {
    offscreenApplication();
    PdfPage page;
    const hissan::TJouken jk;
    for (auto _ : state) {
        auto c = worksheet::layOut("987*654", jk, *page.metrics);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_LayOutForSheet)->Unit(benchmark::kMicrosecond);

void BM_PaintSheetPageOf12Products(benchmark::State& state) {
    offscreenApplication();
    PdfPage page;
    std::vector<worksheet::Calculation> calcs;
    for (int i = 0; i < 12; ++i)
        calcs.push_back(std::get<worksheet::Calculation>(worksheet::layOut(
            std::to_string(123 + 61 * i) + "*" + std::to_string(987 - 53 * i), {}, *page.metrics)));
    worksheet::Style style;
    style.title = QStringLiteral("かけ算");
    const worksheet::Sheet sheet(QSizeF(page.pdf.width(), page.pdf.height()), {3, 4},
                                 std::move(calcs), style, *page.metrics);
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        worksheet::setUpPage(pdf);
        QPainter p(&pdf);
        sheet.paintPage(p, 0);
        p.end();
        benchmark::DoNotOptimize(out.size());
    }
}
BENCHMARK(BM_PaintSheetPageOf12Products)->Unit(benchmark::kMillisecond);

}  // namespace
