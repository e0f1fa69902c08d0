// The board's key map, case by case: every kind of row, its modifiers and its
// state test, and the keys that wait or act at once while a drawing plays.
#include "core/keymap.h"

#include <gtest/gtest.h>

namespace {

using core::Command;
using core::Key;
using core::KeyState;
using core::WhileDrawing;
namespace M = core::Mods;

// Board states the cases use.
const KeyState kIdle{};  // nothing on, not typing
const KeyState kTyping{.typing = true};
const KeyState kStepShown{.manualStep = true};  // step mode, calculation shown
const KeyState kStepTyping{.manualStep = true, .typing = true};
const KeyState kStepDrawing{.drawing = true, .manualStep = true, .typing = true};
const KeyState kDrawing{.drawing = true};
const KeyState kSpeech{.speechOn = true};
const KeyState kRoundingOne{.roundingAtOnePlace = true};
const KeyState kFirstOperand{.typing = true, .firstOperand = true};  // "52" typed

template <typename Result>
struct Case {
    const char* what;
    Key key;
    unsigned mods;
    KeyState state;
    Result expected;
};

const Case<Command> kCases[] = {
    // Escape
    {"Escape ends manual stepping", Key::Escape, M::None, kStepTyping, Command::EndStepping},
    {"Escape from the pad ends it too", Key::Escape, M::Keypad, kStepShown, Command::EndStepping},
    {"Escape without stepping does nothing", Key::Escape, M::None, kIdle, Command::Nothing},
    {"Shift+Escape does not end stepping", Key::Escape, M::Shift, kStepTyping, Command::Nothing},
    {"Meta+Escape does not end stepping", Key::Escape, M::Other, kStepTyping, Command::Nothing},
    // Alt and Ctrl
    {"Alt+digit does nothing", Key::Digit1, M::Alt, kTyping, Command::Nothing},
    {"Alt+Ctrl+Up does nothing", Key::Up, M::Alt | M::Ctrl, kIdle, Command::Nothing},
    {"Ctrl+Up adds a quotient place", Key::Up, M::Ctrl, kIdle, Command::MorePlaces},
    {"Ctrl+PageUp adds one", Key::PageUp, M::Ctrl, kStepShown, Command::MorePlaces},
    {"Ctrl+Shift+Up adds one", Key::Up, M::Ctrl | M::Shift, kIdle, Command::MorePlaces},
    {"Ctrl+Down takes one away", Key::Down, M::Ctrl, kIdle, Command::FewerPlaces},
    {"Ctrl+PageDown takes one away", Key::PageDown, M::Ctrl, kTyping, Command::FewerPlaces},
    {"rounding keeps its one place", Key::Down, M::Ctrl, kRoundingOne, Command::Nothing},
    {"rounding still adds places", Key::Up, M::Ctrl, kRoundingOne, Command::MorePlaces},
    {"Ctrl+letter does nothing", Key::D, M::Ctrl, kIdle, Command::Nothing},
    {"Ctrl+Enter does nothing", Key::Enter, M::Ctrl, kTyping, Command::Nothing},
    // Shift
    {"Shift+Up: slower strokes", Key::Up, M::Shift, kIdle, Command::SlowerStrokes},
    {"Shift+PageUp: slower strokes", Key::PageUp, M::Shift, kStepShown, Command::SlowerStrokes},
    {"Shift+Down: faster strokes", Key::Down, M::Shift, kDrawing, Command::FasterStrokes},
    {"Shift+PageDown from the pad", Key::PageDown, M::Shift | M::Keypad, kIdle,
     Command::FasterStrokes},
    {"Shift+letter does nothing", Key::D, M::Shift, kIdle, Command::Nothing},
    {"Shift+digit does nothing", Key::Digit5, M::Shift, kTyping, Command::Nothing},
    {"Shift+minus key types =", Key::Minus, M::Shift, kTyping, Command::TypeEquals},
    {"Shift+pad minus does nothing", Key::Minus, M::Shift | M::Keypad, kTyping, Command::Nothing},
    {"Shift+unknown key does nothing", Key::Other, M::Shift, kIdle, Command::Nothing},
    // Keys that act in step mode too
    {"D deletes", Key::D, M::None, kStepShown, Command::DeleteCalculation},
    {"Delete deletes", Key::Delete, M::Keypad, kTyping, Command::DeleteCalculation},
    {"End ends manual stepping", Key::End, M::None, kStepShown, Command::ToggleStepMode},
    {"End ends stepping of a drawing", Key::End, M::None, kDrawing, Command::ToggleStepMode},
    {"End otherwise does nothing", Key::End, M::None, kTyping, Command::Nothing},
    {"Y toggles stepping", Key::Y, M::None, kIdle, Command::ToggleStepMode},
    {"Y also in step mode", Key::Y, M::None, kStepShown, Command::ToggleStepMode},
    {"V reads aloud when speech is on", Key::V, M::None, kSpeech, Command::ReadAloud},
    {"V with speech off does nothing", Key::V, M::None, kIdle, Command::Nothing},
    // Step mode with a calculation shown: only the keys above
    {"F waits in step mode", Key::F, M::None, kStepShown, Command::Nothing},
    {"digit waits in step mode", Key::Digit1, M::None, kStepShown, Command::Nothing},
    {"Enter waits in step mode", Key::Enter, M::None, kStepShown, Command::Nothing},
    {"F acts in step mode while typing", Key::F, M::None, kStepTyping, Command::ChooseFont},
    // Letters and editing keys
    {"F chooses the font", Key::F, M::None, kIdle, Command::ChooseFont},
    {"K opens speech settings", Key::K, M::None, kIdle, Command::SpeechSettings},
    {"B toggles the decimal lines", Key::B, M::None, kIdle, Command::ToggleDecimalLine},
    {"B is refused while typing", Key::B, M::None, kTyping, Command::Beep},
    {"U toggles recalculation", Key::U, M::None, kIdle, Command::ToggleRecalc},
    {"Q toggles the table help", Key::Q, M::None, kIdle, Command::ToggleQQ},
    {"M switches colours", Key::M, M::None, kTyping, Command::SwitchColours},
    {"R recalculates", Key::R, M::None, kIdle, Command::Recalculate},
    {"L toggles line breaks", Key::L, M::None, kIdle, Command::ToggleLineBreak},
    {"Z toggles word problems", Key::Z, M::None, kIdle, Command::ToggleWordProblem},
    {"O: bigger characters", Key::O, M::None, kIdle, Command::BiggerFont},
    {"T: smaller characters", Key::T, M::None, kIdle, Command::SmallerFont},
    {"A toggles carries", Key::A, M::None, kIdle, Command::ToggleCarries},
    {"S toggles borrows", Key::S, M::None, kIdle, Command::ToggleBorrows},
    {"H restores the expression", Key::H, M::None, kIdle, Command::RestoreExpression},
    {"Insert restores it too", Key::Insert, M::None, kTyping, Command::RestoreExpression},
    {"Home from the pad goes home", Key::Home, M::Keypad, kIdle, Command::Home},
    {"J toggles the conditions", Key::J, M::None, kIdle, Command::ToggleConditions},
    {"F6 toggles the conditions", Key::F6, M::None, kTyping, Command::ToggleConditions},
    {"I toggles the keypad", Key::I, M::None, kIdle, Command::ToggleKeypad},
    {"F8 toggles the keypad", Key::F8, M::None, kIdle, Command::ToggleKeypad},
    {"Up scrolls up", Key::Up, M::None, kIdle, Command::ScrollUp},
    {"Down scrolls down", Key::Down, M::Keypad, kIdle, Command::ScrollDown},
    {"PageUp alone does nothing", Key::PageUp, M::None, kIdle, Command::Nothing},
    {"P types pi", Key::P, M::None, kTyping, Command::TypePi},
    {"Left erases", Key::Left, M::None, kTyping, Command::BackSpace},
    {"Backspace erases", Key::Backspace, M::None, kTyping, Command::BackSpace},
    {"Right does nothing", Key::Right, M::None, kTyping, Command::Nothing},
    {"G alone does nothing", Key::G, M::None, kIdle, Command::Nothing},
    {"F1 does nothing", Key::F1, M::None, kIdle, Command::Nothing},
    // Typing
    {"Enter types =", Key::Enter, M::None, kTyping, Command::TypeEquals},
    {"pad Enter types =", Key::Enter, M::Keypad, kTyping, Command::TypeEquals},
    {"minus key types =", Key::Minus, M::None, kTyping, Command::TypeEquals},
    {"Enter in a step drawing does nothing", Key::Enter, M::None, kStepDrawing, Command::Nothing},
    {"minus in a step drawing does nothing", Key::Minus, M::None, kStepDrawing, Command::Nothing},
    {"Enter types = in a plain drawing", Key::Enter, M::None, kDrawing, Command::TypeEquals},
    {"pad plus", Key::Plus, M::Keypad, kTyping, Command::TypePlus},
    {"pad minus", Key::Minus, M::Keypad, kStepDrawing, Command::TypeMinus},
    {"pad times", Key::Asterisk, M::Keypad, kTyping, Command::TypeTimes},
    {"pad divide", Key::Slash, M::Keypad, kTyping, Command::TypeDivide},
    // A keyboard without a numeric pad: "+" and "*" with Shift (US and JIS),
    // "/" without; "=" alone (US) or with Shift (JIS, other layouts).
    {"Shift+plus types +", Key::Plus, M::Shift, kTyping, Command::TypePlus},
    {"plus without Shift types +", Key::Plus, M::None, kTyping, Command::TypePlus},
    {"Shift+asterisk types ×", Key::Asterisk, M::Shift, kTyping, Command::TypeTimes},
    {"asterisk without Shift types ×", Key::Asterisk, M::None, kTyping, Command::TypeTimes},
    {"slash types ÷", Key::Slash, M::None, kTyping, Command::TypeDivide},
    {"Shift+slash types ÷", Key::Slash, M::Shift, kTyping, Command::TypeDivide},
    {"Ctrl+plus does nothing", Key::Plus, M::Ctrl | M::Shift, kTyping, Command::Nothing},
    {"Alt+slash does nothing", Key::Slash, M::Alt, kTyping, Command::Nothing},
    {"= types =", Key::Equals, M::None, kTyping, Command::TypeEquals},
    {"Shift+= types =", Key::Equals, M::Shift, kFirstOperand, Command::TypeEquals},
    {"= in a step drawing does nothing", Key::Equals, M::None, kStepDrawing, Command::Nothing},
    {"= waits in step mode", Key::Equals, M::None, kStepShown, Command::Nothing},
    {"main plus in step mode waits", Key::Plus, M::Shift, kStepShown, Command::Nothing},
    // The minus key after the first operand alone: the operator.
    {"minus key after 52 types −", Key::Minus, M::None, kFirstOperand, Command::TypeMinus},
    {"Shift+minus key after 52 types −", Key::Minus, M::Shift, kFirstOperand, Command::TypeMinus},
    {"minus key after 52 in a step drawing", Key::Minus, M::None,
     KeyState{.drawing = true, .manualStep = true, .typing = true, .firstOperand = true},
     Command::Nothing},
    {"pad minus after 52 types −", Key::Minus, M::Keypad, kFirstOperand, Command::TypeMinus},
    {"Enter after 52 still types =", Key::Enter, M::None, kFirstOperand, Command::TypeEquals},
    {"period types a point", Key::Period, M::None, kTyping, Command::TypePoint},
    {"pad period types a point", Key::Period, M::Keypad, kTyping, Command::TypePoint},
    {"pad comma types a point", Key::Comma, M::Keypad, kTyping, Command::TypePoint},
    {"main keyboard comma does nothing", Key::Comma, M::None, kTyping, Command::Nothing},
    {"digit types itself", Key::Digit7, M::None, kTyping, Command::TypeDigit},
    {"pad digit types itself", Key::Digit0, M::Keypad, kIdle, Command::TypeDigit},
    {"unknown key does nothing", Key::Other, M::None, kTyping, Command::Nothing},
};

TEST(KeyMap, FindsTheCommandOfEachKeyInEachState) {
    for (const auto& c : kCases)
        EXPECT_EQ(core::commandFor(c.key, c.mods, c.state), c.expected) << c.what;
}

TEST(KeyMap, EveryLetterButTheMappedOnesDoesNothing) {
    const Key unused[] = {Key::C, Key::E, Key::G, Key::N, Key::W, Key::X};
    for (Key k : unused) EXPECT_EQ(core::commandFor(k, M::None, kIdle), Command::Nothing);
}

TEST(KeyMap, DigitsSayWhichDigit) {
    EXPECT_EQ(core::digitOf(Key::Digit0), '0');
    EXPECT_EQ(core::digitOf(Key::Digit9), '9');
    EXPECT_EQ(core::digitOf(Key::Period), 0);
    EXPECT_EQ(core::digitOf(Key::Other), 0);
}

const Case<WhileDrawing> kDrawingCases[] = {
    {"Escape at a step point", Key::Escape, M::None, kStepDrawing, WhileDrawing::StepEscape},
    {"Escape with a modifier too", Key::Escape, M::Ctrl, kDrawing, WhileDrawing::StepEscape},
    {"G goes on", Key::G, M::None, kStepDrawing, WhileDrawing::StepGo},
    {"Shift+G goes on too", Key::G, M::Shift, kDrawing, WhileDrawing::StepGo},
    {"Y acts at once", Key::Y, M::None, kDrawing, WhileDrawing::AtOnce},
    {"End acts at once", Key::End, M::Alt, kDrawing, WhileDrawing::AtOnce},
    {"Shift+Up acts at once", Key::Up, M::Shift, kDrawing, WhileDrawing::AtOnce},
    {"Ctrl+Shift+PageDown acts at once", Key::PageDown, M::Shift | M::Ctrl, kDrawing,
     WhileDrawing::AtOnce},
    {"Up alone waits", Key::Up, M::None, kDrawing, WhileDrawing::Later},
    {"Ctrl+Up waits", Key::Up, M::Ctrl, kDrawing, WhileDrawing::Later},
    {"Enter in step mode acts at once", Key::Enter, M::Keypad, kStepDrawing, WhileDrawing::AtOnce},
    {"minus key in step mode at once", Key::Minus, M::Shift, kStepDrawing, WhileDrawing::AtOnce},
    {"pad minus in step mode waits", Key::Minus, M::Keypad, kStepDrawing, WhileDrawing::Later},
    {"= in step mode acts at once", Key::Equals, M::Shift, kStepDrawing, WhileDrawing::AtOnce},
    {"Enter otherwise waits", Key::Enter, M::None, kDrawing, WhileDrawing::Later},
    {"main plus waits", Key::Plus, M::Shift, kStepDrawing, WhileDrawing::Later},
    {"a digit waits", Key::Digit3, M::None, kStepDrawing, WhileDrawing::Later},
    {"D waits", Key::D, M::None, kDrawing, WhileDrawing::Later},
};

TEST(KeyMap, WhileADrawingPlaysMostKeysWait) {
    for (const auto& c : kDrawingCases)
        EXPECT_EQ(core::whileDrawing(c.key, c.mods, c.state), c.expected) << c.what;
}

}  // namespace
