// One full repaint of the real blackboard window's board: the expression line
// and a finished calculation, replayed onto an image the size of the board;
// and a condition switched from the keyboard, laid out and painted again.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

#include "app/kokuban_form.h"
#include "bench/offscreen_app.h"

namespace {

// A shown window with `expr` typed and drawn to its end.
struct Board {
    QTemporaryDir dir;
    std::unique_ptr<app::TKokubanFormM> form;
    explicit Board(const char* expr, bool panel) {
        offscreenApplication();
        app::formHooks().message = [](const hissan::Message&) {};
        form = std::make_unique<app::TKokubanFormM>(dir.path());
        form->resize(975, 629);
        form->show();
        if (panel) form->controls().togglePanel();
        QCoreApplication::processEvents();
        for (const char* c = expr; *c; ++c) {
            if (*c >= '0' && *c <= '9')
                form->keyPressed(Qt::Key_0 + (*c - '0'), Qt::NoModifier);
            else if (*c == '*')
                form->keyPressed(Qt::Key_Asterisk, Qt::KeypadModifier);
            else if (*c == '+')
                form->keyPressed(Qt::Key_Plus, Qt::KeypadModifier);
            else if (*c == '=')
                form->keyPressed(Qt::Key_Return, Qt::NoModifier);
        }
        form->finishDrawing();
    }
};

void repaint(benchmark::State& state, const char* expr, bool panel) {
    Board b(expr, panel);
    QImage img(b.form->board()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        b.form->board()->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.counters["ops"] = double(b.form->keisan().ops().size());
}

void BM_RepaintAddition(benchmark::State& state) {
    repaint(state, "12+9=", false);
}
void BM_RepaintMultiplication(benchmark::State& state) {
    repaint(state, "987654321*123456789=", false);
}
void BM_RepaintMultiplicationWithPanel(benchmark::State& state) {
    repaint(state, "987654321*123456789=", true);
}
// A condition switched by its key: the key sets the conditions dialog's box,
// whose handler stores the field, refreshes the panel and lays the board out
// again; then the board is painted.
void BM_CarriesKeyThroughTheDialog(benchmark::State& state) {
    Board b("987654321*123456789=", true);
    QImage img(b.form->board()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        b.form->keyPressed(Qt::Key_A, Qt::NoModifier);
        b.form->board()->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
}

BENCHMARK(BM_RepaintAddition)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CarriesKeyThroughTheDialog)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintMultiplication)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintMultiplicationWithPanel)->Unit(benchmark::kMicrosecond);

}  // namespace
