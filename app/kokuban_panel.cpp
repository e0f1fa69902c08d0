// The main window's board view (painting, scrolling, colour schemes, fonts)
// and its settings panel with the toggle panels, the division and step groups.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/kokuban_form.h"

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

void TKokubanFormM::buildPanel() {
    Panel1 = new QWidget(board_);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::Window, kYellow);
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Button, QColor(240, 240, 220));
    Panel1->setPalette(pal);
    QFont small = Panel1->font();
    small.setPixelSize(11);
    Panel1->setFont(small);

    // Everything stands side by side within the first-start width of the
    // window (840): the groups are as narrow as their captions allow, with
    // their buttons one above the other where two rows fit.
    auto* row = new QHBoxLayout(Panel1);
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
    QToolButton* close = tool(QStringLiteral("×"), Panel1);
    close->setFixedSize(18, 18);
    connect(close, &QToolButton::clicked, this, &TKokubanFormM::P1Click);
    auto* first = new QVBoxLayout;
    first->setSpacing(0);
    first->addWidget(close, 0, Qt::AlignTop);
    first->addStretch(1);
    row->addLayout(first);

    // Colour scheme selector.
    RadioGroup1 = group(QStringLiteral("表示色(M)"), Panel1);
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    {
        auto* v = new QVBoxLayout(RadioGroup1);
        v->setContentsMargins(3, 2, 3, 1);
        v->setSpacing(0);
        int id = 0;
        for (const QString& item : {QStringLiteral("黒板風"), QStringLiteral("白板風")}) {
            auto* r = new QRadioButton(item, RadioGroup1);
            r->setFocusPolicy(Qt::NoFocus);
            RadioGroup1Items->addButton(r, id++);
            v->addWidget(r);
        }
        RadioGroup1Items->button(0)->setChecked(true);
        // A change of selection, not every click: a click on the item that
        // is already selected changes nothing.
        connect(RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int, bool on) {
            if (on) RadioGroup1Click();
        });
    }
    row->addWidget(RadioGroup1);

    // Character size.
    {
        QGroupBox* g = group(QStringLiteral("文字の大きさ"), Panel1);
        auto* v = new QVBoxLayout(g);
        v->setContentsMargins(3, 1, 3, 0);
        v->setSpacing(1);
        QToolButton* big = tool(QStringLiteral("大(O)"), g);
        QToolButton* smallBtn = tool(QStringLiteral("小（T）"), g);
        for (QToolButton* b : {big, smallBtn}) {
            b->setFixedHeight(19);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        }
        connect(big, &QToolButton::clicked, this, &TKokubanFormM::MojiBigButtonClick);
        connect(smallBtn, &QToolButton::clicked, this, &TKokubanFormM::MojiSmallButtonClick);
        v->addWidget(big);
        v->addWidget(smallBtn);
        // The caption, in the frame's top edge, is wider than the buttons.
        v->addSpacerItem(new QSpacerItem(QFontMetrics(g->font()).horizontalAdvance(g->title()) + 4,
                                         0, QSizePolicy::Fixed));
        row->addWidget(g);
    }

    // The toggle panels, two to a column.
    auto panel = [this](const QString& caption, const QString& hint) {
        auto* p = new ClickPanel(caption, Panel1);
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
    connect(Panel2, &ClickPanel::clicked, this, &TKokubanFormM::Panel2Click);
    connect(Panel3, &ClickPanel::clicked, this, &TKokubanFormM::Panel3Click);
    connect(Panel4, &ClickPanel::clicked, this, &TKokubanFormM::Panel4Click);
    connect(Panel6, &ClickPanel::clicked, this, &TKokubanFormM::Panel6Click);
    connect(Panel7, &ClickPanel::clicked, this, &TKokubanFormM::Panel7Click);
    connect(Panel8, &ClickPanel::clicked, this, &TKokubanFormM::Panel8Click);
    connect(Panel10, &ClickPanel::clicked, this, &TKokubanFormM::Panel10Click);
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

    // Division settings.
    GroupBox2 = group(QStringLiteral("わり算の設定"), Panel1);
    GroupBox2->setToolTip(QStringLiteral("小数第何位までわり算するか決める"));
    {
        auto* grid = new QGridLayout(GroupBox2);
        grid->setContentsMargins(3, 1, 3, 0);
        grid->setHorizontalSpacing(3);
        grid->setVerticalSpacing(0);
        GB2Text1 = new QLabel(QStringLiteral("商は小数"), GroupBox2);
        Edit1 = new QSpinBox(GroupBox2);
        Edit1->setRange(0, 10);
        Edit1->setAlignment(Qt::AlignRight);
        Edit1->setFocusPolicy(Qt::ClickFocus);
        Edit1->setFixedWidth(42);
        Edit1->setToolTip(QStringLiteral("フォーカスがあれば↑↓で動くよ。"));
        connect(Edit1, &QSpinBox::valueChanged, this, &TKokubanFormM::UpDown1Click);
        GB2Text2 = new QLabel(QStringLiteral("位まで"), GroupBox2);
        GB2Text3 = new QLabel(QStringLiteral("（整数は０）"), GroupBox2);
        colourText(GB2Text3, kRed);
        GB2Text4 = new QLabel(QStringLiteral("(＆余り)"), GroupBox2);
        GB2CtrlText = new QLabel(QStringLiteral("(Ctrl+PU･PD)"), GroupBox2);
        QToolButton* osu = tool(QStringLiteral("押"), GroupBox2);
        osu->setToolTip(QStringLiteral("条件設定ボックス（F6）"));
        connect(osu, &QToolButton::clicked, this, [this] { injectKey(Qt::Key_F6); });
        SpeedButton7 = tool(QStringLiteral("■"), GroupBox2);
        connect(SpeedButton7, &QToolButton::clicked, this, &TKokubanFormM::SpeedButton7Click);
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
    GroupBox4 = group(QStringLiteral("ステップ"), Panel1);
    GroupBox4->setToolTip(QStringLiteral("ステップ計算の種類を決める"));
    {
        auto* grid = new QGridLayout(GroupBox4);
        grid->setContentsMargins(3, 1, 3, 0);
        grid->setHorizontalSpacing(3);
        grid->setVerticalSpacing(0);
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
        connect(osu, &QToolButton::clicked, this, [this] { injectKey(Qt::Key_F6); });
        grid->addWidget(Panel5, 0, 0, 1, 2);
        grid->addWidget(osu, 0, 2);
        grid->addWidget(Edit2, 1, 0);
        grid->addWidget(StepUnitText, 1, 1, 1, 2);
    }
    row->addWidget(GroupBox4);

    // Read the expression aloud.
    SpeedButton8 = tool(QStringLiteral("読"), Panel1);
    SpeedButton8->setToolTip(QStringLiteral("式を読み上げる（V）"));
    SpeedButton8->setFixedSize(26, 26);
    connect(SpeedButton8, &QToolButton::clicked, this, &TKokubanFormM::SpeedButton8Click);
    row->addWidget(SpeedButton8);

    // Multiplication settings: not shown.
    KakezanGroup = group(QStringLiteral("かけ算の設定"), Panel1);
    {
        auto* h = new QHBoxLayout(KakezanGroup);
        QToolButton* osu = tool(QStringLiteral("押"), KakezanGroup);
        connect(osu, &QToolButton::clicked, this, [this] { injectKey(Qt::Key_F6); });
        h->addWidget(osu);
    }
    KakezanGroup->hide();

    // The focus box: passes the keyboard on to the board.
    Edit3 = new QLineEdit(QStringLiteral("■"), Panel1);
    Edit3->setFixedSize(14, 14);
    Edit3->setFrame(false);
    Edit3->setReadOnly(true);
    Edit3->setStyleSheet(QStringLiteral("QLineEdit { color: yellow; background: yellow; }"));
    Edit3->setFocusProxy(board_);
    first->addWidget(Edit3, 0, Qt::AlignBottom | Qt::AlignHCenter);
    row->addStretch(1);
    placePanel1();
}

// ---- painting ----------------------------------------------------------------------------

QRect TKokubanFormM::cursorRect() const {
    const hissan::Grid& g = keisan_->grid();
    const int x = keisan_->cursorX(), y = keisan_->cursorY();
    return QRect(QPoint(x + 2, y + 2), QPoint(x + g.DigitW - 3, y + g.CharH - 3));
}

bool TKokubanFormM::cursorVisible() const {
    return cursorShown_ && keisan_->NyuryokuKa() == 1 && !drawing();
}

BoardFrame TKokubanFormM::frame() const {
    BoardFrame f;
    f.ops = &keisan_->ops();
    f.metrics = metrics_.get();
    f.scheme = scheme_;
    f.stepMode = jk_.STEPFLAG == 1;
    f.count = player_->revealed();
    f.scrollY = scrollY_;
    f.cursor = cursorRect();
    f.cursorShown = cursorVisible();
    f.cursorColour = cursorColour_;
    return f;
}

QImage TKokubanFormM::grabBoard() {
    return board_->grab().toImage();
}

// After every paint: a window that moved since the last paint takes the
// keypad along.
void TKokubanFormM::afterPaint() {
    if (y() != LastPaintTop || x() != LastPaintLeft) {
        ToolWindow* pad = comp_.InputFormM;
        if (pad && !(pad->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            pad->move(x() + width() - 200, y() + height() - 220);
        LastPaintTop = y();
        LastPaintLeft = x();
    }
    emit boardPainted();
}

void TKokubanFormM::repaintBoard() {
    scrollY_ = vbar_->value();
    board_->update();
}

void TKokubanFormM::placePanel1() {
    const int need = Panel1->layout() ? Panel1->layout()->minimumSize().width() : 0;
    Panel1->setGeometry(0, 0, std::max({width(), board_->width(), need}), 62);
}

void TKokubanFormM::relayoutBoard() {
    if (drawing()) player_->finish();
    keisan_->relayout();
    repaintBoard();
}

void TKokubanFormM::GamenClear() {
    board_->update();
}

void TKokubanFormM::updateScrollRange() {
    if (!vbar_ || !board_ || !keisan_) return;
    const int page = std::max(1, board_->height());
    vbar_->setPageStep(page);
    // A page, or the whole drawing and a line below it when that is taller.
    const int drawn = opsExtent(keisan_->ops()).bottom() + keisan_->grid().LineH;
    vbar_->setRange(0, std::max(0, std::max(PageH * PageCount, drawn) - page));
}

void TKokubanFormM::setScroll(int value) {
    vbar_->setValue(value);
    scrollY_ = vbar_->value();
    board_->update();
}

void TKokubanFormM::HomeDsp() {
    if (keisan_->NyuryokuKa() != 0) return;
    setScroll(0);
}

void TKokubanFormM::ScrollUp() {
    if (keisan_->NyuryokuKa() != 0) return;
    setScroll(vbar_->value() - 4);
}

void TKokubanFormM::ScrollDown() {
    if (keisan_->NyuryokuKa() != 0) return;
    setScroll(vbar_->value() + 4);
}

// ---- colour schemes ---------------------------------------------------------------------

void TKokubanFormM::IroSet(int scheme) {
    scheme_ = scheme == 1 ? 1 : 0;
    cursorColour_ = scheme_ == 0 ? kYellow : kGreen;
    // The form's colour: what shows around the board (the menu bar keeps
    // the desktop's colours).
    if (QWidget* c = centralWidget()) {
        QPalette pal = c->palette();
        pal.setColor(QPalette::Window, backgroundColour(scheme_));
        c->setPalette(pal);
    }
    if (board_) board_->update();
}

void TKokubanFormM::IroChange() {
    if (keisan_->NyuryokuKa() == 1 && !keisan_->ShikiNyuryoku.empty()) return;
    jk_.DSP_CL_TYPE = 1 - jk_.DSP_CL_TYPE;
    IroSet(jk_.DSP_CL_TYPE);
}

void TKokubanFormM::RadioGroup1Click() {
    if (IroChanged == 0) {
        // The first change of a run always goes to the whiteboard.
        IroChanged = 1;
        IroSet(1);
        jk_.DSP_CL_TYPE = 1;
    } else if (RadioGroup1Items->checkedId() != jk_.DSP_CL_TYPE) {
        IroChange();
    }
    // Both selectors show the scheme in force, also when the change was refused.
    {
        const QSignalBlocker block(RadioGroup1Items);
        RadioGroup1Items->button(jk_.DSP_CL_TYPE)->setChecked(true);
    }
    if (comp_.JoukenSetFormM) comp_.JoukenSetFormM->showScheme(jk_.DSP_CL_TYPE);
    board_->setFocus();
}

// ---- fonts -----------------------------------------------------------------------------------

QFont TKokubanFormM::boardFont() const {
    return metrics_->font(jk_.FONTSIZE);
}

void TKokubanFormM::Font1Click() {
    QFont chosen = boardFont();
    QFontDialog dlg(chosen, this);
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("フォント"));
    // Only the face and the size count on the board: the effects (strikeout,
    // underline) cannot be chosen.
    for (QGroupBox* g : dlg.findChildren<QGroupBox*>())
        if (!g->findChildren<QCheckBox*>().isEmpty()) g->setEnabled(false);
    if (auto* box = dlg.findChild<QDialogButtonBox*>()) {
        QPushButton* apply = box->addButton(QDialogButtonBox::Apply);
        connect(apply, &QPushButton::clicked, this,
                [this, &dlg] { FontDialog1Apply(dlg.currentFont()); });
    }
    if (dlg.exec() == QDialog::Accepted)
        chosen = dlg.selectedFont();
    else
        chosen = boardFont();
    newFont(chosen);
}

void TKokubanFormM::FontDialog1Apply(const QFont& font) {
    newFont(font);
}

void TKokubanFormM::newFont(const QFont& font) {
    // The stored name stays while the chosen family is the one it stands for
    // here ("ＭＳゴシック" shown with the installed Japanese font), so the
    // settings file keeps working on the machines it came from.
    if (font.family() != boardFontFamily(jk_.FONTNAME)) jk_.FONTNAME = font.family().toStdString();
    const int size = font.pointSize() > 0 ? font.pointSize() : jk_.FONTSIZE;
    jk_.FONTSIZE = std::max(1, size);
    if (drawing()) player_->finish();
    // The entry keeps the old metrics until the new ones are in place.
    auto fresh = std::make_unique<QtMetrics>(boardFontFamily(jk_.FONTNAME));
    keisan_->relayout(*fresh);
    metrics_ = std::move(fresh);
    repaintBoard();
}

void TKokubanFormM::MojiBigButtonClick() {
    QFont f = boardFont();
    f.setPointSize(std::min(keisan_->grid().MojiSize + 1, 50));
    newFont(f);
}

void TKokubanFormM::MojiSmallButtonClick() {
    QFont f = boardFont();
    f.setPointSize(std::max(keisan_->grid().MojiSize - 1, 5));
    newFont(f);
}

void TKokubanFormM::KaigyouToggle() {
    if (keisan_->NyuryokuKa() == 1) return;
    relayoutBoard();
    setScroll(0);
}

// ---- the settings panel's handlers --------------------------------------------------------------

void TKokubanFormM::P1Click() {
    jk_.PANELFLAG = 1 - jk_.PANELFLAG;
    actPanel->setChecked(jk_.PANELFLAG == 1);
    actPanelCtx->setChecked(jk_.PANELFLAG == 1);
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    Panel1->setVisible(jk_.PANELFLAG == 1);
    if (jk_.PANELFLAG == 1) placePanel1();
    keisan_->R1Click();
    board_->setFocus();
}

void TKokubanFormM::Panel2Click() {
    injectKey(Qt::Key_A);
    Panel2dsp();
}

void TKokubanFormM::Panel3Click() {
    injectKey(Qt::Key_S);
    Panel3dsp();
}

void TKokubanFormM::Panel4Click() {
    comp_.JoukenSetFormM->toggle(dialogs::TJoukenSetFormM::Switch::Kaigyo);
}

void TKokubanFormM::Panel6Click() {
    injectKey(Qt::Key_Q);
    Panel6dsp();
}

void TKokubanFormM::Panel7Click() {
    comp_.JoukenSetFormM->toggle(dialogs::TJoukenSetFormM::Switch::SyouPtLn);
}

void TKokubanFormM::Panel8Click() {
    comp_.JoukenSetFormM->toggle(dialogs::TJoukenSetFormM::Switch::Rendo);
}

void TKokubanFormM::Panel10Click() {
    ReibunOn = 1 - ReibunOn;
    Panel10Dsp();
    if (ReibunOn == 0) {  // off: the story goes, whatever it showed
        comp_.SenExForm->hide();
        return;
    }
    if (ReibunAri == 0) {  // no stories: say so as the panel is switched on
        message(comp_.SenExForm->noStoriesMessage(), QStringLiteral("★☆お願い☆★"));
        ReibunOn = 0;
        Panel10Dsp();
        return;
    }
    if (keisan_->ShikiNyuryoku.empty() || keisan_->NyuryokuKa() == 1) return;
    AmariMode = keisan_->Kotae().find('R') != std::string::npos ? 4 : 0;
    comp_.SenExForm->show();
    comp_.SenExForm->update();
}

void TKokubanFormM::Panel2dsp() {
    if (jk_.KURIAGARI == 1)
        Panel2->setLook(QStringLiteral("くり上がり(A)◎"), kRed, kWhite);
    else
        Panel2->setLook(QStringLiteral("くり上がり(A)×"), kBlue, kWhite);
}

void TKokubanFormM::Panel3dsp() {
    if (jk_.KURISAGARI == 1)
        Panel3->setLook(QStringLiteral("くり下がり(S)◎"), kRed, kWhite);
    else
        Panel3->setLook(QStringLiteral("くり下がり(S)×"), kBlue, kWhite);
}

void TKokubanFormM::Panel4dsp() {
    if (jk_.KAIGYO_FLAG == 1)
        Panel4->setLook(QStringLiteral("＝で改行(L)◎"), kRed, kWhite);
    else
        Panel4->setLook(QStringLiteral("＝で改行(L)×"), kBlue, kWhite);
}

void TKokubanFormM::Panel6dsp() {
    if (jk_.QQ_FLAG == 1)
        Panel6->setLook(QStringLiteral("名称表示(Q)◎"), kRed, kWhite);
    else
        Panel6->setLook(QStringLiteral("名称表示(Q)×"),
                        QApplication::palette().color(QPalette::Highlight), kRed);
}

void TKokubanFormM::Panel7dsp() {
    if (jk_.SYOUPTLNDSP == 1)
        Panel7->setLook(QStringLiteral("参考線(B)◎"), kRed, kWhite);
    else
        Panel7->setLook(QStringLiteral("参考線(B)×"), kLime, kRed);
}

void TKokubanFormM::Panel10Dsp() {
    if (ReibunOn == 1)
        Panel10->setLook(QStringLiteral("文"), kLime, kRed, true);
    else
        Panel10->setLook(QStringLiteral("文"), kSilver, kBlue);
}

void TKokubanFormM::RendoDsp() {
    if (jk_.RENDOFLAG == 1) {
        Panel8->setLook(QStringLiteral("連"), kRed, kWhite);
        Panel8->setToolTip(QStringLiteral("割り算で、条件の変更と表示が連動する(一部)。(U)"));
    } else {
        Panel8->setLook(QStringLiteral("連"), kLime, kWhite);
        Panel8->setToolTip(QStringLiteral("割り算で、条件の変更と表示が連動しない(一部)。(U)"));
    }
}

void TKokubanFormM::SB7_dsp() {
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

void TKokubanFormM::SpeedButton7Click() {
    jk_.SHOU0_DSP = 1 - jk_.SHOU0_DSP;
    SB7_dsp();
    keisan_->ReCalcButtonClick();
}

void TKokubanFormM::SpeedButton8Click() {
    Yomiage(keisan_->ShikiNyuryoku + "イコール");
    Yomiage(dialogs::KotaeYomi(keisan_->ShikiNyuryoku, keisan_->Kotae()));
}

void TKokubanFormM::showPointMax() {
    const QSignalBlocker block(Edit1);
    Edit1->setValue(jk_.POINTMAX);
}

void TKokubanFormM::showStrokeDelay() {
    Edit2->setText(QString::number(jk_.StrokeDelay));
    comp_.JoukenSetFormM->showStrokeDelay(jk_.StrokeDelay);
}

void TKokubanFormM::UpDown1Click(int position) {
    if (jk_.POINTMAX == 1 && jk_.SHOU_ITI == 1 && position == 0) {
        message(QStringLiteral("整数の位では四捨五入できません。\n設定を変えて下さい。"),
                QStringLiteral("ご注意!!"));
        const QSignalBlocker block(Edit1);
        Edit1->setValue(1);
        return;
    }
    // The same road as the dialog's places arrows.
    comp_.JoukenSetFormM->setPlaces(position);
}

// The division group follows the quotient mode: places with a remainder,
// rounding at a place, or dividing until exact.
void TKokubanFormM::GB2_look() {
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

void TKokubanFormM::GB2_set() {
    GB2_look();
    if (jk_.RENDOFLAG == 1) keisan_->ReCalcButtonClick();
}

// ---- step mode -----------------------------------------------------------------------------

void TKokubanFormM::stepLook() {
    if (jk_.AUTOSTEP == 1)
        Panel5->setLook(QStringLiteral("自動"), kRed, kWhite);
    else if (jk_.STEPFLAG == 1)
        Panel5->setLook(QStringLiteral("手動"), kGreen, kWhite);
    else
        Panel5->setLook(QStringLiteral("なし"), kBlue, kWhite);
    const bool manual = jk_.STEPFLAG == 1;
    actStepView->setChecked(manual);
    actStepCtx->setChecked(manual);
}

void TKokubanFormM::StepToggle() {
    // During a run, paced or waiting at a step, Y and End end the stepping
    // as Escape does: the rest is drawn at once, and the panel, the step box
    // and the dialog show "none" straight away (stepEscaped).
    if (drawing()) {
        player_->stopStepping();
        return;
    }
    jk_.STEPFLAG = 1 - jk_.STEPFLAG;
    jk_.AUTOSTEP = 0;
    if (jk_.STEPFLAG == 1) {
        jk_.StrokeDelay = 0;
        if (comp_.StepGoForm) comp_.StepGoForm->show();
        StepBoxShown = 1;
    } else {
        if (comp_.StepGoForm) comp_.StepGoForm->hide();
        StepBoxShown = 0;
        comp_.JoukenSetFormM->CheckBox9->setChecked(false);
        jk_.AUTOSTEP = 0;
        jk_.STEPFLAG = 0;
    }
    GB4Set();
}

void TKokubanFormM::GB4Set() {
    Edit2->setText(QString::number(jk_.ENZANSPEED));
    stepLook();
    // The stroke time counts in automatic stepping only, also after Y or
    // Escape left it.
    stepTimeEnabled(jk_.AUTOSTEP == 1);
    if (jk_.AUTOSTEP == 1) {
        if (comp_.StepGoForm) comp_.StepGoForm->hide();
    } else if (jk_.STEPFLAG == 1) {
        if (comp_.JoukenSetFormM) {
            comp_.JoukenSetFormM->hide();
            JoukenShown = 0;
        }
        if (comp_.StepGoForm) {
            comp_.StepGoForm->show();
            StepBoxShown = 1;
        }
    } else {
        if (comp_.StepGoForm) comp_.StepGoForm->hide();
    }
    // The dialog's step boxes show the same one kind.
    if (comp_.JoukenSetFormM) comp_.JoukenSetFormM->showStepKind();
    board_->update();
}

// ---- what the conditions dialog asks of the window ------------------------------------------

void TKokubanFormM::panelCaptions() {
    Panel2dsp();
    Panel3dsp();
    Panel4dsp();
    Panel6dsp();
    Panel7dsp();
    RendoDsp();
    actMatsubiKake->setChecked(jk_.MatsubiZeroKake == 1);
    actMatsubiWari->setChecked(jk_.MatsubiZeroWari == 1);
}

void TKokubanFormM::quotientModeChanged() {
    showPointMax();
    GB2_set();
}

void TKokubanFormM::stepTimeEnabled(bool on) {
    Edit2->setEnabled(on);
    colourText(StepUnitText, on ? kRed : QColor(128, 128, 128));
}

void TKokubanFormM::selectScheme(int item) {
    // The main group's own handler switches the scheme, or refuses.
    RadioGroup1Items->button(item == 1 ? 1 : 0)->setChecked(true);
    comp_.JoukenSetFormM->showScheme(jk_.DSP_CL_TYPE);
}

}  // namespace app
