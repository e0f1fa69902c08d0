// The settings panel across the top of the board: its controls, and how
// they show the conditions.
#include "app/settings_panel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "hissan/canvas.h"

namespace app {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kSilver(192, 192, 192);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);

void colourText(QLabel* l, const QColor& c) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, c);
    l->setPalette(p);
}

}  // namespace

// ---- ClickPanel ------------------------------------------------------------------------

ClickPanel::ClickPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void ClickPanel::setLook(const QString& caption, const QColor& back, const QColor& text,
                         bool bold) {
    back_ = back;
    text_ = text;
    setText(caption);
    QPalette p = palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, text);
    setPalette(p);
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void ClickPanel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(e);
}

// ---- the settings panel ------------------------------------------------------------------

SettingsPanel::SettingsPanel(const hissan::TJouken& jk, QWidget* board)
    : QWidget(board), jk_(jk), board_(board) {
    setObjectName(QStringLiteral("Panel1"));
}

void SettingsPanel::ensureBuilt() {
    if (built_) return;
    built_ = true;
    build();
    showToggles();
    showWordProblem(wordProblemOn_);
    showShou0();
    showPlaces(places_);
    showQuotientMode();
    showStepKind();
    showStrokeDelay(strokeDelay_);
    setStepTimeEnabled(stepTimeOn_);
    selectScheme(scheme_, false);
    fitWidth(board_->width());
}

