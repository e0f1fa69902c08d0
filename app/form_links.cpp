#include "app/form_links.h"

#include <QObject>

#include "app/board_screen.h"
#include "app/key_commands.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"

namespace app {

namespace {

class FormLink : public QObject, public dialogs::SenExHost {
  public:
    explicit FormLink(const FormParts& parts)
        : QObject(parts.window), k_(*parts.keisan), c_(*parts.controls) {}

    dialogs::ReibunInput reibunInput() const override {
        dialogs::ReibunInput in;
        in.ReibunOn = c_.ReibunOn;
        in.AmariMode = c_.AmariMode;
        in.ShikiNyuryoku = k_.ShikiNyuryoku();
        in.EnzanshiNyuryoku = k_.EnzanshiNyuryoku();
        in.ZenkouShosuKeta = k_.ZenkouShosuKeta();
        in.KoukouShosuKeta = k_.KoukouShosuKeta();
        in.Kotae = k_.Kotae();
        return in;
    }

  private:
    const Keisan& k_;
    const ConditionsControl& c_;
};

const auto direct = Qt::DirectConnection;

// A tool window's handing back of the focus and its typed keys: the board's.
template <class W>
void toBoard(W& w, const FormParts& p) {
    QWidget* window = p.window;
    BoardView* board = p.screen->view();
    QObject::connect(
        &w, &W::boardFocusRequested, window,
        [window, board] {
            window->activateWindow();
            board->setFocus();
        },
        direct);
    QObject::connect(&w, &W::keyTyped, p.keys, &KeyCommands::keyPressed, direct);
}

// Connects `signal` of `w` to carrying out the report of `operation`.
template <class W, class Signal>
void toEntry(W& w, Signal signal, const FormParts& p, EntryReport (Keisan::*operation)()) {
    QObject::connect(
        &w, signal, p.window,
        [apply = p.actions.apply, k = p.keisan, operation] { apply((k->*operation)()); }, direct);
}

}  // namespace

CompanionLinks linkCompanions(const FormParts& parts) {
    return CompanionLinks{new FormLink(parts)};
}

void wireWordProblem(const FormParts& p, dialogs::TSenExForm& w) {
    toEntry(w, &dialogs::TSenExForm::eraseRequested, p, &Keisan::VK_DeleteKey);
    toBoard(w, p);
}

void wireKeypad(const FormParts& p, dialogs::TInputFormM& pad) {
    using P = dialogs::TInputFormM;
    QObject::connect(
        &pad, &P::charTyped, p.window,
        [apply = p.actions.apply, k = p.keisan](char ch) { apply(k->MojiInput(ch)); }, direct);
    toEntry(pad, &P::backSpaceRequested, p, &Keisan::BackSpace);
    toEntry(pad, &P::restoreRequested, p, &Keisan::Hukkatu);
    QObject::connect(
        &pad, &P::eraseRequested, p.window,
        [apply = p.actions.apply, k = p.keisan, c = p.companions] {
            c->hide(Companion::WordProblem);
            apply(k->VK_DeleteKey());
        },
        direct);
    toEntry(pad, &P::recalculateRequested, p, &Keisan::ReCalcButtonClick);
    QObject::connect(&pad, &P::keyPosted, p.window, p.actions.postKey, direct);
    QObject::connect(&pad, &P::readAloudRequested, p.controls, &ConditionsControl::readAnswer,
                     direct);
    QObject::connect(&pad, &P::voiceSettingsRequested, p.window, p.speechSettings, direct);
    // The keypad's size is kept in the settings file.
    pad.setLarge(p.jouken->KEYPADSIZE == 1);
    QObject::connect(
        &pad, &P::sizeChosen, p.window,
        [jk = p.jouken](bool large) { jk->KEYPADSIZE = large ? 1 : 0; }, direct);
    toBoard(pad, p);
}

void wireConditions(const FormParts& p, dialogs::TJoukenSetFormM& dlg) {
    using D = dialogs::TJoukenSetFormM;
    using C = ConditionsControl;
    C* c = p.controls;
    QObject::connect(
        &dlg, &D::conditionsChanged, c,
        [c](D::Change what) {
            switch (what) {
                case D::Change::Layout:
                    c->relayout();
                    break;
                case D::Change::Captions:
                    c->panelCaptions();
                    break;
                case D::Change::LineBreak:
                    c->lineBreakChanged();
                    break;
                case D::Change::QuotientMode:
                    c->quotientModeChanged();
                    break;
                case D::Change::PointMax:
                    c->showPointMax();
                    break;
            }
        },
        direct);
    QObject::connect(&dlg, &D::stepModeChosen, c, &C::showStepMode, direct);
    QObject::connect(&dlg, &D::strokeTimeEnabled, c, &C::stepTimeEnabled, direct);
    toEntry(dlg, &D::recalculateRequested, p, &Keisan::ReCalcButtonClick);
    QObject::connect(&dlg, &D::schemeChosen, c, &C::selectScheme, direct);
    QObject::connect(
        &dlg, &D::fontRequested, p.screen, [s = p.screen, w = p.window] { s->chooseFont(w); },
        direct);
    QObject::connect(&dlg, &D::biggerRequested, p.screen, &BoardScreen::bigger, direct);
    QObject::connect(&dlg, &D::smallerRequested, p.screen, &BoardScreen::smaller, direct);
    QObject::connect(&dlg, &D::helpRequested, p.window, p.help, direct);
    QObject::connect(&dlg, &D::notice, p.window, p.actions.message, direct);
    QObject::connect(&dlg, &D::keyTyped, p.keys, &KeyCommands::keyPressed, direct);
}

}  // namespace app
