#include "dialogs/jouken_set_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/about_form.h"
#include "hissan/canvas.h"

namespace dialogs {

namespace {

const char* const kPaiDigits = "3.14159265358979323846";

// A group with a coloured face and its caption inside the frame.
QGroupBox* group(const QString& title, const char* colour, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setStyleSheet(QStringLiteral("QGroupBox { background: %1; border: 1px solid #808080; "
                                    "margin-top: 7px; padding-top: 2px; } "
                                    "QGroupBox::title { subcontrol-origin: margin; left: 4px; "
                                    "padding: 0 2px; background: %1; }")
                         .arg(QLatin1String(colour)));
    return g;
}

QVBoxLayout* column(QWidget* g) {
    auto* v = new QVBoxLayout(g);
    v->setContentsMargins(4, 4, 4, 2);
    v->setSpacing(0);
    return v;
}

QCheckBox* check(const QString& text, QWidget* parent, bool ticked = false) {
    auto* b = new QCheckBox(text, parent);
    b->setChecked(ticked);
    b->setFixedHeight(16);
    // Clicked, never typed in: the keyboard stays with the board.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// The stored stroke time ENZANSPEED goes up to 99; the stroke delay that
// Shift+PageUp raises goes up to 100.
constexpr int kSpeedMax = 99;
constexpr int kDelayMax = 100;

// The stroke-time box: its arrows choose the stored time, 0 to 99, and it
// also shows the current stroke delay, up to 100, as the panel's box does.
class SpeedBox : public QSpinBox {
  public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override {
        const int top = steps > 0 ? std::max(value(), kSpeedMax) : maximum();
        setValue(std::clamp(value() + steps, minimum(), top));
    }

  protected:
    StepEnabled stepEnabled() const override {
        StepEnabled e = QSpinBox::stepEnabled();
        if (value() >= kSpeedMax) e &= ~StepUpEnabled;
        return e;
    }
};

QSpinBox* number(QSpinBox* s, int lo, int hi) {
    s->setRange(lo, hi);
    s->setAlignment(Qt::AlignRight);
    // Set with the arrows; the keyboard stays with the board.
    s->setFocusPolicy(Qt::NoFocus);
    if (auto* edit = s->findChild<QLineEdit*>()) edit->setFocusPolicy(Qt::NoFocus);
    s->setFixedSize(44, 20);
    return s;
}

QLabel* legend(const QString& text, const char* colour, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(QLatin1String(colour)));
    return l;
}

}  // namespace

TJoukenSetFormM::TJoukenSetFormM(QWidget* owner, hissan::TJouken& jk)
    : app::ToolWindow(owner, QStringLiteral("□条件の設定□　▲Ｆ６▼"), QSize(242, 462), false),
      jk_(jk) {
    setObjectName(QStringLiteral("JoukenSetFormM"));
    setFixedSize(242, 462);
    setWindowIcon(QIcon(QPixmap::fromImage(TAboutFormR::picture(32))));
    // Until the first GB3Set the quotient boxes ignore their changes.
    GB3Busy = 1;
    build();
}

void TJoukenSetFormM::build() {
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(3, 2, 3, 2);
    top->setSpacing(1);

    // The buttons across the top.
    {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        Button3 = new QPushButton(QStringLiteral("文字（F）"), this);
        Button3->setToolTip(QStringLiteral("表示文字のフォントを選ぶ"));
        Button4 = new QPushButton(QStringLiteral("ヘルプ"), this);
        Button1 = new QPushButton(QStringLiteral("閉じる(J)"), this);
        Button1->setDefault(true);
        QFont small = f;
        small.setPixelSize(10);
        for (QPushButton* b : {Button3, Button4, Button1}) {
            b->setFont(small);
            b->setFocusPolicy(Qt::NoFocus);
            b->setFixedHeight(20);
            row->addWidget(b);
        }
        connect(Button1, &QPushButton::clicked, this, &TJoukenSetFormM::Button1Click);
        connect(Button3, &QPushButton::clicked, this, &TJoukenSetFormM::fontRequested);
        connect(Button4, &QPushButton::clicked, this, &TJoukenSetFormM::helpRequested);
        top->addLayout(row);
    }

    // Display conditions.
    {
        QGroupBox* g = group(QStringLiteral("◎表示等の設定"), "#00ffff", this);
        QVBoxLayout* v = column(g);
        CheckBox1 = check(QStringLiteral("くり上がりを表示（A）"), g);
        CheckBox2 = check(QStringLiteral("くり下がりを表示（S）"), g);
        CheckBox3 = check(QStringLiteral("「＝」で改行（L）"), g);
        CheckBox13 = check(QStringLiteral("余りの小数点に点線(B)"), g);
        CheckBox14 = check(QStringLiteral("各部の名称を説明(Q)"), g);
        CheckBox4 = check(QStringLiteral("÷で変更/表示を連動(U)"), g, true);
        for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3, CheckBox13, CheckBox14, CheckBox4})
            v->addWidget(b);
        top->addWidget(g);
    }

    // Character size and colour scheme, side by side.
    {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        QGroupBox* g = group(QStringLiteral("◎大きさ"), "#fffbf0", this);
        auto* h = new QGridLayout(g);
        h->setContentsMargins(4, 4, 4, 2);
        h->setHorizontalSpacing(2);
        h->setVerticalSpacing(0);
        SpeedButton1 = new QToolButton(g);
        SpeedButton1->setText(QStringLiteral("大"));
        SpeedButton2 = new QToolButton(g);
        SpeedButton2->setText(QStringLiteral("小"));
        for (QToolButton* b : {SpeedButton1, SpeedButton2}) {
            b->setFocusPolicy(Qt::NoFocus);
            b->setFixedSize(28, 22);
        }
        connect(SpeedButton1, &QToolButton::clicked, this, &TJoukenSetFormM::biggerRequested);
        connect(SpeedButton2, &QToolButton::clicked, this, &TJoukenSetFormM::smallerRequested);
        h->addWidget(SpeedButton1, 0, 0);
        h->addWidget(new QLabel(QStringLiteral("(O) "), g), 0, 1);
        h->addWidget(SpeedButton2, 0, 2);
        h->addWidget(new QLabel(QStringLiteral("(T)"), g), 0, 3);
        row->addWidget(g);

        QGroupBox* r = group(QStringLiteral("表示色(M)"), "#f0f0f0", this);
        QVBoxLayout* v = column(r);
        RadioGroup1 = new QButtonGroup(r);
        int id = 0;
        for (const QString& item :
             {QStringLiteral("黒板風"), QStringLiteral("白板風"), QStringLiteral("見やすい色")}) {
            auto* b = new QRadioButton(item, r);
            b->setFocusPolicy(Qt::NoFocus);
            RadioGroup1->addButton(b, id++);
            v->addWidget(b);
        }
        RadioGroup1->button(0)->setChecked(true);
        // A change of selection, not every click: clicking the item that is
        // already selected changes nothing.
        connect(RadioGroup1, &QButtonGroup::idToggled, this, [this](int item, bool on) {
            if (on) RadioGroup1Click(item);
        });
        row->addWidget(r);
        top->addLayout(row);
    }

    // Step mode.
    {
        QGroupBox* g = group(QStringLiteral("▼ステップモードの選択"), "#c0dcc0", this);
        auto* h = new QHBoxLayout(g);
        h->setContentsMargins(4, 4, 4, 2);
        CheckBox17 = check(QStringLiteral("無"), g);
        CheckBox8 = check(QStringLiteral("自動"), g, true);
        CheckBox9 = check(QStringLiteral("手動"), g);
        for (QCheckBox* b : {CheckBox17, CheckBox8, CheckBox9}) h->addWidget(b);
        top->addWidget(g);
    }

    // Step settings.
    {
        QGroupBox* g = group(QStringLiteral("◎ステップ設定"), "#fffbf0", this);
        auto* grid = new QGridLayout(g);
        grid->setContentsMargins(4, 4, 4, 2);
        grid->setHorizontalSpacing(3);
        grid->setVerticalSpacing(0);
        grid->addWidget(new QLabel(QStringLiteral("▼自動ステップ時間"), g), 0, 0, 1, 3);
        Edit1 = number(new SpeedBox(g), 0, kDelayMax);
        connect(Edit1, &QSpinBox::valueChanged, this, &TJoukenSetFormM::UpDown1Click);
        grid->addWidget(Edit1, 1, 0);
        grid->addWidget(new QLabel(QStringLiteral("(１０ごとに約１秒)"), g), 1, 1, 1, 2);
        grid->addWidget(legend(QStringLiteral("Shift"), "#800000", g), 0, 3, Qt::AlignRight);
        grid->addWidget(legend(QStringLiteral("＋"), "#800000", g), 1, 3, Qt::AlignRight);
        grid->addWidget(legend(QStringLiteral("PU・PD"), "#800000", g), 2, 3, Qt::AlignRight);
        CheckBox7 = check(QStringLiteral("手動ステップ時Beep音"), g);
        grid->addWidget(CheckBox7, 2, 0, 1, 3);
        top->addWidget(g);
    }

    // π.
    {
        QGroupBox* g = group(QStringLiteral("P(π)の値"), "#f0f0f0", this);
        auto* h = new QHBoxLayout(g);
        h->setContentsMargins(4, 4, 4, 2);
        h->setSpacing(3);
        Edit3 = number(new QSpinBox(g), 1, 15);
        Edit3->setValue(3);
        connect(Edit3, &QSpinBox::valueChanged, this, &TJoukenSetFormM::UpDown3Click);
        h->addWidget(Edit3);
        h->addWidget(new QLabel(QStringLiteral("ケタ"), g));
        SpeedButton3 = new QToolButton(g);
        SpeedButton3->setText(QStringLiteral("標準"));
        SpeedButton3->setFocusPolicy(Qt::NoFocus);
        connect(SpeedButton3, &QToolButton::clicked, this, [this] {
            {
                const QSignalBlocker block(Edit3);
                Edit3->setValue(3);
            }
            jk_.PaiKeta = 3;
            pai_Set();
        });
        h->addWidget(SpeedButton3);
        Panel2 = new QLabel(QStringLiteral("表示"), g);
        Panel2->setAlignment(Qt::AlignCenter);
        Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
        Panel2->setStyleSheet(QStringLiteral("QLabel { background: #ffff00; padding: 1px 4px; }"));
        h->addWidget(Panel2);
        h->addStretch();
        top->addWidget(g);
    }

    // Quotient places.
    {
        QGroupBox* g = group(QStringLiteral("◎小数第？位まで、商をもとめるか。"), "#f0f0f0", this);
        auto* grid = new QGridLayout(g);
        grid->setContentsMargins(4, 4, 4, 2);
        grid->setHorizontalSpacing(2);
        grid->setVerticalSpacing(0);
        CheckBox11 = check(QStringLiteral("割り切れる(max小数第10位）まで"), g);
        CheckBox6 = check(QStringLiteral("次に指定した小数の位で四捨五入"), g);
        CheckBox12 = check(QStringLiteral("次に指定した位まで（整数位は０）"), g);
        grid->addWidget(CheckBox11, 0, 0, 1, 4);
        grid->addWidget(CheckBox6, 1, 0, 1, 4);
        grid->addWidget(CheckBox12, 2, 0, 1, 4);
        grid->addWidget(new QLabel(QStringLiteral("◇小数第"), g), 3, 0);
        Edit2 = number(new QSpinBox(g), 0, 10);
        Edit2->setToolTip(QStringLiteral("第０位は整数とします。"));
        connect(Edit2, &QSpinBox::valueChanged, this, &TJoukenSetFormM::UpDown2Click);
        grid->addWidget(Edit2, 3, 1);
        PlacesText = new QLabel(QStringLiteral("位まで（最大１０位）"), g);
        grid->addWidget(PlacesText, 3, 2, 1, 2);
        auto* keys = new QHBoxLayout;
        keys->setSpacing(2);
        keys->addStretch();
        for (const QString& t :
             {QStringLiteral("Ctrl"), QStringLiteral("＋"), QStringLiteral("PU･PD")})
            keys->addWidget(legend(t, "#800000", g));
        grid->addLayout(keys, 4, 0, 1, 4);
        grid->setColumnStretch(3, 1);
        top->addWidget(g);
    }

    // The trailing-zero methods.
    CheckBox15 = check(QStringLiteral("末尾の０を分けてかけ算 （Ctrl+K）"), this);
    CheckBox15->setStyleSheet(QStringLiteral("QCheckBox { background: #00ff00; }"));
    CheckBox16 = check(QStringLiteral("末尾の０を消して割り算(Ctrl+W)"), this);
    CheckBox16->setStyleSheet(QStringLiteral("QCheckBox { background: #ff00ff; }"));
    CheckBox10 = check(QStringLiteral("加法を部分和で行う (Ctrl+Alt+B)"), this, true);
    CheckBox10->setEnabled(false);
    CheckBox10->hide();
    top->addWidget(CheckBox15);
    top->addWidget(CheckBox16);
    top->addWidget(CheckBox10);
    top->addStretch(1);

    // The handlers, one per box, run on every change of its state.
    flagBox(Switch::Kuriagari, true);
    flagBox(Switch::Kurisagari, true);
    onChange(CheckBox3, [this] {
        jk_.KAIGYO_FLAG = CheckBox3->isChecked() ? 1 : 0;
        emit conditionsChanged(Change::LineBreak);
        emit conditionsChanged(Change::Captions);
    });
    for (Switch s : {Switch::SyouPtLn, Switch::QQ, Switch::Rendo, Switch::MatsubiKake,
                     Switch::MatsubiWari, Switch::BubunWa})
        flagBox(s, s != Switch::Rendo);
    onChange(CheckBox7, [this] { jk_.STEPBEEP = CheckBox7->isChecked() ? 1 : 0; });
    onChange(CheckBox8, [this] { stepRun(&TJoukenSetFormM::CheckBox8Click); });
    onChange(CheckBox9, [this] { stepRun(&TJoukenSetFormM::CheckBox9Click); });
    onChange(CheckBox17, [this] { stepRun(&TJoukenSetFormM::CheckBox17Click); });
    quotientBox(CheckBox11, 2);
    quotientBox(CheckBox12, 0);
    onChange(CheckBox6, [this] {
        if (GB3Busy == 0) CheckBox6Click();
    });
}

