// The main window's board view (painting, scrolling, colour schemes, fonts)
// and what its settings panel's clicks do.
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

const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);

}  // namespace

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
        ToolWindow* pad = comp_.built(Companion::Keypad);
        if (pad && !(pad->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            pad->move(x() + width() - 200, y() + height() - 220);
        LastPaintTop = y();
        LastPaintLeft = x();
    }
    // A hidden settings panel is built once the board is on the screen.
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, [this] { panel_->ensureBuilt(); });
    }
    emit boardPainted();
}

void TKokubanFormM::repaintBoard() {
    scrollY_ = vbar_->value();
    board_->update();
}

void TKokubanFormM::relayoutBoard() {
    if (drawing()) player_->finish();
    apply(keisan_->relayout());
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
    scheme_ = scheme >= 0 && scheme < hissan::kSchemeCount ? scheme : hissan::kSchemeBlackboard;
    cursorColour_ = scheme_ == hissan::kSchemeWhiteboard ? kGreen : kYellow;
    // The form's colour: what shows around the board (the menu bar keeps
    // the desktop's colours).
    if (QWidget* c = centralWidget()) {
        QPalette pal = c->palette();
        pal.setColor(QPalette::Window, backgroundColour(scheme_));
        c->setPalette(pal);
    }
    if (board_) board_->update();
}

void TKokubanFormM::IroChange(int scheme) {
    if (keisan_->NyuryokuKa() == 1 && !keisan_->ShikiNyuryoku().empty()) return;
    jk_.DSP_CL_TYPE = scheme;
    IroSet(jk_.DSP_CL_TYPE);
}

