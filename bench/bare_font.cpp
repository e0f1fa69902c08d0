// The floor under hissan-render's time: a bare Qt process that starts the
// offscreen platform, loads the board's font and measures one character, as
// the tool does before it draws. render_startup.sh times the two side by side.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString family = QStringLiteral("Noto Sans Mono CJK JP");
    if (!QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
        std::fprintf(stderr, "bare_font: the font %s is not installed\n", qPrintable(family));
        return 1;
    }
    QFont font(family);
    font.setPointSize(20);
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(QString::fromUtf8("０")) > 0 ? 0 : 1;
}