void TJoukenSetFormM::onChange(QCheckBox* box, std::function<void()> handler) {
    handlers_.emplace_back(box, handler);
    connect(box, &QCheckBox::toggled, this, [handler](bool) { handler(); });
}

void TJoukenSetFormM::flagBox(Switch s, bool relayout) {
    QCheckBox* box = this->box(s);
    int hissan::TJouken::*field = core::switchCondition(s).field;
    onChange(box, [this, box, field, relayout] {
        jk_.*field = box->isChecked() ? 1 : 0;
        emit conditionsChanged(Change::Captions);
        if (relayout) emit conditionsChanged(Change::Layout);
    });
}

void TJoukenSetFormM::quotientBox(QCheckBox* box, int mode) {
    onChange(box, [this, mode] {
        if (GB3Busy == 1) return;
        jk_.SHOU_ITI = mode;
        GB3Set();
    });
}

void TJoukenSetFormM::runHandler(QCheckBox* box) {
    for (auto& [b, handler] : handlers_)
        if (b == box) handler();
}

// ---- creation -------------------------------------------------------------------------

void TJoukenSetFormM::FormCreate(int top, int left) {
    move(left, top);
    CheckBox1->setChecked(jk_.KURIAGARI != 0);
    CheckBox2->setChecked(jk_.KURISAGARI != 0);
    CheckBox3->setChecked(jk_.KAIGYO_FLAG != 0);
    CheckBox4->setChecked(jk_.RENDOFLAG != 0);
    CheckBox7->setChecked(jk_.STEPBEEP != 0);
    CheckBox8->setChecked(jk_.AUTOSTEP != 0);
    CheckBox9->setChecked(jk_.STEPFLAG != 0);
    CheckBox13->setChecked(jk_.SYOUPTLNDSP != 0);
    CheckBox14->setChecked(jk_.QQ_FLAG != 0);
    showScheme(jk_.DSP_CL_TYPE);
    {
        const QSignalBlocker b1(Edit1), b2(Edit2);
        Edit1->setValue(jk_.ENZANSPEED);
        Edit2->setValue(jk_.PNTDSPFLAG00);
    }
    emit hidden();
    CheckBox10->setChecked(jk_.BubunWa != 0);
    if (jk_.AUTOSTEP == 1) jk_.StrokeDelay = jk_.ENZANSPEED;
    ShishaMsgArmed = 1;
    GB3Busy = 1;
    GB3Set();
    pai_Set();
}