void SettingsPanel::build() {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kYellow);
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Button, QColor(240, 240, 220));
    setPalette(pal);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    // Everything stands side by side within the first-start width of the
    // window (840): the groups are as narrow as their captions allow, with
    // their buttons one above the other where two rows fit.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);
    auto tool = [](const QString& text, QWidget* parent) {
        auto* b = new QToolButton(parent);
        b->setText(text);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
        return b;
    };
    auto group = [](const QString& title, QWidget* parent) {
        auto* g = new QGroupBox(title, parent);
        g->setFlat(false);
        g->setStyleSheet(
            QStringLiteral("QGroupBox { margin-top: 7px; padding: 1px; } "
                           "QGroupBox::title { subcontrol-origin: margin; left: 4px; "
                           "padding: 0px; }"));
        return g;
    };

    // The panel's own "×": hides the panel. The focus box, yellow on
    // yellow, stands under it.
    QToolButton* close = tool(QStringLiteral("×"), this);
    close->setFixedSize(18, 18);
    connect(close, &QToolButton::clicked, this, &SettingsPanel::hideClicked);
    auto* first = new QVBoxLayout;
    first->setSpacing(0);
    first->addWidget(close, 0, Qt::AlignTop);
    first->addStretch(1);
    row->addLayout(first);

    // Colour scheme selector.
    RadioGroup1 = group(QStringLiteral("表示色(M)"), this);
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    {
        auto* v = new QVBoxLayout(RadioGroup1);
        v->setContentsMargins(1, 2, 1, 1);
        v->setSpacing(0);
        // Three items in the height of the panel, as narrow as they can be
        // so the row still fits the first-start width.
        QFont itemFont = font();
        itemFont.setPixelSize(10);
        int id = 0;
        for (const QString& item :
             {QStringLiteral("黒板風"), QStringLiteral("白板風"), QStringLiteral("見やすい色")}) {
            auto* r = new QRadioButton(item, RadioGroup1);
            r->setFocusPolicy(Qt::NoFocus);
            r->setFont(itemFont);
            r->setStyleSheet(QStringLiteral("QRadioButton { spacing: 1px; }"));
            RadioGroup1Items->addButton(r, id++);
            v->addWidget(r);
        }
        RadioGroup1Items->button(0)->setChecked(true);
        // A change of selection, not every click: a click on the item that
        // is already selected changes nothing.
        connect(RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int, bool on) {
            if (on) emit schemeChosen();
        });
    }
    row->addWidget(RadioGroup1);

    // Character size.
    {
        QGroupBox* g = group(QStringLiteral("文字の大きさ"), this);
        auto* v = new QVBoxLayout(g);
        v->setContentsMargins(3, 1, 3, 0);
        v->setSpacing(1);
        QToolButton* big = tool(QStringLiteral("大(O)"), g);
        QToolButton* smallBtn = tool(QStringLiteral("小（T）"), g);
        for (QToolButton* b : {big, smallBtn}) {
            b->setFixedHeight(19);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        }
        connect(big, &QToolButton::clicked, this, &SettingsPanel::biggerClicked);
        connect(smallBtn, &QToolButton::clicked, this, &SettingsPanel::smallerClicked);
        v->addWidget(big);
        v->addWidget(smallBtn);
        // The caption, in the frame's top edge, is wider than the buttons.
        v->addSpacerItem(new QSpacerItem(QFontMetrics(g->font()).horizontalAdvance(g->title()) + 4,
                                         0, QSizePolicy::Fixed));
        row->addWidget(g);
    }

    // The toggle panels, two to a column.
    auto panel = [this](const QString& caption, const QString& hint) {
        auto* p = new ClickPanel(caption, this);
        p->setToolTip(hint);
        p->setMinimumWidth(20);
        p->setFixedHeight(26);
        return p;
    };
    Panel2 =
        panel(QStringLiteral("くり上がり(A)×"), QStringLiteral("たし算等でくり上がりを表示する。"));
    Panel3 =
        panel(QStringLiteral("くり下がり(S)×"), QStringLiteral("ひき算でくり下がりを表示する。"));
    Panel4 = panel(QStringLiteral("＝で改行(L)×"), QStringLiteral("＝の位置で式を折り返す。"));
    Panel6 = panel(QStringLiteral("名称表示(Q)×"),
                   QStringLiteral("割る数、割られる数等の位置を表示する。"));
    Panel7 = panel(QStringLiteral("参考線(B)×"), QStringLiteral("余りの小数点ラインを表示する。"));
    Panel8 = panel(QStringLiteral("連"), QString());
    Panel9 = panel(QStringLiteral("手"), QStringLiteral("手書きの式で入力"));
    Panel10 = panel(QStringLiteral("文"), QStringLiteral("文章題の例を示す。(Z)"));
    Panel9->hide();
    // As wide as the longest caption, "◎" or "×", with a little room.
    {
        const QFontMetrics fm(Panel2->font());
        int widest = 0;
        for (const char* caption :
             {"くり上がり(A)◎", "くり下がり(S)◎", "＝で改行(L)◎", "名称表示(Q)◎", "参考線(B)◎"})
            widest = std::max(widest, fm.horizontalAdvance(QString::fromUtf8(caption)));
        for (ClickPanel* p : {Panel2, Panel3, Panel4, Panel6, Panel7}) p->setFixedWidth(widest + 8);
    }
    for (ClickPanel* p : {Panel8, Panel9, Panel10}) p->setFixedWidth(26);
    connect(Panel2, &ClickPanel::clicked, this, [this] {
        emit keyClicked(Qt::Key_A);
        showToggles();
    });
    connect(Panel3, &ClickPanel::clicked, this, [this] {
        emit keyClicked(Qt::Key_S);
        showToggles();
    });
    connect(Panel4, &ClickPanel::clicked, this, &SettingsPanel::kaigyoClicked);
    connect(Panel6, &ClickPanel::clicked, this, [this] {
        emit keyClicked(Qt::Key_Q);
        showToggles();
    });
    connect(Panel7, &ClickPanel::clicked, this, &SettingsPanel::refLineClicked);
    connect(Panel8, &ClickPanel::clicked, this, &SettingsPanel::rendoClicked);
    connect(Panel10, &ClickPanel::clicked, this, &SettingsPanel::wordProblemClicked);
    auto column = [row](std::initializer_list<QWidget*> ws) {
        auto* v = new QVBoxLayout;
        v->setSpacing(2);
        for (QWidget* w : ws) v->addWidget(w);
        row->addLayout(v);
    };
    column({Panel2, Panel3});
    column({Panel4, Panel6});
    {
        auto* v = new QVBoxLayout;
        v->setSpacing(2);
        v->addWidget(Panel7);
        auto* h = new QHBoxLayout;
        h->setSpacing(2);
        h->addWidget(Panel8);
        h->addWidget(Panel10);
        h->addWidget(Panel9);
        h->addStretch();
        v->addLayout(h);
        row->addLayout(v);
    }

    // The two groups' rows and columns stand close together.
    auto tightGrid = [](QGroupBox* g) {
        auto* grid = new QGridLayout(g);
        grid->setContentsMargins(3, 1, 3, 0);
        grid->setHorizontalSpacing(3);
        grid->setVerticalSpacing(0);
        return grid;
    };

    // Division settings.
    GroupBox2 = group(QStringLiteral("わり算の設定"), this);
    GroupBox2->setToolTip(QStringLiteral("小数第何位までわり算するか決める"));
    {
        QGridLayout* grid = tightGrid(GroupBox2);
        GB2Text1 = new QLabel(QStringLiteral("商は小数"), GroupBox2);
        Edit1 = new QSpinBox(GroupBox2);
        Edit1->setRange(0, 10);
        Edit1->setAlignment(Qt::AlignRight);
        Edit1->setFocusPolicy(Qt::ClickFocus);
        Edit1->setFixedWidth(42);
        Edit1->setToolTip(QStringLiteral("フォーカスがあれば↑↓で動くよ。"));
        connect(Edit1, &QSpinBox::valueChanged, this, &SettingsPanel::placesChosen);
        GB2Text2 = new QLabel(QStringLiteral("位まで"), GroupBox2);
        GB2Text3 = new QLabel(QStringLiteral("（整数は０）"), GroupBox2);
        colourText(GB2Text3, kRed);
        GB2Text4 = new QLabel(QStringLiteral("(＆余り)"), GroupBox2);
        GB2CtrlText = new QLabel(QStringLiteral("(Ctrl+PU･PD)"), GroupBox2);
        QToolButton* osu = tool(QStringLiteral("押"), GroupBox2);
        osu->setToolTip(QStringLiteral("条件設定ボックス（F6）"));
        connect(osu, &QToolButton::clicked, this, [this] { emit keyClicked(Qt::Key_F6); });
        SpeedButton7 = tool(QStringLiteral("■"), GroupBox2);
        connect(SpeedButton7, &QToolButton::clicked, this, &SettingsPanel::shou0Clicked);
        grid->addWidget(GB2Text1, 0, 0);
        grid->addWidget(Edit1, 0, 1);
        grid->addWidget(GB2Text2, 0, 2);
        grid->addWidget(GB2Text3, 0, 3);
        grid->addWidget(GB2CtrlText, 1, 0, 1, 2);
        grid->addWidget(GB2Text4, 1, 2, 1, 2);
        grid->addWidget(osu, 0, 4);
        grid->addWidget(SpeedButton7, 1, 4);
    }
    row->addWidget(GroupBox2);

    // Step settings.
    GroupBox4 = group(QStringLiteral("ステップ"), this);
    GroupBox4->setToolTip(QStringLiteral("ステップ計算の種類を決める"));
    {
        QGridLayout* grid = tightGrid(GroupBox4);
        Panel5 = new ClickPanel(QStringLiteral("なし"), GroupBox4);
        Panel5->setCursor(Qt::ArrowCursor);
        Panel5->setFixedSize(40, 20);
        Edit2 = new QLineEdit(GroupBox4);
        Edit2->setReadOnly(true);
        Edit2->setAlignment(Qt::AlignRight);
        Edit2->setFocusPolicy(Qt::NoFocus);
        Edit2->setFixedWidth(30);
        StepUnitText = new QLabel(QStringLiteral("ｄ 秒"), GroupBox4);
        QToolButton* osu = tool(QStringLiteral("押"), GroupBox4);
        osu->setToolTip(QStringLiteral("条件設定ボックス（F6）"));
        connect(osu, &QToolButton::clicked, this, [this] { emit keyClicked(Qt::Key_F6); });
        grid->addWidget(Panel5, 0, 0, 1, 2);
        grid->addWidget(osu, 0, 2);
        grid->addWidget(Edit2, 1, 0);
        grid->addWidget(StepUnitText, 1, 1, 1, 2);
    }
    row->addWidget(GroupBox4);

    // Read the expression aloud.
    SpeedButton8 = tool(QStringLiteral("読"), this);
    SpeedButton8->setToolTip(QStringLiteral("式を読み上げる（V）"));
    SpeedButton8->setFixedSize(26, 26);
    connect(SpeedButton8, &QToolButton::clicked, this, &SettingsPanel::speakClicked);
    row->addWidget(SpeedButton8);

    // Multiplication settings: not shown.
    KakezanGroup = group(QStringLiteral("かけ算の設定"), this);
    {
        auto* h = new QHBoxLayout(KakezanGroup);
        QToolButton* osu = tool(QStringLiteral("押"), KakezanGroup);
        connect(osu, &QToolButton::clicked, this, [this] { emit keyClicked(Qt::Key_F6); });
        h->addWidget(osu);
    }
    KakezanGroup->hide();

    // The focus box: passes the keyboard on to the board.
    Edit3 = new QLineEdit(QStringLiteral("■"), this);
    Edit3->setFixedSize(14, 14);
    Edit3->setFrame(false);
    Edit3->setReadOnly(true);
    Edit3->setStyleSheet(QStringLiteral("QLineEdit { color: yellow; background: yellow; }"));
    Edit3->setFocusProxy(board_);
    first->addWidget(Edit3, 0, Qt::AlignBottom | Qt::AlignHCenter);
    row->addStretch(1);

    // The names the tests find the controls by.
    const std::pair<QObject*, const char*> names[] = {{Panel2, "Panel2"},
                                                      {Panel3, "Panel3"},
                                                      {Panel4, "Panel4"},
                                                      {Panel5, "Panel5"},
                                                      {Panel6, "Panel6"},
                                                      {Panel7, "Panel7"},
                                                      {Panel8, "Panel8"},
                                                      {Panel9, "Panel9"},
                                                      {Panel10, "Panel10"},
                                                      {RadioGroup1, "RadioGroup1"},
                                                      {RadioGroup1Items, "RadioGroup1Items"},
                                                      {GroupBox2, "GroupBox2"},
                                                      {GroupBox4, "GroupBox4"},
                                                      {KakezanGroup, "KakezanGroup"},
                                                      {Edit1, "Edit1"},
                                                      {Edit2, "Edit2"},
                                                      {Edit3, "Edit3"},
                                                      {GB2Text1, "GB2Text1"},
                                                      {GB2Text2, "GB2Text2"},
                                                      {GB2Text3, "GB2Text3"},
                                                      {GB2Text4, "GB2Text4"},
                                                      {GB2CtrlText, "GB2CtrlText"},
                                                      {StepUnitText, "StepUnitText"},
                                                      {SpeedButton7, "SpeedButton7"},
                                                      {SpeedButton8, "SpeedButton8"}};
    for (const auto& [o, name] : names) o->setObjectName(QLatin1String(name));
}

