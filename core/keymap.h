// The board's keyboard map: which key does what, as ordered rows of
// (keys, modifiers, state test, command). Plain C++, no Qt: each front end
// translates its own key events into the board's key names below and then
// carries out the command the map finds.
#pragma once

#include <cstdint>

namespace core {

// The keys the board knows. The digits, the operators and Enter come from
// both the main keyboard and the numeric pad; `Mods::Keypad` tells which.
// `Minus` without `Keypad` is the main keyboard's minus key wherever the
// layout puts it (it types "=" on this board, and "−" while only the first
// operand is typed); with `Keypad` it is the pad's minus operator. `Plus`,
// `Asterisk` and `Slash` are the operator characters wherever they are typed
// (with Shift on most main keyboards); `Equals` is the "=" character.
enum class Key : std::uint8_t {
    Other,  // a key the board does not use
    Digit0,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    Period,
    Comma,
    Plus,
    Minus,
    Asterisk,
    Slash,
    Equals,
    Enter,
    Escape,
    Backspace,
    Delete,
    Insert,
    Home,
    End,
    Left,
    Up,
    Right,
    Down,
    PageUp,
    PageDown,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    A,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
};

// Modifier flags, or-ed together.
namespace Mods {
constexpr unsigned None = 0;
constexpr unsigned Shift = 1;
constexpr unsigned Ctrl = 2;
constexpr unsigned Alt = 4;
constexpr unsigned Keypad = 8;  // the key is on the numeric pad
constexpr unsigned Other = 16;  // a modifier the board does not use (Meta, …)
}  // namespace Mods

// What the rows' state tests look at.
struct KeyState {
    bool drawing = false;             // a calculation is being drawn (played)
    bool manualStep = false;          // stepping waits for G or a click
    bool typing = false;              // the board accepts typed input
    bool speechOn = false;            // reading aloud is switched on
    bool roundingAtOnePlace = false;  // rounding the quotient, at its least one place
    bool firstOperand = false;        // the first operand is typed, no operator yet
};

// What a key asks of the board when no drawing plays (or when it acts at
// once during one). The front end carries it out.
enum class Command : std::uint8_t {
    Nothing,
    EndStepping,        // manual stepping ends (the step box goes)
    MorePlaces,         // one quotient place more
    FewerPlaces,        // one quotient place fewer
    SlowerStrokes,      // the stroke delay grows by one
    FasterStrokes,      // the stroke delay shrinks by one
    DeleteCalculation,  // the board is cleared; the word problem goes
    ToggleStepMode,     // stepping on or off
    ReadAloud,          // the expression and its answer are read aloud
    Beep,               // the key is refused here
    ChooseFont,         // the font dialog
    SpeechSettings,     // the speech settings window
    ToggleDecimalLine,  // the decimal point guide lines
    ToggleRecalc,       // recalculation after each change of a condition
    ToggleQQ,           // the multiplication table help
    SwitchColours,      // the colour scheme changes
    Recalculate,        // the last calculation is drawn again
    ToggleLineBreak,    // long expressions break onto a new line
    ToggleWordProblem,  // word problems shown with the calculations
    BiggerFont,         // the board's characters grow
    SmallerFont,        // the board's characters shrink
    ToggleCarries,      // carry marks shown or not
    ToggleBorrows,      // borrow marks shown or not
    RestoreExpression,  // the previous expression comes back
    Home,               // the board scrolls back to its start
    ToggleConditions,   // the conditions dialog shows or goes
    ToggleKeypad,       // the on-screen keypad is minimised or restored
    ScrollUp,
    ScrollDown,
    TypePi,
    BackSpace,
    TypeDigit,  // the key's digit (see digitOf)
    TypePoint,  // "."
    TypePlus,
    TypeMinus,
    TypeTimes,
    TypeDivide,
    TypeEquals,  // "=": the calculation is drawn
};

// Finds the command of a key: the first row that matches decides.
Command commandFor(Key key, unsigned mods, const KeyState& state);

// While a drawing plays most keys wait until it ends; a few act at once.
enum class WhileDrawing : std::uint8_t {
    Later,       // queued; commandFor decides when the drawing has ended
    AtOnce,      // commandFor decides now
    StepEscape,  // stepping ends, the rest is drawn at once
    StepGo,      // the drawing goes on from its step point
};

WhileDrawing whileDrawing(Key key, unsigned mods, const KeyState& state);

// '0'..'9' for a digit key, 0 for any other.
char digitOf(Key key);

}  // namespace core
