// The one Qt application object of a benchmark program, on the offscreen
// platform so that the benchmarks need no display.
#pragma once

#include <QApplication>

inline QApplication& offscreenApplication() {
    static int argc = 1;
    static char name[] = "hissan_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}