// ---- switches of the main window ------------------------------------------------------

QCheckBox* TJoukenSetFormM::box(Switch s) const {
    static constexpr std::pair<Switch, QCheckBox * TJoukenSetFormM::*> kBoxes[] = {
        {Switch::Kuriagari, &TJoukenSetFormM::CheckBox1},
        {Switch::Kurisagari, &TJoukenSetFormM::CheckBox2},
        {Switch::Kaigyo, &TJoukenSetFormM::CheckBox3},
        {Switch::SyouPtLn, &TJoukenSetFormM::CheckBox13},
        {Switch::QQ, &TJoukenSetFormM::CheckBox14},
        {Switch::Rendo, &TJoukenSetFormM::CheckBox4},
        {Switch::MatsubiKake, &TJoukenSetFormM::CheckBox15},
        {Switch::MatsubiWari, &TJoukenSetFormM::CheckBox16},
        {Switch::BubunWa, &TJoukenSetFormM::CheckBox10},
    };
    for (const auto& [sw, member] : kBoxes)
        if (sw == s) return this->*member;
    return CheckBox1;
}

void TJoukenSetFormM::setSwitch(Switch s, bool on) {
    QCheckBox* b = box(s);
    if (b->isChecked() == on)
        runHandler(b);  // the field may still differ (a value from the file)
    else
        b->setChecked(on);
}

