// The floor under the program's start-up: a bare Qt Widgets window with a
// menu bar, the program's size and place, that paints a green board with a
// red mark where the program's prompt stands. startup_compare.sh times the
// two side by side with startup_bench.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QWidget>

namespace {

class Board : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 128, 0));
        // The prompt of the expression line, in the window's coordinates.
        const QPoint prompt = mapFrom(window(), QPoint(118, 102));
        p.fillRect(QRect(prompt - QPoint(6, 6), QSize(12, 12)), QColor(255, 0, 0));
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.menuBar()->addMenu(QStringLiteral("黒板(&F)"));
    w.setCentralWidget(new Board);
    w.move(0, 0);
    w.resize(975, 629);
    w.show();
    return QApplication::exec();
}