void SettingsPanel::fitWidth(int width) {
    const int need = layout() ? layout()->minimumSize().width() : 0;
    setGeometry(0, 0, std::max({width, board_->width(), need}), 62);
}

void SettingsPanel::showToggles() {
    if (!built_) return;
    if (jk_.KURIAGARI == 1)
        Panel2->setLook(QStringLiteral("くり上がり(A)◎"), kRed, kWhite);
    else
        Panel2->setLook(QStringLiteral("くり上がり(A)×"), kBlue, kWhite);
    if (jk_.KURISAGARI == 1)
        Panel3->setLook(QStringLiteral("くり下がり(S)◎"), kRed, kWhite);
    else
        Panel3->setLook(QStringLiteral("くり下がり(S)×"), kBlue, kWhite);
    if (jk_.KAIGYO_FLAG == 1)
        Panel4->setLook(QStringLiteral("＝で改行(L)◎"), kRed, kWhite);
    else
        Panel4->setLook(QStringLiteral("＝で改行(L)×"), kBlue, kWhite);
    if (jk_.QQ_FLAG == 1)
        Panel6->setLook(QStringLiteral("名称表示(Q)◎"), kRed, kWhite);
    else
        Panel6->setLook(QStringLiteral("名称表示(Q)×"),
                        QApplication::palette().color(QPalette::Highlight), kRed);
    if (jk_.SYOUPTLNDSP == 1)
        Panel7->setLook(QStringLiteral("参考線(B)◎"), kRed, kWhite);
    else
        Panel7->setLook(QStringLiteral("参考線(B)×"), kLime, kRed);
    if (jk_.RENDOFLAG == 1) {
        Panel8->setLook(QStringLiteral("連"), kRed, kWhite);
        Panel8->setToolTip(QStringLiteral("割り算で、条件の変更と表示が連動する(一部)。(U)"));
    } else {
        Panel8->setLook(QStringLiteral("連"), kLime, kWhite);
        Panel8->setToolTip(QStringLiteral("割り算で、条件の変更と表示が連動しない(一部)。(U)"));
    }
}