void TJoukenSetFormM::toggle(Switch s) {
    setSwitch(s, jk_.*core::switchCondition(s).field == 0);
}

void TJoukenSetFormM::showPointMax() {
    const QSignalBlocker block(Edit2);
    Edit2->setValue(jk_.POINTMAX);
}

void TJoukenSetFormM::showStrokeDelay(int delay) {
    const QSignalBlocker block(Edit1);
    Edit1->setValue(delay);
}

void TJoukenSetFormM::showScheme(int item) {
    const QSignalBlocker block(RadioGroup1);
    if (item < 0 || item >= hissan::kSchemeCount) item = hissan::kSchemeBlackboard;
    if (QAbstractButton* b = RadioGroup1->button(item)) b->setChecked(true);
}

void TJoukenSetFormM::setManualStep(bool on) {
    CheckBox9->setChecked(on);
}

void TJoukenSetFormM::setPlaces(int position) {
    {
        const QSignalBlocker block(Edit2);
        Edit2->setValue(position);
    }
    UpDown2Click(Edit2->value());
}

// ---- quotient mode -----------------------------------------------------------------------

void TJoukenSetFormM::placesBox(bool on, int minimum) {
    const QSignalBlocker block(Edit2);
    Edit2->setEnabled(on);
    Edit2->setMinimum(minimum);
}

