#include "app/conditions_control.h"

#include <algorithm>

#include "app/board_screen.h"
#include "app/companions.h"
#include "app/run_queue.h"
#include "app/settings_panel.h"
#include "core/bun_ex.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/senex_form.h"

namespace app {

using Switch = dialogs::TJoukenSetFormM::Switch;

ConditionsControl::ConditionsControl(hissan::TJouken& jk, Keisan& keisan, SettingsPanel& panel,
                                     Companions& companions, BoardScreen& screen, RunQueue& runs,
                                     WindowActions actions, QObject* parent)
    : QObject(parent),
      jk_(jk),
      keisan_(keisan),
      panel_(panel),
      comp_(companions),
      screen_(screen),
      runs_(runs),
      act_(std::move(actions)) {
    // The panel's clicks: the toggles that act as their keys post them, the
    // others switch the conditions dialog's boxes or run here.
    using P = SettingsPanel;
    using C = ConditionsControl;
    connect(&panel_, &P::hideClicked, this, &C::togglePanel);
    connect(&panel_, &P::biggerClicked, &screen_, &BoardScreen::bigger);
    connect(&panel_, &P::smallerClicked, &screen_, &BoardScreen::smaller);
    connect(&panel_, &P::keyClicked, this, [this](int key) { act_.postKey(key); });
    connect(&panel_, &P::kaigyoClicked, this, &C::toggleLineBreak);
    connect(&panel_, &P::refLineClicked, this, &C::toggleReferenceLine);
    connect(&panel_, &P::rendoClicked, this, &C::toggleRecalculation);
    connect(&panel_, &P::wordProblemClicked, this, &C::toggleWordProblem);
    connect(&panel_, &P::shou0Clicked, this, &C::toggleShou0);
    connect(&panel_, &P::speakClicked, this, &C::readAnswer);
    connect(&panel_, &P::schemeChosen, this, &C::schemeClicked);
    connect(&panel_, &P::placesChosen, this, &C::placesChosen);
}

dialogs::TJoukenSetFormM* ConditionsControl::conditionsBuilt() const {
    return static_cast<dialogs::TJoukenSetFormM*>(comp_.built(Companion::Conditions));
}

// ---- the settings panel ----------------------------------------------------------

void ConditionsControl::togglePanel() {
    jk_.PANELFLAG = 1 - jk_.PANELFLAG;
    emit panelMarked(jk_.PANELFLAG == 1);
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    if (jk_.PANELFLAG == 1) panel_.ensureBuilt();
    panel_.setVisible(jk_.PANELFLAG == 1);
    if (jk_.PANELFLAG == 1) panel_.fitWidth(panel_.window()->width());
    act_.apply(keisan_.R1Click());
    screen_.view()->setFocus();
}

void ConditionsControl::toggleLineBreak() {
    comp_.conditions()->toggle(Switch::Kaigyo);
}

void ConditionsControl::toggleReferenceLine() {
    comp_.conditions()->toggle(Switch::SyouPtLn);
}

void ConditionsControl::toggleRecalculation() {
    comp_.conditions()->toggle(Switch::Rendo);
}

void ConditionsControl::toggleWordProblem() {
    ReibunOn = 1 - ReibunOn;
    panel_.showWordProblem(ReibunOn == 1);
    if (ReibunOn == 0) {  // off: the story goes, whatever it showed
        comp_.hide(Companion::WordProblem);
        return;
    }
    if (ReibunAri == 0) {  // no stories: say so as the panel is switched on
        act_.message(comp_.wordProblem()->noStoriesMessage(), QStringLiteral("★☆お願い☆★"));
        ReibunOn = 0;
        panel_.showWordProblem(false);
        return;
    }
    if (keisan_.ShikiNyuryoku().empty() || keisan_.NyuryokuKa() == 1) return;
    AmariMode = keisan_.Kotae().find('R') != std::string::npos ? 4 : 0;
    comp_.wordProblem()->show();
    comp_.wordProblem()->update();
}

void ConditionsControl::toggleShou0() {
    jk_.SHOU0_DSP = 1 - jk_.SHOU0_DSP;
    panel_.showShou0();
    act_.apply(keisan_.ReCalcButtonClick());
}

void ConditionsControl::readAnswer() {
    act_.readAloud(keisan_.ShikiNyuryoku() + "イコール");
    act_.readAloud(dialogs::KotaeYomi(keisan_.ShikiNyuryoku(), keisan_.Kotae()));
}

void ConditionsControl::showPointMax() {
    panel_.showPlaces(jk_.POINTMAX);
}

void ConditionsControl::showStrokeDelay() {
    panel_.showStrokeDelay(jk_.StrokeDelay);
    comp_.conditions()->showStrokeDelay(jk_.StrokeDelay);
}

void ConditionsControl::stepPlaces(int by) {
    jk_.POINTMAX = std::clamp(jk_.POINTMAX + by, 0, 10);
    showPointMax();
    comp_.conditions()->showPointMax();
    if (jk_.RENDOFLAG == 1) act_.apply(keisan_.ReCalcButtonClick());
}

void ConditionsControl::stepStrokeDelay(int by) {
    jk_.StrokeDelay = std::clamp(jk_.StrokeDelay + by, 0, 100);
    showStrokeDelay();
}

void ConditionsControl::placesChosen(int position) {
    if (jk_.POINTMAX == 1 && jk_.SHOU_ITI == 1 && position == 0) {
        act_.message(QStringLiteral("整数の位では四捨五入できません。\n設定を変えて下さい。"),
                     QStringLiteral("ご注意!!"));
        panel_.showPlaces(1);
        return;
    }
    // The same road as the dialog's places arrows.
    comp_.conditions()->setPlaces(position);
}

void ConditionsControl::showQuotientMode() {
    panel_.showQuotientMode();
    if (jk_.RENDOFLAG == 1) act_.apply(keisan_.ReCalcButtonClick());
}

// ---- colours ----------------------------------------------------------------------

void ConditionsControl::switchScheme(int scheme) {
    if (keisan_.NyuryokuKa() == 1 && !keisan_.ShikiNyuryoku().empty()) return;
    jk_.DSP_CL_TYPE = scheme;
    screen_.setScheme(jk_.DSP_CL_TYPE);
}

void ConditionsControl::schemeClicked() {
    const int chosen = panel_.selectedScheme();
    if (schemeChanged_ == 0) {
        // The first change of a run is never refused; it goes to the
        // whiteboard unless 見やすい色 was chosen.
        schemeChanged_ = 1;
        jk_.DSP_CL_TYPE =
            chosen == hissan::kSchemeContrast ? hissan::kSchemeContrast : hissan::kSchemeWhiteboard;
        screen_.setScheme(jk_.DSP_CL_TYPE);
    } else if (chosen != jk_.DSP_CL_TYPE) {
        switchScheme(chosen);
    }
    // Both selectors show the scheme in force, also when the change was refused.
    panel_.selectScheme(jk_.DSP_CL_TYPE, false);
    if (auto* d = conditionsBuilt()) d->showScheme(jk_.DSP_CL_TYPE);
    screen_.view()->setFocus();
}

void ConditionsControl::cycleScheme() {
    // M goes round the schemes: 黒板風, 白板風, 見やすい色.
    const int item = schemeChanged_ == 0 ? 1 : (jk_.DSP_CL_TYPE + 1) % hissan::kSchemeCount;
    panel_.selectScheme(item, false);
    schemeClicked();
}

void ConditionsControl::selectScheme(int item) {
    // The panel's own handler switches the scheme, or refuses.
    panel_.selectScheme(item, true);
    comp_.conditions()->showScheme(jk_.DSP_CL_TYPE);
}

// ---- stepping -----------------------------------------------------------------------

void ConditionsControl::toggleStepping() {
    // During a run, paced or waiting at a step, Y and End end the stepping
    // as Escape does: the rest is drawn at once, and the panel, the step box
    // and the dialog show "none" straight away (showStepMode).
    if (runs_.drawing()) {
        runs_.player().stopStepping();
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
    showStepMode();
}

void ConditionsControl::endStepping() {
    jk_.STEPFLAG = 0;
    jk_.StrokeDelay = 0;
    showStepMode();
}

void ConditionsControl::showStepMode() {
    panel_.showStrokeDelay(jk_.ENZANSPEED);
    panel_.showStepKind();
    emit stepMarked(jk_.STEPFLAG == 1);
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
    screen_.update();
}

void ConditionsControl::stepTimeEnabled(bool on) {
    panel_.setStepTimeEnabled(on);
}

// ---- what the conditions dialog changed ----------------------------------------------

void ConditionsControl::relayout() {
    runs_.settle();
    act_.apply(keisan_.relayout());
    screen_.repaint();
}

void ConditionsControl::lineBreakChanged() {
    if (keisan_.NyuryokuKa() == 1) return;
    relayout();
    screen_.setScroll(0);
}

void ConditionsControl::panelCaptions() {
    panel_.showToggles();
    emit trailingZerosMarked(jk_.MatsubiZeroKake == 1, jk_.MatsubiZeroWari == 1);
}

void ConditionsControl::quotientModeChanged() {
    showPointMax();
    showQuotientMode();
}

// ---- the word-problem window -----------------------------------------------------------

void ConditionsControl::readExamples() {
    ReibunAri = comp_.wordProblem()->ReiGet(dialogs::bunExPath()) == 1 ? 1 : 0;
}

void ConditionsControl::wordProblem(int answerMode) {
    // Only with stories to tell; the story comes once the calculation is drawn.
    if (ReibunOn != 1 || ReibunAri != 1) return;
    AmariMode = answerMode;
    runs_.whenIdle([this] {
        comp_.wordProblem()->show();
        comp_.wordProblem()->update();
    });
}

void ConditionsControl::redrawWordProblem() {
    if (ToolWindow* w = comp_.built(Companion::WordProblem); ReibunOn == 1 && w) w->update();
}

}  // namespace app
