#include "core/keymap.h"

#include <initializer_list>

namespace core {
namespace {

// Which board state a row needs.
enum class When : std::uint8_t {
    Always,
    ManualStepIdle,       // manual stepping, no drawing playing
    ManualStep,           // manual stepping
    StepShown,            // manual stepping with a calculation on the board
    StepDrawing,          // manual stepping while a drawing plays
    DrawingOrManualStep,  // a drawing plays, or stepping is manual
    Typing,               // an expression is being typed
    SpeechOn,             // reading aloud is on
    RoundingAtOnePlace,   // rounding the quotient, at its one place
    FirstOperand,         // the first operand is typed, no operator yet
};

bool holds(When when, const KeyState& s) {
    switch (when) {
        case When::Always:
            return true;
        case When::ManualStepIdle:
            return s.manualStep && !s.drawing;
        case When::ManualStep:
            return s.manualStep;
        case When::StepShown:
            return s.manualStep && !s.typing;
        case When::StepDrawing:
            return s.manualStep && s.drawing;
        case When::DrawingOrManualStep:
            return s.drawing || s.manualStep;
        case When::Typing:
            return s.typing;
        case When::SpeechOn:
            return s.speechOn;
        case When::RoundingAtOnePlace:
            return s.roundingAtOnePlace;
        case When::FirstOperand:
            return s.firstOperand;
    }
    return false;
}

constexpr std::initializer_list<Key> kAnyKey{};  // an empty key list matches every key

// One row: the keys it applies to (any key when empty), the modifiers that
// must all be held (`need`) and those that must not be (`refuse`), the
// state it needs, what it then does, and keys it leaves to later rows.
template <typename Result>
struct Row {
    std::initializer_list<Key> keys;
    unsigned need;
    unsigned refuse;
    When when;
    Result result;
    std::initializer_list<Key> except{};
};

bool listed(std::initializer_list<Key> keys, Key key) {
    for (Key k : keys)
        if (k == key) return true;
    return false;
}

template <typename Result>
bool matches(const Row<Result>& r, Key key, unsigned mods, const KeyState& s) {
    if (r.keys.size() != 0 && !listed(r.keys, key)) return false;
    if (listed(r.except, key)) return false;
    return (mods & r.need) == r.need && (mods & r.refuse) == 0 && holds(r.when, s);
}

template <typename Result, std::size_t N>
Result find(const Row<Result> (&rows)[N], Key key, unsigned mods, const KeyState& s,
            Result otherwise) {
    for (const auto& r : rows)
        if (matches(r, key, mods, s)) return r.result;
    return otherwise;
}

using namespace Mods;
using C = Command;
using K = Key;

// The board's keys, in the order they are tried. The letters and the
// editing keys act with no modifier but the pad's (with Shift, Ctrl or Alt
// they are caught by the rows above them).
const Row<Command> kKeyMap[] = {
    // Escape alone ends manual stepping also while an expression is being
    // typed, as the step box tells the pupil.
    {{K::Escape}, None, Shift | Ctrl | Alt | Other, When::ManualStepIdle, C::EndStepping},
    // Alt belongs to the menus.
    {kAnyKey, Alt, None, When::Always, C::Nothing},
    // Ctrl with the vertical arrows steps the quotient places; rounding keeps
    // at least one.
    {{K::Up, K::PageUp}, Ctrl, None, When::Always, C::MorePlaces},
    {{K::Down, K::PageDown}, Ctrl, None, When::RoundingAtOnePlace, C::Nothing},
    {{K::Down, K::PageDown}, Ctrl, None, When::Always, C::FewerPlaces},
    {kAnyKey, Ctrl, None, When::Always, C::Nothing},
    // Shift with the vertical arrows: slower or faster strokes.
    {{K::Up, K::PageUp}, Shift, None, When::Always, C::SlowerStrokes},
    {{K::Down, K::PageDown}, Shift, None, When::Always, C::FasterStrokes},
    // Shift does nothing else, but the main keyboard's minus key, "=" and
    // the operator characters still type with it (on most layouts "+" and
    // "*" need Shift, and on a Japanese one "=" is Shift with the minus key).
    {{K::Minus}, Shift | Keypad, None, When::Always, C::Nothing},
    {kAnyKey,
     Shift,
     None,
     When::Always,
     C::Nothing,
     {K::Minus, K::Plus, K::Asterisk, K::Slash, K::Equals}},
    {{K::D, K::Delete}, None, None, When::Always, C::DeleteCalculation},
    // End ends manual stepping, and any stepping of a drawing in progress.
    {{K::End}, None, None, When::DrawingOrManualStep, C::ToggleStepMode},
    {{K::End}, None, None, When::Always, C::Nothing},
    {{K::Y}, None, None, When::Always, C::ToggleStepMode},
    {{K::V}, None, None, When::SpeechOn, C::ReadAloud},
    {{K::V}, None, None, When::Always, C::Nothing},
    // While a step-mode calculation is on the board only the keys above act.
    {kAnyKey, None, None, When::StepShown, C::Nothing},
    {{K::F}, None, None, When::Always, C::ChooseFont},
    {{K::K}, None, None, When::Always, C::SpeechSettings},
    // The decimal guide lines cannot change while an expression is typed.
    {{K::B}, None, None, When::Typing, C::Beep},
    {{K::B}, None, None, When::Always, C::ToggleDecimalLine},
    {{K::U}, None, None, When::Always, C::ToggleRecalc},
    {{K::Q}, None, None, When::Always, C::ToggleQQ},
    {{K::M}, None, None, When::Always, C::SwitchColours},
    {{K::R}, None, None, When::Always, C::Recalculate},
    {{K::L}, None, None, When::Always, C::ToggleLineBreak},
    {{K::Z}, None, None, When::Always, C::ToggleWordProblem},
    {{K::O}, None, None, When::Always, C::BiggerFont},
    {{K::T}, None, None, When::Always, C::SmallerFont},
    {{K::A}, None, None, When::Always, C::ToggleCarries},
    {{K::S}, None, None, When::Always, C::ToggleBorrows},
    {{K::H, K::Insert}, None, None, When::Always, C::RestoreExpression},
    {{K::Home}, None, None, When::Always, C::Home},
    {{K::J, K::F6}, None, None, When::Always, C::ToggleConditions},
    {{K::I, K::F8}, None, None, When::Always, C::ToggleKeypad},
    {{K::Up}, None, None, When::Always, C::ScrollUp},
    {{K::Down}, None, None, When::Always, C::ScrollDown},
    {{K::P}, None, None, When::Always, C::TypePi},
    {{K::Left, K::Backspace}, None, None, When::Always, C::BackSpace},
    // The operators: from the numeric pad, and "+", "*" and "/" wherever the
    // main keyboard has them.
    {{K::Plus}, None, None, When::Always, C::TypePlus},
    {{K::Minus}, Keypad, None, When::Always, C::TypeMinus},
    {{K::Asterisk}, None, None, When::Always, C::TypeTimes},
    {{K::Slash}, None, None, When::Always, C::TypeDivide},
    // Enter, "=" and the main keyboard's minus key type "="; not while a
    // step-mode drawing plays. "=" could only be refused while the first
    // operand stands alone: the minus key types the operator then, so a
    // keyboard without a numeric pad can subtract.
    {{K::Enter, K::Minus, K::Equals}, None, None, When::StepDrawing, C::Nothing},
    {{K::Minus}, None, None, When::FirstOperand, C::TypeMinus},
    {{K::Enter, K::Minus, K::Equals}, None, None, When::Always, C::TypeEquals},
    {{K::Period}, None, None, When::Always, C::TypePoint},
    {{K::Comma}, Keypad, None, When::Always, C::TypePoint},
    {{K::Digit0, K::Digit1, K::Digit2, K::Digit3, K::Digit4, K::Digit5, K::Digit6, K::Digit7,
      K::Digit8, K::Digit9},
     None,
     None,
     When::Always,
     C::TypeDigit},
};

// While a drawing plays: G and Escape belong to its step points; the keys
// that only change what the drawing reads at its next mark act at once.
const Row<WhileDrawing> kWhileDrawing[] = {
    {{K::Escape}, None, None, When::Always, WhileDrawing::StepEscape},
    {{K::G}, None, None, When::Always, WhileDrawing::StepGo},
    {{K::Y, K::End}, None, None, When::Always, WhileDrawing::AtOnce},
    {{K::Up, K::Down, K::PageUp, K::PageDown}, Shift, None, When::Always, WhileDrawing::AtOnce},
    {{K::Enter, K::Equals}, None, None, When::ManualStep, WhileDrawing::AtOnce},
    {{K::Minus}, None, Keypad, When::ManualStep, WhileDrawing::AtOnce},
};

}  // namespace

Command commandFor(Key key, unsigned mods, const KeyState& state) {
    return find(kKeyMap, key, mods, state, Command::Nothing);
}

WhileDrawing whileDrawing(Key key, unsigned mods, const KeyState& state) {
    return find(kWhileDrawing, key, mods, state, WhileDrawing::Later);
}

char digitOf(Key key) {
    if (key < Key::Digit0 || key > Key::Digit9) return 0;
    return static_cast<char>('0' + (static_cast<int>(key) - static_cast<int>(Key::Digit0)));
}

}  // namespace core