void SettingsPanel::showWordProblem(bool on) {
    wordProblemOn_ = on;
    if (!built_) return;
    if (on)
        Panel10->setLook(QStringLiteral("文"), kLime, kRed, true);
    else
        Panel10->setLook(QStringLiteral("文"), kSilver, kBlue);
}

void SettingsPanel::showShou0() {
    if (!built_) return;
    if (jk_.SHOU0_DSP == 1) {
        SpeedButton7->setText(QStringLiteral("●"));
        SpeedButton7->setStyleSheet(QStringLiteral("QToolButton { color: red; }"));
        SpeedButton7->setToolTip(
            QStringLiteral("一の位の商が０で、余り＞０ のとき､\n０の段を表示する。"));
    } else {
        SpeedButton7->setText(QStringLiteral("■"));
        SpeedButton7->setStyleSheet(QStringLiteral("QToolButton { color: green; }"));
        SpeedButton7->setToolTip(
            QStringLiteral("一の位の商が０のときは、余り＞０ でも､\n０の段を表示しない。"));
    }
}

void SettingsPanel::showPlaces(int places) {
    places_ = places;
    if (!built_) return;
    const QSignalBlocker block(Edit1);
    Edit1->setValue(places);
}

bool SettingsPanel::isPlacesBox(const QObject* o) const {
    return built_ && o == Edit1;
}

