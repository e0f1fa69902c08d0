#include "app/key_commands.h"

#include <QGuiApplication>

#include "app/board_screen.h"
#include "app/companions.h"
#include "app/run_queue.h"
#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"

namespace app {

namespace {

// The minus key of the main keyboard, with or without Shift. Shift turns it
// into "_" on a US layout and "=" on a Japanese one (that "=" is the "=" key,
// see boardKey); X11 reports scan code 20 for it on either.
bool isMinusKey(int key, Qt::KeyboardModifiers mods, quint32 scan) {
    if (mods & Qt::KeypadModifier) return false;
    if (key == Qt::Key_Minus) return true;
    if ((mods & Qt::ShiftModifier) && key == Qt::Key_Underscore) return true;
    return scan == 20 && QGuiApplication::platformName() == QLatin1String("xcb");
}

// A Qt key in the board's key names. "+", "*", "/" and "=" are the same
// names from the main keyboard (with Shift where the layout needs it) and
// from the numeric pad.
core::Key boardKey(int key, Qt::KeyboardModifiers mods, quint32 scan) {
    using core::Key;
    if (key == Qt::Key_Equal) return Key::Equals;
    if (isMinusKey(key, mods, scan)) return Key::Minus;
    auto from = [](int key, int first, Key firstKey) {
        return static_cast<Key>(static_cast<int>(firstKey) + (key - first));
    };
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return from(key, Qt::Key_0, Key::Digit0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return from(key, Qt::Key_A, Key::A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return from(key, Qt::Key_F1, Key::F1);
    static const std::pair<int, Key> kNamed[] = {
        {Qt::Key_Period, Key::Period},     {Qt::Key_Comma, Key::Comma},
        {Qt::Key_Plus, Key::Plus},         {Qt::Key_Minus, Key::Minus},  // the numeric pad's
        {Qt::Key_Asterisk, Key::Asterisk}, {Qt::Key_Slash, Key::Slash},
        {Qt::Key_Return, Key::Enter},      {Qt::Key_Enter, Key::Enter},
        {Qt::Key_Escape, Key::Escape},     {Qt::Key_Backspace, Key::Backspace},
        {Qt::Key_Delete, Key::Delete},     {Qt::Key_Insert, Key::Insert},
        {Qt::Key_Home, Key::Home},         {Qt::Key_End, Key::End},
        {Qt::Key_Left, Key::Left},         {Qt::Key_Up, Key::Up},
        {Qt::Key_Right, Key::Right},       {Qt::Key_Down, Key::Down},
        {Qt::Key_PageUp, Key::PageUp},     {Qt::Key_PageDown, Key::PageDown},
    };
    for (const auto& [qt, named] : kNamed)
        if (key == qt) return named;
    return Key::Other;
}

unsigned boardMods(Qt::KeyboardModifiers mods) {
    unsigned m = core::Mods::None;
    if (mods & Qt::ShiftModifier) m |= core::Mods::Shift;
    if (mods & Qt::ControlModifier) m |= core::Mods::Ctrl;
    if (mods & Qt::AltModifier) m |= core::Mods::Alt;
    if (mods & Qt::KeypadModifier) m |= core::Mods::Keypad;
    if (mods & (Qt::MetaModifier | Qt::GroupSwitchModifier)) m |= core::Mods::Other;
    return m;
}

}  // namespace

KeyCommands::KeyCommands(hissan::TJouken& jk, Keisan& keisan, RunQueue& runs, BoardScreen& screen,
                         ConditionsControl& controls, Companions& companions, WindowActions actions,
                         QWidget* window)
    : QObject(window),
      jk_(jk),
      keisan_(keisan),
      runs_(runs),
      screen_(screen),
      controls_(controls),
      comp_(companions),
      act_(std::move(actions)),
      window_(window) {}

void KeyCommands::keyPressed(int qtKey, Qt::KeyboardModifiers qtMods, quint32 scan) {
    const core::Key key = boardKey(qtKey, qtMods, scan);
    const unsigned mods = boardMods(qtMods);
    if (runs_.takeKey(key, mods, state(), [this, key, mods] { command(key, mods); })) return;
    command(key, mods);
}

core::KeyState KeyCommands::state() const {
    return {.drawing = runs_.drawing(),
            .manualStep = jk_.STEPFLAG == 1,
            .typing = keisan_.NyuryokuKa() == 1,
            .speechOn = jk_.YOMIAGEFLAG2 > 0,
            .roundingAtOnePlace = jk_.SHOU_ITI == 1 && jk_.POINTMAX == 1,
            .firstOperand = keisan_.firstOperandOnly()};
}

void KeyCommands::command(core::Key key, unsigned mods) {
    Keisan& k = keisan_;
    using C = core::Command;
    using Switch = dialogs::TJoukenSetFormM::Switch;
    const auto apply = [this](const EntryReport& r) { act_.apply(r); };
    switch (const C command = core::commandFor(key, mods, state())) {
        case C::Nothing:
            return;
        case C::EndStepping:
            controls_.endStepping();
            return;
        case C::MorePlaces:
        case C::FewerPlaces:
            controls_.stepPlaces(command == C::MorePlaces ? 1 : -1);
            return;
        case C::SlowerStrokes:
        case C::FasterStrokes:
            controls_.stepStrokeDelay(command == C::SlowerStrokes ? 1 : -1);
            return;
        case C::DeleteCalculation:
            apply(k.VK_DeleteKey());
            comp_.hide(Companion::WordProblem);
            return;
        case C::ToggleStepMode:
            controls_.toggleStepping();
            return;
        case C::ReadAloud:
            controls_.readAnswer();
            return;
        case C::Beep:
            emit beep();
            return;
        case C::ChooseFont:
            screen_.chooseFont(window_);
            return;
        case C::SpeechSettings:
            emit speechSettingsRequested();
            return;
        case C::ToggleDecimalLine:
            comp_.conditions()->toggle(Switch::SyouPtLn);
            return;
        case C::ToggleRecalc:
            controls_.toggleRecalculation();
            return;
        case C::ToggleQQ:
            comp_.conditions()->toggle(Switch::QQ);
            return;
        case C::SwitchColours:
            controls_.cycleScheme();
            return;
        case C::Recalculate:
            apply(k.ReCalcButtonClick());
            return;
        case C::ToggleLineBreak:
            controls_.toggleLineBreak();
            return;
        case C::ToggleWordProblem:
            controls_.toggleWordProblem();
            return;
        case C::BiggerFont:
            screen_.bigger();
            return;
        case C::SmallerFont:
            screen_.smaller();
            return;
        case C::ToggleCarries:
            comp_.conditions()->toggle(Switch::Kuriagari);
            return;
        case C::ToggleBorrows:
            comp_.conditions()->toggle(Switch::Kurisagari);
            return;
        case C::RestoreExpression:
            apply(k.Hukkatu());
            return;
        case C::Home:
            screen_.home();
            return;
        case C::ToggleConditions:
            if (comp_.shown(Companion::Conditions)) {
                comp_.hide(Companion::Conditions);
                screen_.repaint();
            } else {
                comp_.conditions()->show();
            }
            return;
        case C::ToggleKeypad:
            if (!comp_.keypad()->isMinimised()) {
                comp_.keypad()->minimise();
            } else {
                comp_.keypad()->restoreNormal();
                if (k.ShikiNyuryoku().empty()) {
                    apply(k.reopenEmpty());
                    screen_.repaint();
                }
            }
            return;
        case C::ScrollUp:
            screen_.scrollUp();
            return;
        case C::ScrollDown:
            screen_.scrollDown();
            return;
        case C::TypePi:
            apply(k.TypePi());
            return;
        case C::BackSpace:
            apply(k.BackSpace());
            return;
        case C::TypeDigit:
            apply(k.MojiInput(core::digitOf(key)));
            return;
        case C::TypePoint:
            apply(k.MojiInput('.'));
            return;
        case C::TypePlus:
            apply(k.MojiInput('+'));
            return;
        case C::TypeMinus:
            apply(k.MojiInput('-'));
            return;
        case C::TypeTimes:
            apply(k.MojiInput('*'));
            return;
        case C::TypeDivide:
            apply(k.MojiInput('/'));
            return;
        case C::TypeEquals:
            apply(k.MojiInput('='));
            return;
    }
}

}  // namespace app
