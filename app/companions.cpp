#include "app/companions.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"
#include "speech/face_s.h"
#include "speech/voice_set_form.h"

namespace app {

namespace {

QLabel* stepText(QWidget* parent, const QString& text, const char* fg, const char* bg,
                 const QString& hint = QString()) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; font-weight: bold; "
                                    "padding: 2px; }")
                         .arg(QLatin1String(fg), QLatin1String(bg)));
    l->setAlignment(Qt::AlignCenter);
    if (!hint.isEmpty()) l->setToolTip(hint);
    return l;
}

}  // namespace

TStepGoForm::TStepGoForm(QWidget* owner)
    : ToolWindow(owner, QStringLiteral("◆手動ステップ◆"), QSize(180, 150), false) {
    setObjectName(QStringLiteral("StepGoForm"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));  // navy
    setPalette(pal);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->setSpacing(3);
    lay->addWidget(stepText(this, QStringLiteral("<手動ステップ中>"), "#ff0000", "#ffff00"));
    lay->addWidget(stepText(this, QStringLiteral(" 《ステップ進行》 "), "#ffffff", "#ff0000",
                            QStringLiteral("Enter(=)を入力後は、G or 左Clickで進行します。")));
    lay->addWidget(stepText(this, QStringLiteral(" G / 左クリック"), "#ffff00", "transparent"));
    lay->addWidget(stepText(this, QStringLiteral(" 《ステップ解除》 "), "#ffffff", "#008000",
                            QStringLiteral("Escでは、入力途中でも、解除できます。")));
    lay->addWidget(stepText(this, QStringLiteral(" Y or Endキー"), "#ff0000", "transparent"));
    // Whenever the box becomes active, the board gets the keyboard back.
    connect(this, &ToolWindow::activated, this, [owner] {
        if (owner) owner->activateWindow();
    });
}

QRect frameOnScreen(qint64 left, qint64 top, qint64 width, qint64 height, QSize minSize) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QRect desktop;  // the screens' available areas together
    for (const QScreen* s : screens) desktop |= s->availableGeometry();
    const qint64 w = std::min<qint64>(std::max<qint64>(width, minSize.width()),
                                      desktop.isEmpty() ? QWIDGETSIZE_MAX : desktop.width());
    const qint64 h = std::min<qint64>(std::max<qint64>(height, minSize.height()),
                                      desktop.isEmpty() ? QWIDGETSIZE_MAX : desktop.height());
    const bool shows = std::any_of(screens.begin(), screens.end(), [&](const QScreen* s) {
        const QRect a = s->availableGeometry();
        return left < qint64{a.x()} + a.width() && left + w > a.x() &&
               top < qint64{a.y()} + a.height() && top + h > a.y();
    });
    if (!shows) {
        if (const QScreen* primary = QGuiApplication::primaryScreen()) {
            left = primary->availableGeometry().left() + 20;
            top = primary->availableGeometry().top() + 20;
        }
    }
    return QRect(windowCoord(left), windowCoord(top), static_cast<int>(w), static_cast<int>(h));
}

int windowCoord(qint64 v) {
    return static_cast<int>(std::clamp<qint64>(v, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

std::array<ToolWindow*, 6> Companions::all() const {
    return {JoukenSetFormM, StepGoForm, SenExForm, InputFormM, FaceS, VoiceSetForm};
}

Companions createCompanions(QWidget* owner, const MainBounds& m, hissan::TJouken& jk,
                            dialogs::JoukenHost& joukenHost, int bLeft, int bTop,
                            const CompanionLinks& links, const std::array<QPixmap, 9>& faces,
                            speech::SpeechEngine* voice) {
    Companions c;
    c.JoukenSetFormM = new dialogs::TJoukenSetFormM(owner, jk, joukenHost);

    // Positions beside the main window, summed without overflow.
    const qint64 left = m.left, top = m.top, right = left + m.width, bottom = top + m.height;
    c.StepGoForm = new TStepGoForm(owner);
    c.StepGoForm->move(windowCoord(right - 220), windowCoord(top + 300));

    // The word-problem window where it was left, or back on the screen.
    c.SenExForm = new dialogs::TSenExForm(owner, links.senEx);
    const QSize senEx = c.SenExForm->size();
    c.SenExForm->move(frameOnScreen(bLeft, bTop, senEx.width(), senEx.height(), senEx).topLeft());

    c.InputFormM = new dialogs::TInputFormM(owner, links.keypad);
    c.InputFormM->move(windowCoord(right - 200), windowCoord(bottom - 220));
    c.InputFormM->show();

    c.FaceS = new speech::TFaceS(owner, faces);
    c.FaceS->move(windowCoord(right - 180), windowCoord(top + m.harufa));
    c.FaceS->show();

    c.VoiceSetForm = new speech::TVoiceSetForm(owner, jk, voice);
    c.VoiceSetForm->move(windowCoord(left + 40), windowCoord(top + 80));
    return c;
}

}  // namespace app