void TJoukenSetFormM::GB3Set() {
    GB3Busy = 1;
    auto only = [this](QCheckBox* ticked) {
        for (QCheckBox* b : {CheckBox11, CheckBox6, CheckBox12}) b->setChecked(b == ticked);
    };
    bool changed = true;
    switch (jk_.SHOU_ITI) {
        case 0:
            placesBox(true, 0);
            only(CheckBox12);
            PlacesText->setText(QStringLiteral("位まで(最大10位)"));
            jk_.POINTMAX = jk_.PNTDSPFLAG00 = Edit2->value();
            break;
        case 1:
            placesBox(true, 1);
            only(CheckBox6);
            PlacesText->setText(QStringLiteral("位で四捨五入"));
            jk_.POINTMAX = jk_.PNTDSPFLAG00 = Edit2->value();
            break;
        case 2:
            placesBox(false, 0);
            only(CheckBox11);
            jk_.POINTMAX = 10;
            break;
        default:
            changed = false;
            break;
    }
    if (changed) emit conditionsChanged(Change::QuotientMode);
    GB3Busy = 0;
}

void TJoukenSetFormM::CheckBox6Click() {
    if (jk_.POINTMAX != 0) {
        ShishaMsgArmed = 1;
        jk_.SHOU_ITI = 1;
        GB3Set();
        return;
    }
    // Rounding at the ones place is refused; the box goes back unticked.
    if (ShishaMsgArmed == 1)
        emit notice(QStringLiteral("整数の位では四捨五入できません。\n設定を変えて下さい。"),
                    QStringLiteral("Debug"));
    ShishaMsgArmed = 0;
    CheckBox6->setChecked(false);
    ShishaMsgArmed = 1;
}