// The division group follows the quotient mode: places with a remainder,
// rounding at a place, or dividing until exact.
void SettingsPanel::showQuotientMode() {
    if (!built_) return;
    const int mode = jk_.SHOU_ITI;
    const bool places = mode != 2;
    Edit1->setVisible(places);
    GB2CtrlText->setVisible(places);
    StepUnitText->setVisible(places);
    {
        const QSignalBlocker block(Edit1);
        Edit1->setMinimum(mode == 1 ? 1 : 0);
    }
    QFont f4 = GB2Text4->font();
    switch (mode) {
        case 0:
            GB2Text1->setText(QStringLiteral("商は小数"));
            GB2Text2->setText(QStringLiteral("位まで"));
            GB2Text2->show();
            GB2Text3->setText(QStringLiteral("(整数は０)"));
            GB2Text3->show();
            GB2Text4->setText(QStringLiteral("(＆余り)"));
            f4.setPointSize(10);
            GB2Text4->setFont(f4);
            colourText(GB2Text4, Qt::black);
            GB2Text4->show();
            break;
        case 1:
            GB2Text1->setText(QStringLiteral("商は小数"));
            GB2Text2->setText(QStringLiteral("位で"));
            GB2Text2->show();
            GB2Text3->hide();
            GB2Text4->setText(QStringLiteral("四捨五入"));
            colourText(GB2Text4, kRed);
            GB2Text4->show();
            break;
        default:
            GB2Text1->setText(QStringLiteral("割り切れるまで割り進む"));
            GB2Text2->hide();
            GB2Text3->setText(QStringLiteral("(Max小数第10位まで)"));
            GB2Text4->hide();
            break;
    }
    // Dividing until exact has the long first text alone on the top line and
    // its note under it, where the places box and its notes were; the group
    // then stays as narrow as in the other modes.
    if (auto* grid = qobject_cast<QGridLayout*>(GroupBox2->layout())) {
        grid->removeWidget(GB2Text3);
        if (places)
            grid->addWidget(GB2Text3, 0, 3);
        else
            grid->addWidget(GB2Text3, 1, 0, 1, 4);
    }
}

void SettingsPanel::showStepKind() {
    if (!built_) return;
    if (jk_.AUTOSTEP == 1)
        Panel5->setLook(QStringLiteral("自動"), kRed, kWhite);
    else if (jk_.STEPFLAG == 1)
        Panel5->setLook(QStringLiteral("手動"), kGreen, kWhite);
    else
        Panel5->setLook(QStringLiteral("なし"), kBlue, kWhite);
}

void SettingsPanel::showStrokeDelay(int delay) {
    strokeDelay_ = delay;
    if (!built_) return;
    Edit2->setText(QString::number(delay));
}

void SettingsPanel::setStepTimeEnabled(bool on) {
    stepTimeOn_ = on;
    if (!built_) return;
    Edit2->setEnabled(on);
    colourText(StepUnitText, on ? kRed : QColor(128, 128, 128));
}

void SettingsPanel::selectScheme(int item, bool run) {
    if (item < 0 || item >= hissan::kSchemeCount) item = hissan::kSchemeBlackboard;
    if (!built_) {
        // As the group does: a change of selection runs its handler.
        const bool changed = item != scheme_;
        scheme_ = item;
        if (run && changed) emit schemeChosen();
        return;
    }
    const QSignalBlocker block(run ? nullptr : RadioGroup1Items);
    RadioGroup1Items->button(item)->setChecked(true);
}

int SettingsPanel::selectedScheme() const {
    return built_ ? RadioGroup1Items->checkedId() : scheme_;
}

}  // namespace app
