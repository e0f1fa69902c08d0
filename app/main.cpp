// Program entry: one copy per user, the blackboard and its companion windows,
// then the event loop until the blackboard is closed.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <exception>

#include "app/kokuban_form.h"
#include "app/single_instance.h"

int main(int argc, char** argv) {
    // A second start shows nothing and leaves with 1 while the first runs.
    app::SingleInstance instance;
    if (instance.heldElsewhere()) return 1;

    QApplication application(argc, argv);
    // Built into the program's static library, which the linker would
    // otherwise leave out.
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(face);
    QApplication::setApplicationName(QStringLiteral("hissan"));
    QApplication::setApplicationDisplayName(QString());
    // The menu entry's name lets the desktop match the windows to it.
    QApplication::setDesktopFileName(QStringLiteral("jp.hissan.Hissan"));
    // The program speaks Japanese whatever the desktop's language: Qt's own
    // dialogs (font, printer, message box buttons) too, when the Japanese Qt
    // translations are installed.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    try {
        app::TKokubanFormM form;
        // The icon is the installed theme's, else the copy built into the
        // program; looking it up waits until the board is on the screen.
        QObject::connect(&form, &app::TKokubanFormM::startedUp, [] {
            QApplication::setWindowIcon(
                QIcon::fromTheme(QStringLiteral("jp.hissan.Hissan"),
                                 QIcon(QStringLiteral(":/icons/jp.hissan.Hissan.svg"))));
        });
        form.show();
        form.activateWindow();
        QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("縦書き計算器"),
                              QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
