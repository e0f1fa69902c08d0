// Random practice problems for worksheets, drawn from a pattern of digits and
// chosen by what their working asks of the pupil: carries, remainders, the
// quotient's digits. The same pattern, choices and seed give the same
// problems in every front end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace worksheet {

// A pattern of random expressions: "ddd*dd", "dd.d+d.dd", "d0d-dd", "2d×n",
// where d is any digit, n a digit other than 0 and 0..9 that digit. The
// first digit of a number is never 0 and neither is its last decimal when
// they are d, so every number has exactly the digits the pattern shows.
// The operator is + - * / or one of ＋ － − × ÷.
class Pattern {
  public:
    // Nothing, with the reason in `why`, when the text is not a pattern.
    static std::optional<Pattern> parse(const std::string& text, std::string& why);
    // One expression of the pattern, with an ASCII operator. A difference of
    // two numbers of the same pattern never goes negative: the larger comes
    // first. Other differences may (the generator draws again).
    std::string draw(std::mt19937_64& rng) const;
    char op() const { return op_; }
    const std::string& text() const { return text_; }

    // The most digits a number of a pattern may have.
    static constexpr int kMaxDigits = 12;

  private:
    struct Shape {
        std::string seisu, shosu;  // pattern characters before and after the point
        bool point = false;
    };
    static std::string number(const Shape& s, std::mt19937_64& rng);
    Shape a_, b_;
    char op_ = '+';
    std::string text_;
};

enum class Choice { Any, Yes, No };

// What a problem's working must show. Each is a choice of the sheet's maker.
struct Choices {
    Choice carry = Choice::Any;      // a carry (+, ×) or a borrow (−) somewhere in the working
    Choice remainder = Choice::Any;  // ÷: a remainder left where the quotient stops
    int quotientDigits = 0;          // ÷: digits of the quotient's whole part; 0 any
    bool zeroInQuotient = false;     // ÷: a 0 in the quotient after its first digit
    bool noTrivial = false;          // no operand 0, no ×1 or 1×, no ÷1
    int decimals = -1;               // decimal places of the answer (trailing 0s dropped); -1 any
    bool unique = false;             // no problem twice on a sheet
    // Not a choice but the board's conditions: the decimal places a quotient
    // is worked to (the remainder is what is left there).
    int quotientPlaces = 0;
};

// The choices one by one, to name the one that cannot be met.
enum class ChoiceId {
    Carry,
    Remainder,
    QuotientDigits,
    ZeroInQuotient,
    NoTrivial,
    Decimals,
    Unique
};

// The facts of one problem that the choices ask about, by exact arithmetic.
struct Facts {
    bool carry = false;  // carry for + and ×, borrow for −
    bool remainder = false;
    int quotientDigits = 0;
    bool zeroInQuotient = false;
    bool trivial = false;
    int decimals = 0;
    bool negative = false;  // a difference below zero
};
// Nothing when the text is not "NUMBER op NUMBER" with at most kMaxDigits
// digits a number and a non-zero divisor.
std::optional<Facts> factsOf(const std::string& expression, int quotientPlaces);

// Whether the problem's facts meet every choice (uniqueness aside).
bool meets(const Facts& f, char op, const Choices& c);

// Why nothing is drawn: a choice that does not apply to the operator, no
// problem of the pattern that meets the choices, fewer different problems
// than asked for, or the board refusing the problems of the pattern.
struct Refusal {
    enum Kind { None, NotForOperator, NoProblem, TooFewDifferent, Board };
    Kind kind = None;
    std::vector<ChoiceId> blame;  // the choices that no problem meets (together)
    int found = 0;                // TooFewDifferent: how many different problems there are
    std::string expression;       // Board: the last expression refused
    std::string boardWhy;         // Board: the board's message
};

// The choices that do not apply to an operator: carry for ÷, the remainder
// and the quotient's choices for + − ×.
std::vector<ChoiceId> notFor(char op, const Choices& c);

// The choice as the tool's flag says it: "--carry no", "--quotient-digits 2".
std::string flagText(ChoiceId id, const Choices& c);

struct Drawn {
    std::vector<std::string> expressions;  // `count` of them, or none with `refusal`
    Refusal refusal;
};

// Tries each problem a bounded number of times, so that a choice no problem
// meets is refused, never waited on. `accept` is the front end's board: it
// returns its refusal of an expression, or an empty text when it takes it.
// Problems in `already` count as on the sheet for uniqueness.
using Accept = std::function<std::string(const std::string&)>;
Drawn drawProblems(const Pattern& pattern, const Choices& choices, int count, uint64_t seed,
                   const Accept& accept = {}, const std::set<std::string>& already = {});

// The refusal in the program's words, naming the choices no problem meets as
// the worksheet window names them; `pattern` as the maker typed it.
std::string refusalText(const Refusal& r, const std::string& pattern, const Choices& c, int count);

// The refusal in the tool's words, naming the choices by their flags.
std::string describe(const Refusal& r, const Pattern& pattern, const Choices& c, int count);

}  // namespace worksheet
