// Time from starting the program to its first painted board, for the whole
// process: the built program is started again and again on the X display,
// and the screen is watched until the board's green shows. Needs an X
// display: run it as `xvfb-run -a bench/startup_bench` in the build folder.
// HISSAN_STARTUP_PROGRAM names another program to time the same way (the
// bare window of startup_compare.sh).
#include <benchmark/benchmark.h>

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

namespace {

QGuiApplication* application() {
    static int argc = 1;
    static char name[] = "startup_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return nullptr;
    qputenv("QT_QPA_PLATFORM", "xcb");
    static QGuiApplication app(argc, argv);
    return &app;
}

// The colour of one screen pixel.
QColor pixelAt(QScreen* screen, QPoint p) {
    return screen->grabWindow(0, p.x(), p.y(), 1, 1).toImage().pixelColor(0, 0);
}

void BM_StartToFirstPaintedBoard(benchmark::State& state) {
    if (!application()) {
        state.SkipWithError("needs an X display (run under xvfb-run -a)");
        return;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const QString other = qEnvironmentVariable("HISSAN_STARTUP_PROGRAM");
    const QString built =
        !other.isEmpty() ? other
                         : QCoreApplication::applicationDirPath() + QStringLiteral("/../hissan");
    QTemporaryDir dir;
    const QString prog = dir.filePath(QStringLiteral("hissan"));
    if (!QFile::copy(built, prog)) {
        state.SkipWithError("the program is not built next to bench/");
        return;
    }
    QFile ini(dir.filePath(QStringLiteral("pkt_m41.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[FORMPOS]\r\nLEFT=0\r\nTOP=0\r\nHEIGHT=629\r\nWIDTH=975\r\n");
    ini.close();
    QDir(dir.path()).mkdir(QStringLiteral("runtime"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
    // A point of the board well inside the window, clear of the drawing, and
    // the middle of the red prompt of the expression line (the window at
    // (0, 0) without a frame, below its menu bar): both show once the board
    // has been painted.
    const QPoint probe(600, 500);
    const QPoint prompt(118, 102);
    const QColor green(0, 128, 0);
    const QColor red(255, 0, 0);

    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProgram(prog);
        QElapsedTimer clock;
        clock.start();
        p.start();
        bool painted = false;
        while (clock.elapsed() < 20000) {
            if (pixelAt(screen, probe) == green && pixelAt(screen, prompt) == red) {
                painted = true;
                break;
            }
            QThread::usleep(500);
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        p.kill();
        p.waitForFinished(5000);
        if (!painted) {
            state.SkipWithError("the board did not appear within 20 s");
            break;
        }
        // Wait until the window is gone before the next start.
        for (int i = 0; i < 2000 && pixelAt(screen, probe) == green; ++i) QThread::usleep(1000);
    }
}
BENCHMARK(BM_StartToFirstPaintedBoard)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
