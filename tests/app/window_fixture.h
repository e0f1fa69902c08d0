// The real blackboard window on the offscreen platform, with its settings
// file in a folder of its own, messages and beeps caught, and helpers that
// type on it the way a pupil does.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/kokuban_form.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"
#include "speech/face_s.h"
#include "speech/voice_set_form.h"

QT_BEGIN_NAMESPACE
// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

using app::TKokubanFormM;

// A part of the window (a control of its settings panel, a menu item, its
// timer) found by its name; the settings panel builds its controls first.
template <class T>
T* part(TKokubanFormM& form, const char* name) {
    if (auto* panel = form.findChild<app::SettingsPanel*>()) panel->ensureBuilt();
    T* p = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(p, nullptr) << name;
    return p;
}

const QColor kBlackboard(0, 128, 0);
const QColor kWhiteboard(255, 255, 255);

class KokubanTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::vector<hissan::Message> messages;
    int beeps = 0;
    std::unique_ptr<TKokubanFormM> form;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        app::formHooks().message = [this](const hissan::Message& m) { messages.push_back(m); };
        app::formHooks().beep = [this] { ++beeps; };
    }
    void TearDown() override {
        form.reset();
        app::formHooks() = {};
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("pkt_m41.ini")); }
    void writeIni(const std::string& text) {
        std::ofstream(iniPath().toStdString(), std::ios::binary) << text;
    }
    std::string readIni() const {
        std::ifstream in(iniPath().toStdString(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    TKokubanFormM& open(const std::string& ini = std::string()) {
        if (!ini.empty()) writeIni(ini);
        form = std::make_unique<TKokubanFormM>(dir.path());
        form->show();
        QCoreApplication::processEvents();
        // The companion windows come once the board is on the screen.
        [this] { QTRY_VERIFY(form->started()); }();
        return *form;
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(form.get(), Qt::Key(k), m);
    }
    // Types an expression the way a pupil does: digits and the point on the
    // main keyboard, operators on the numeric pad, "=" with Enter.
    void type(const std::string& s) {
        for (char c : s) {
            if (c >= '0' && c <= '9')
                key(Qt::Key_0 + (c - '0'));
            else if (c == '.')
                key(Qt::Key_Period);
            else if (c == '=')
                key(Qt::Key_Return);
            else if (c == '+')
                key(Qt::Key_Plus, Qt::KeypadModifier);
            else if (c == '-')
                key(Qt::Key_Minus, Qt::KeypadModifier);
            else if (c == '*')
                key(Qt::Key_Asterisk, Qt::KeypadModifier);
            else if (c == '/')
                key(Qt::Key_Slash, Qt::KeypadModifier);
        }
    }
    std::string typed() const { return form->keisan().ShikiNyuryoku(); }
    std::string lastMessage() const { return messages.empty() ? "" : messages.back().text; }
    // Injected keys are posted: let them arrive.
    void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    // Top of the first digit of the expression line.
    int expressionY() const {
        for (const hissan::Op& op : form->keisan().ops())
            if (op.kind == hissan::Op::Text && op.text == "１") return op.y1;
        return -1;
    }
    QAction* action(const QString& text) const {
        for (QAction* a : form->findChildren<QAction*>())
            if (a->text() == text) return a;
        return nullptr;
    }
};

}  // namespace
