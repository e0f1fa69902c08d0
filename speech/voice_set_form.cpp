#include "speech/voice_set_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "core/yomi.h"
#include "speech/speech_engine.h"

namespace speech {

const char* const TVoiceSetForm::kTestSentence = "本日は晴天なり。";

void Hanasu(SpeechEngine& engine, const hissan::TJouken& jk, const std::string& reading) {
    engine.setRate(jk.YOMIAGEHAYASA - 5);
    engine.setVolume(jk.YOMIAGEOOKISA * 10);
    engine.speak(reading);
}

namespace {

QLabel* label(const QString& text, const char* colour, QWidget* parent, QRect at) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(QLatin1String(colour)));
    l->setGeometry(at);
    return l;
}

QSlider* trackBar(QWidget* parent, QRect at) {
    auto* t = new QSlider(Qt::Horizontal, parent);
    t->setRange(0, 10);
    t->setTickPosition(QSlider::TicksBelow);
    t->setTickInterval(1);
    t->setSingleStep(2);  // arrow keys
    t->setPageStep(1);    // page keys
    t->setGeometry(at);
    return t;
}

}  // namespace

TVoiceSetForm::TVoiceSetForm(QWidget* owner, hissan::TJouken& jk, SpeechEngine* engine)
    : ToolWindow(owner, QStringLiteral("★読み上げの設定"), QSize(282, 229), true),
      jk_(jk),
      engine_(engine) {
    setObjectName(QStringLiteral("VoiceSetForm"));
    setFixedSize(282, 229);

    CheckBox1 = new QCheckBox(QStringLiteral("１字入力ごとに読む"), this);
    CheckBox1->setGeometry(14, 8, 254, 22);
    CheckBox2 = new QCheckBox(QStringLiteral("式と答えを読む"), this);
    CheckBox2->setGeometry(14, 30, 254, 22);
    CheckBox3 = new QCheckBox(QStringLiteral("例文を読む"), this);
    CheckBox3->setGeometry(150, 30, 120, 22);
    CheckBox3->setVisible(false);

    auto* group = new QGroupBox(QStringLiteral("☆☆☆☆☆"), this);
    group->setGeometry(8, 56, 266, 166);
    group->setStyleSheet(QStringLiteral(
        "QGroupBox { background: #ffff00; border: 1px solid #808000; margin-top: 8px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 2px; }"));

    label(QStringLiteral("◎読む速さ"), "#0000ff", group, QRect(10, 14, 120, 18));
    TrackBar1 = trackBar(group, QRect(8, 32, 250, 26));
    label(QStringLiteral("遅　　　　　　中・　　　　 速"), "#000000", group,
          QRect(12, 58, 246, 16));
    label(QStringLiteral("◎声の大きさ"), "#ff0000", group, QRect(10, 78, 120, 18));
    TrackBar2 = trackBar(group, QRect(8, 96, 250, 26));
    label(QStringLiteral("0　　　　　　　・　　　　　Max"), "#000000", group,
          QRect(12, 122, 246, 16));

    Button1 = new QPushButton(QStringLiteral("テスト"), group);
    Button1->setGeometry(40, 140, 80, 22);
    Button2 = new QPushButton(QStringLiteral("閉"), group);
    Button2->setGeometry(146, 140, 80, 22);
    for (QWidget* w : {static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox2),
                       static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2)})
        w->setFocusPolicy(Qt::NoFocus);
    // A clicked slider takes the arrow keys (two steps) and page keys (one).
    TrackBar1->setFocusPolicy(Qt::ClickFocus);
    TrackBar2->setFocusPolicy(Qt::ClickFocus);

    CheckBox1->setChecked(jk_.YOMIAGEFLAG1 > 0);
    CheckBox2->setChecked(jk_.YOMIAGEFLAG2 > 0);
    CheckBox3->setChecked(jk_.REIYOMIAGE > 0);
    connect(TrackBar1, &QSlider::valueChanged, this, &TVoiceSetForm::TrackBar1Change);
    connect(TrackBar2, &QSlider::valueChanged, this, &TVoiceSetForm::TrackBar2Change);
    TrackBar1->setValue(jk_.YOMIAGEHAYASA);
    TrackBar2->setValue(jk_.YOMIAGEOOKISA);
    // The slider clamps into 0..10; the level in force is what it shows,
    // also when the clamped position happens to be the one it had.
    TrackBar1Change();
    TrackBar2Change();

    connect(Button1, &QPushButton::clicked, this, &TVoiceSetForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TVoiceSetForm::Button2Click);
}

void TVoiceSetForm::TrackBar1Change() {
    jk_.YOMIAGEHAYASA = TrackBar1->value();
}

void TVoiceSetForm::TrackBar2Change() {
    jk_.YOMIAGEOOKISA = TrackBar2->value();
}

void TVoiceSetForm::Button1Click() {
    if (!engine_) return;
    // The user tries the sound: a failure is worth telling again.
    engine_->rearm();
    // Twice, one after the other; the window keeps responding meanwhile.
    Hanasu(*engine_, jk_, kTestSentence);
    Hanasu(*engine_, jk_, kTestSentence);
}

void TVoiceSetForm::Button2Click() {
    jk_.YOMIAGEFLAG1 = CheckBox1->isChecked() ? 1 : 0;
    jk_.YOMIAGEFLAG2 = CheckBox2->isChecked() ? 1 : 0;
    jk_.REIYOMIAGE = CheckBox3->isChecked() ? 1 : 0;
    hide();
}

void TVoiceSetForm::showEvent(QShowEvent* e) {
    ToolWindow::showEvent(e);
    if (engine_) engine_->rearm();
}

}  // namespace speech
