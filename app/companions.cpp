#include "app/companions.h"

#include <QLabel>
#include <QVBoxLayout>

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

std::array<ToolWindow*, 6> Companions::all() const {
    return {JoukenSetFormM, StepGoForm, SenExForm, InputFormM, FaceS, VoiceSetForm};
}

Companions createCompanions(QWidget* owner, const MainBounds& m, hissan::TJouken& jk,
                            dialogs::JoukenHost& joukenHost, int bLeft, int bTop,
                            const CompanionLinks& links, const std::array<QPixmap, 9>& faces,
                            speech::SpeechEngine* voice) {
    Companions c;
    c.JoukenSetFormM = new dialogs::TJoukenSetFormM(owner, jk, joukenHost);

    c.StepGoForm = new TStepGoForm(owner);
    c.StepGoForm->move(m.left + m.width - 220, m.top + 300);

    c.SenExForm = new dialogs::TSenExForm(owner, links.senEx);
    c.SenExForm->move(bLeft, bTop);

    c.InputFormM = new dialogs::TInputFormM(owner, links.keypad);
    c.InputFormM->move(m.left + m.width - 200, m.top + m.height - 220);
    c.InputFormM->show();

    c.FaceS = new speech::TFaceS(owner, faces);
    c.FaceS->move(m.left + m.width - 180, m.top + m.harufa);
    c.FaceS->show();

    c.VoiceSetForm = new speech::TVoiceSetForm(owner, jk, voice);
    c.VoiceSetForm->move(m.left + 40, m.top + 80);
    return c;
}

}  // namespace app