void TKokubanFormM::RadioGroup1Click() {
    const int chosen = panel_->selectedScheme();
    if (IroChanged == 0) {
        // The first change of a run is never refused; it goes to the
        // whiteboard unless 見やすい色 was chosen.
        IroChanged = 1;
        jk_.DSP_CL_TYPE =
            chosen == hissan::kSchemeContrast ? hissan::kSchemeContrast : hissan::kSchemeWhiteboard;
        IroSet(jk_.DSP_CL_TYPE);
    } else if (chosen != jk_.DSP_CL_TYPE) {
        IroChange(chosen);
    }
    // Both selectors show the scheme in force, also when the change was refused.
    panel_->selectScheme(jk_.DSP_CL_TYPE, false);
    if (auto* d = conditionsBuilt()) d->showScheme(jk_.DSP_CL_TYPE);
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
    apply(keisan_->relayout(*fresh));
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

// The panel's clicks: the toggles that act as their keys post them, the
// others switch the conditions dialog's boxes or run here.
void TKokubanFormM::wirePanel() {
    connect(panel_, &SettingsPanel::hideClicked, this, &TKokubanFormM::P1Click);
    connect(panel_, &SettingsPanel::biggerClicked, this, &TKokubanFormM::MojiBigButtonClick);
    connect(panel_, &SettingsPanel::smallerClicked, this, &TKokubanFormM::MojiSmallButtonClick);
    connect(panel_, &SettingsPanel::keyClicked, this, [this](int key) { injectKey(key); });
    connect(panel_, &SettingsPanel::kaigyoClicked, this, &TKokubanFormM::Panel4Click);
    connect(panel_, &SettingsPanel::refLineClicked, this, &TKokubanFormM::Panel7Click);
    connect(panel_, &SettingsPanel::rendoClicked, this, &TKokubanFormM::Panel8Click);
    connect(panel_, &SettingsPanel::wordProblemClicked, this, &TKokubanFormM::Panel10Click);
    connect(panel_, &SettingsPanel::shou0Clicked, this, &TKokubanFormM::SpeedButton7Click);
    connect(panel_, &SettingsPanel::speakClicked, this, &TKokubanFormM::SpeedButton8Click);
    connect(panel_, &SettingsPanel::schemeChosen, this, &TKokubanFormM::RadioGroup1Click);
    connect(panel_, &SettingsPanel::placesChosen, this, &TKokubanFormM::UpDown1Click);
}

dialogs::TJoukenSetFormM* TKokubanFormM::conditionsBuilt() const {
    return static_cast<dialogs::TJoukenSetFormM*>(comp_.built(Companion::Conditions));
}

void TKokubanFormM::P1Click() {
    jk_.PANELFLAG = 1 - jk_.PANELFLAG;
    actPanel->setChecked(jk_.PANELFLAG == 1);
    actPanelCtx->setChecked(jk_.PANELFLAG == 1);
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    if (jk_.PANELFLAG == 1) panel_->ensureBuilt();
    panel_->setVisible(jk_.PANELFLAG == 1);
    if (jk_.PANELFLAG == 1) panel_->fitWidth(width());
    apply(keisan_->R1Click());
    board_->setFocus();
}

void TKokubanFormM::Panel4Click() {
    comp_.conditions()->toggle(dialogs::TJoukenSetFormM::Switch::Kaigyo);
}

void TKokubanFormM::Panel7Click() {
    comp_.conditions()->toggle(dialogs::TJoukenSetFormM::Switch::SyouPtLn);
}

void TKokubanFormM::Panel8Click() {
    comp_.conditions()->toggle(dialogs::TJoukenSetFormM::Switch::Rendo);
}

void TKokubanFormM::Panel10Click() {
    ReibunOn = 1 - ReibunOn;
    panel_->showWordProblem(ReibunOn == 1);
    if (ReibunOn == 0) {  // off: the story goes, whatever it showed
        comp_.hide(Companion::WordProblem);
        return;
    }
    if (ReibunAri == 0) {  // no stories: say so as the panel is switched on
        message(comp_.wordProblem()->noStoriesMessage(), QStringLiteral("★☆お願い☆★"));
        ReibunOn = 0;
        panel_->showWordProblem(false);
        return;
    }
    if (keisan_->ShikiNyuryoku().empty() || keisan_->NyuryokuKa() == 1) return;
    AmariMode = keisan_->Kotae().find('R') != std::string::npos ? 4 : 0;
    comp_.wordProblem()->show();
    comp_.wordProblem()->update();
}

void TKokubanFormM::SpeedButton7Click() {
    jk_.SHOU0_DSP = 1 - jk_.SHOU0_DSP;
    panel_->showShou0();
    apply(keisan_->ReCalcButtonClick());
}

void TKokubanFormM::SpeedButton8Click() {
    Yomiage(keisan_->ShikiNyuryoku() + "イコール");
    Yomiage(dialogs::KotaeYomi(keisan_->ShikiNyuryoku(), keisan_->Kotae()));
}

void TKokubanFormM::showPointMax() {
    panel_->showPlaces(jk_.POINTMAX);
}

void TKokubanFormM::showStrokeDelay() {
    panel_->showStrokeDelay(jk_.StrokeDelay);
    comp_.conditions()->showStrokeDelay(jk_.StrokeDelay);
}

void TKokubanFormM::UpDown1Click(int position) {
    if (jk_.POINTMAX == 1 && jk_.SHOU_ITI == 1 && position == 0) {
        message(QStringLiteral("整数の位では四捨五入できません。\n設定を変えて下さい。"),
                QStringLiteral("ご注意!!"));
        panel_->showPlaces(1);
        return;
    }
    // The same road as the dialog's places arrows.
    comp_.conditions()->setPlaces(position);
}

void TKokubanFormM::GB2_set() {
    panel_->showQuotientMode();
    if (jk_.RENDOFLAG == 1) apply(keisan_->ReCalcButtonClick());
}

// ---- step mode -----------------------------------------------------------------------------

void TKokubanFormM::stepLook() {
    panel_->showStepKind();
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
        comp_.stepBox()->show();
    } else {
        comp_.hide(Companion::StepBox);
        comp_.conditions()->setManualStep(false);
        jk_.AUTOSTEP = 0;
        jk_.STEPFLAG = 0;
    }
    GB4Set();
}

void TKokubanFormM::GB4Set() {
    panel_->showStrokeDelay(jk_.ENZANSPEED);
    stepLook();
    // The stroke time counts in automatic stepping only, also after Y or
    // Escape left it.
    stepTimeEnabled(jk_.AUTOSTEP == 1);
    if (jk_.AUTOSTEP == 1) {
        comp_.hide(Companion::StepBox);
    } else if (jk_.STEPFLAG == 1) {
        comp_.hide(Companion::Conditions);
        comp_.stepBox()->show();
    } else {
        comp_.hide(Companion::StepBox);
    }
    // The dialog's step boxes show the same one kind.
    if (auto* d = conditionsBuilt()) d->showStepKind();
    board_->update();
}

// ---- what the conditions dialog asks of the window ------------------------------------------

void TKokubanFormM::panelCaptions() {
    panel_->showToggles();
    actMatsubiKake->setChecked(jk_.MatsubiZeroKake == 1);
    actMatsubiWari->setChecked(jk_.MatsubiZeroWari == 1);
}

void TKokubanFormM::quotientModeChanged() {
    showPointMax();
    GB2_set();
}

void TKokubanFormM::stepTimeEnabled(bool on) {
    panel_->setStepTimeEnabled(on);
}

void TKokubanFormM::selectScheme(int item) {
    // The main group's own handler switches the scheme, or refuses.
    panel_->selectScheme(item, true);
    comp_.conditions()->showScheme(jk_.DSP_CL_TYPE);
}

}  // namespace app
