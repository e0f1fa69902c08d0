#include "app/form_links.h"

#include <QObject>

#include "app/kokuban_form.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"

namespace app {

namespace {

class FormLink : public QObject, public dialogs::SenExHost {
  public:
    explicit FormLink(TKokubanFormM& form) : QObject(&form), f_(form) {}

    dialogs::ReibunInput reibunInput() const override {
        const Keisan& k = f_.keisan();
        dialogs::ReibunInput in;
        in.ReibunOn = f_.ReibunOn;
        in.AmariMode = f_.AmariMode;
        in.ShikiNyuryoku = k.ShikiNyuryoku();
        in.EnzanshiNyuryoku = k.EnzanshiNyuryoku();
        in.ZenkouShosuKeta = k.ZenkouShosuKeta();
        in.KoukouShosuKeta = k.KoukouShosuKeta();
        in.Kotae = k.Kotae();
        return in;
    }

  private:
    TKokubanFormM& f_;
};

}  // namespace

CompanionLinks linkCompanions(TKokubanFormM& form) {
    auto* link = new FormLink(form);
    return CompanionLinks{link};
}

namespace {

// A tool window's handing back of the focus and its typed keys: the board's.
template <class W>
void toBoard(W& w, TKokubanFormM* f) {
    QObject::connect(
        &w, &W::boardFocusRequested, f,
        [f] {
            f->activateWindow();
            f->board()->setFocus();
        },
        Qt::DirectConnection);
    QObject::connect(&w, &W::keyTyped, f, &TKokubanFormM::keyPressed, Qt::DirectConnection);
}

}  // namespace

void wireWordProblem(TKokubanFormM& form, dialogs::TSenExForm& w) {
    using S = dialogs::TSenExForm;
    TKokubanFormM* f = &form;
    const auto direct = Qt::DirectConnection;
    QObject::connect(
        &w, &S::eraseRequested, f, [f] { f->apply(f->keisan().VK_DeleteKey()); }, direct);
    toBoard(w, f);
}

void wireKeypad(TKokubanFormM& form, dialogs::TInputFormM& pad) {
    using P = dialogs::TInputFormM;
    TKokubanFormM* f = &form;
    const auto direct = Qt::DirectConnection;
    QObject::connect(
        &pad, &P::charTyped, f, [f](char ch) { f->apply(f->keisan().MojiInput(ch)); }, direct);
    QObject::connect(
        &pad, &P::backSpaceRequested, f, [f] { f->apply(f->keisan().BackSpace()); }, direct);
    QObject::connect(
        &pad, &P::restoreRequested, f, [f] { f->apply(f->keisan().Hukkatu()); }, direct);
    QObject::connect(
        &pad, &P::eraseRequested, f,
        [f] {
            f->companions().hide(Companion::WordProblem);
            f->apply(f->keisan().VK_DeleteKey());
        },
        direct);
    QObject::connect(
        &pad, &P::recalculateRequested, f, [f] { f->apply(f->keisan().ReCalcButtonClick()); },
        direct);
    QObject::connect(
        &pad, &P::keyPosted, f, [f](int key) { f->injectKey(key); }, direct);
    QObject::connect(&pad, &P::readAloudRequested, f, &TKokubanFormM::SpeedButton8Click, direct);
    QObject::connect(&pad, &P::voiceSettingsRequested, f, &TKokubanFormM::VoiceK1Click, direct);
    // The keypad's size is kept in the settings file.
    pad.setLarge(f->jouken().KEYPADSIZE == 1);
    QObject::connect(
        &pad, &P::sizeChosen, f, [f](bool large) { f->jouken().KEYPADSIZE = large ? 1 : 0; },
        direct);
    toBoard(pad, f);
}

void wireConditions(TKokubanFormM& form, dialogs::TJoukenSetFormM& dlg) {
    using D = dialogs::TJoukenSetFormM;
    TKokubanFormM* f = &form;
    const auto direct = Qt::DirectConnection;
    QObject::connect(
        &dlg, &D::conditionsChanged, f,
        [f](D::Change what) {
            switch (what) {
                case D::Change::Layout:
                    f->relayoutBoard();
                    break;
                case D::Change::Captions:
                    f->panelCaptions();
                    break;
                case D::Change::LineBreak:
                    f->KaigyouToggle();
                    break;
                case D::Change::QuotientMode:
                    f->quotientModeChanged();
                    break;
                case D::Change::PointMax:
                    f->showPointMax();
                    break;
            }
        },
        direct);
    QObject::connect(&dlg, &D::stepModeChosen, f, &TKokubanFormM::GB4Set, direct);
    QObject::connect(&dlg, &D::strokeTimeEnabled, f, &TKokubanFormM::stepTimeEnabled, direct);
    QObject::connect(
        &dlg, &D::recalculateRequested, f, [f] { f->apply(f->keisan().ReCalcButtonClick()); },
        direct);
    QObject::connect(&dlg, &D::schemeChosen, f, &TKokubanFormM::selectScheme, direct);
    QObject::connect(&dlg, &D::fontRequested, f, &TKokubanFormM::Font1Click, direct);
    QObject::connect(&dlg, &D::biggerRequested, f, &TKokubanFormM::MojiBigButtonClick, direct);
    QObject::connect(&dlg, &D::smallerRequested, f, &TKokubanFormM::MojiSmallButtonClick, direct);
    QObject::connect(&dlg, &D::helpRequested, f, &TKokubanFormM::Contents1Click, direct);
    QObject::connect(
        &dlg, &D::notice, f,
        [f](const QString& text, const QString& title) { f->message(text, title); }, direct);
    QObject::connect(&dlg, &D::keyTyped, f, &TKokubanFormM::keyPressed, direct);
}

}  // namespace app
