// Entry point of the Qt-side tests: one QApplication for every test.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The offscreen platform reports every window operation it cannot do (raise,
// size hints); those lines say nothing about the program and would bury a
// real warning in the test log.
QtMessageHandler standardHandler = nullptr;

void quietOffscreen(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.startsWith(QLatin1String("This plugin does not support"))) return;
    standardHandler(type, ctx, msg);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    standardHandler = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