void TJoukenSetFormM::ShouJoukenGet() {
    if (CheckBox12->isChecked())
        jk_.SHOU_ITI = 0;
    else if (CheckBox6->isChecked())
        jk_.SHOU_ITI = 1;
    else if (CheckBox11->isChecked())
        jk_.SHOU_ITI = 2;
}

// ---- step mode ---------------------------------------------------------------------------

void TJoukenSetFormM::CheckBox8Click() {
    if (CheckBox8->isChecked()) {
        CheckBox9->setChecked(false);
        CheckBox17->setChecked(false);
        jk_.AUTOSTEP = 1;
        emit strokeTimeEnabled(true);
        jk_.StrokeDelay = jk_.ENZANSPEED;
    } else if (CheckBox9->isChecked()) {
        jk_.AUTOSTEP = 0;
        emit strokeTimeEnabled(false);
        jk_.STEPFLAG = 1;
        jk_.StrokeDelay = jk_.ENZANSPEED;
    } else {
        jk_.AUTOSTEP = 0;
        emit strokeTimeEnabled(false);
        jk_.STEPFLAG = 0;
        jk_.StrokeDelay = 0;
    }
    emit stepModeChosen();
}

void TJoukenSetFormM::CheckBox9Click() {
    if (CheckBox9->isChecked()) {
        CheckBox8->setChecked(false);
        jk_.STEPFLAG = 1;
        jk_.AUTOSTEP = 0;
        jk_.StrokeDelay = jk_.ENZANSPEED;
    } else if (CheckBox8->isChecked()) {
        jk_.AUTOSTEP = 1;
        jk_.STEPFLAG = 0;
        jk_.StrokeDelay = jk_.ENZANSPEED;
    } else {
        jk_.AUTOSTEP = 0;
        jk_.STEPFLAG = 0;
        jk_.StrokeDelay = 0;
    }
    emit stepModeChosen();
}

void TJoukenSetFormM::CheckBox17Click() {
    // Unticking "無" by hand leaves the kind as it is; the boxes then show it
    // again (stepRun).
    if (CheckBox17->isChecked()) {
        CheckBox8->setChecked(false);
        jk_.AUTOSTEP = 0;
        emit strokeTimeEnabled(false);
        jk_.STEPFLAG = 0;
        jk_.StrokeDelay = 0;
    }
    emit stepModeChosen();
}

// The step boxes' handlers untick each other and end with the main window's
// GB4Set. The boxes then show the kind in force: ticked in the middle of a
// handler, a box would run its own handler there and undo the choice being
// made ("自動" unticked again while automatic stepping is put in force), so
// they are set once the outermost handler is over. "無" and "手動" ticked
// together would show two kinds where one is in force.
void TJoukenSetFormM::stepRun(void (TJoukenSetFormM::*handler)()) {
    ++stepDepth_;
    (this->*handler)();
    --stepDepth_;
    showStepKind();
}

void TJoukenSetFormM::showStepKind() {
    if (stepDepth_ > 0) return;
    const bool automatic = jk_.AUTOSTEP != 0;
    const bool manual = !automatic && jk_.STEPFLAG != 0;
    const QSignalBlocker b17(CheckBox17), b8(CheckBox8), b9(CheckBox9);
    CheckBox17->setChecked(!automatic && !manual);
    CheckBox8->setChecked(automatic);
    CheckBox9->setChecked(manual);
}

void TJoukenSetFormM::FormActivate() {
    // Only the look follows: the conditions already hold these values, and
    // running the handlers would reset the stroke delay or, in manual mode,
    // close the dialog the moment it opens.
    showStepKind();
    const QSignalBlocker b7(CheckBox7);
    CheckBox7->setChecked(jk_.STEPBEEP != 0);
}

// ---- the number boxes ----------------------------------------------------------------------

void TJoukenSetFormM::UpDown1Click(int position) {
    jk_.ENZANSPEED = std::min(position, kSpeedMax);
    emit stepModeChosen();
    if (CheckBox8->isChecked()) jk_.StrokeDelay = jk_.ENZANSPEED;
}

void TJoukenSetFormM::UpDown2Click(int position) {
    jk_.POINTMAX = jk_.PNTDSPFLAG00 = position;
    emit conditionsChanged(Change::PointMax);
    if (jk_.RENDOFLAG == 1) emit recalculateRequested();
}

void TJoukenSetFormM::UpDown3Click(int position) {
    jk_.PaiKeta = position;
    pai_Set();
}

void TJoukenSetFormM::pai_Set() {
    const int keta = std::clamp(jk_.PaiKeta, 1, 15);
    jk_.PaiText = keta == 1 ? std::string("3") : std::string(kPaiDigits, keta + 1);
    const QString hint = QStringLiteral("円周率=") + QString::fromStdString(jk_.PaiText) +
                         QStringLiteral("(") + QString::number(jk_.PaiKeta) +
                         QStringLiteral("けた)");
    Edit3->setToolTip(hint);
    Panel2->setToolTip(hint);
}

// ---- colour scheme -------------------------------------------------------------------------

void TJoukenSetFormM::RadioGroup1Click(int item) {
    // The main window's group switches the scheme (or refuses) and shows the
    // scheme in force here again, without echo.
    emit schemeChosen(item);
}

// ---- the window ------------------------------------------------------------------------------

void TJoukenSetFormM::Button1Click() {
    emit hidden();
    hide();
}

void TJoukenSetFormM::closeEvent(QCloseEvent* e) {
    emit hidden();
    app::ToolWindow::closeEvent(e);
}

void TJoukenSetFormM::keyPressEvent(QKeyEvent* e) {
    // Keys belong to the board, Enter too: digits typed while the dialog is
    // active are an expression, and Enter is its "=". Only Enter in a number
    // box (which passes it on after taking its number) presses the default
    // button "閉じる(J)".
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && inNumberBox(focusWidget()))
        Button1->click();
    else
        emit keyTyped(e->key(), e->modifiers(), e->nativeScanCode());
}

bool TJoukenSetFormM::inNumberBox(const QWidget* w) const {
    for (const QSpinBox* box : {Edit1, Edit2, Edit3})
        if (w && (w == box || box->isAncestorOf(w))) return true;
    return false;
}

void TJoukenSetFormM::showEvent(QShowEvent* e) {
    app::ToolWindow::showEvent(e);
    // Shown without being activated (the board keeps the keyboard): the
    // step boxes are re-read once the show is over.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) FormActivate();
    });
}

bool TJoukenSetFormM::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return app::ToolWindow::event(e);
}

}  // namespace dialogs
