// Random worksheet problems: every problem drawn with a choice is checked
// against that choice by arithmetic of its own (digit sums for carries,
// integer division for remainders and quotients), and a choice no problem
// meets is refused by name, quickly.
#include "core/worksheet_pattern.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <set>

namespace {

using worksheet::Choice;
using worksheet::Choices;

struct Parts {
    std::string a, b;
    char op;
};

Parts split(const std::string& e) {
    const size_t at = e.find_first_of("+-*/", 1);
    return {e.substr(0, at), e.substr(at + 1), e[at]};
}

// The digits of a number without its point, and how many follow the point.
std::string digitsOf(const std::string& n) {
    std::string d;
    for (char c : n)
        if (c != '.') d += c;
    return d;
}
int placesOf(const std::string& n) {
    const size_t p = n.find('.');
    return p == std::string::npos ? 0 : int(n.size() - p - 1);
}
long long valueOf(const std::string& n) {
    return std::stoll(digitsOf(n));
}
int digitSum(long long v) {
    int s = 0;
    for (; v > 0; v /= 10) s += int(v % 10);
    return s;
}
long long pow10(int k) {
    long long v = 1;
    while (k-- > 0) v *= 10;
    return v;
}
// Both numbers as integers on the same number of decimal places.
std::pair<long long, long long> aligned(const Parts& p) {
    const int s = std::max(placesOf(p.a), placesOf(p.b));
    return {valueOf(p.a) * pow10(s - placesOf(p.a)), valueOf(p.b) * pow10(s - placesOf(p.b))};
}

// Each carry of a sum takes 9 from the digit sum, so a sum without carries
// keeps the digit sums of its terms (and likewise a difference without
// borrows, a product without carries in its partial products or their sum).
bool carries(const std::string& e) {
    const Parts p = split(e);
    const auto [a, b] = aligned(p);
    switch (p.op) {
        case '+':
            return digitSum(a + b) != digitSum(a) + digitSum(b);
        case '-':
            return digitSum(a - b) != digitSum(a) - digitSum(b);
        default:
            return digitSum(valueOf(p.a) * valueOf(p.b)) !=
                   digitSum(valueOf(p.a)) * digitSum(valueOf(p.b));
    }
}

// Quotient to `places` decimals, as an integer, and whether anything is left.
std::pair<long long, bool> divide(const std::string& e, int places) {
    const Parts p = split(e);
    const long long n = valueOf(p.a) * pow10(placesOf(p.b) + places);
    const long long d = valueOf(p.b) * pow10(placesOf(p.a));
    return {n / d, n % d != 0};
}

// Decimal places of an exact answer, trailing zeros dropped.
int answerPlaces(long long value, int places) {
    while (places > 0 && value % 10 == 0) value /= 10, --places;
    return value == 0 ? 0 : places;
}
int answerPlaces(const std::string& e, int quotientPlaces) {
    const Parts p = split(e);
    const int s = std::max(placesOf(p.a), placesOf(p.b));
    const auto [a, b] = aligned(p);
    switch (p.op) {
        case '+':
            return answerPlaces(a + b, s);
        case '-':
            return answerPlaces(a - b, s);
        case '*':
            return answerPlaces(valueOf(p.a) * valueOf(p.b), placesOf(p.a) + placesOf(p.b));
        default:
            return answerPlaces(divide(e, quotientPlaces).first, quotientPlaces);
    }
}

bool isOne(const std::string& n) {
    return valueOf(n) == pow10(placesOf(n));
}

struct Case {
    const char* pattern;
    Choices choices;
    std::function<bool(const std::string&)> holds;
    const char* what;
};

Choices with(std::function<void(Choices&)> set) {
    Choices c;
    set(c);
    return c;
}

TEST(Choices, EveryDrawnProblemMeetsItsChoice) {
    const std::vector<Case> cases = {
        {"ddd+ddd", with([](Choices& c) { c.carry = Choice::Yes; }), carries, "a carry"},
        {"ddd+ddd", with([](Choices& c) { c.carry = Choice::No; }),
         [](const std::string& e) { return !carries(e); }, "no carry"},
        {"dd.d+d.dd", with([](Choices& c) { c.carry = Choice::No; }),
         [](const std::string& e) { return !carries(e); }, "no carry in decimals"},
        {"dddd-ddd", with([](Choices& c) { c.carry = Choice::Yes; }), carries, "a borrow"},
        {"ddd-dd", with([](Choices& c) { c.carry = Choice::No; }),
         [](const std::string& e) { return !carries(e); }, "no borrow"},
        {"d0d-dd", with([](Choices& c) { c.carry = Choice::Yes; }), carries, "borrow over 0"},
        {"dd*d", with([](Choices& c) { c.carry = Choice::Yes; }), carries, "a carry in ×"},
        {"dd*d", with([](Choices& c) { c.carry = Choice::No; }),
         [](const std::string& e) { return !carries(e); }, "no carry in ×"},
        {"ddd*dd", with([](Choices& c) { c.carry = Choice::No; }),
         [](const std::string& e) { return !carries(e); }, "no carry in ×, two rows"},
        {"ddd/d", with([](Choices& c) { c.remainder = Choice::Yes; }),
         [](const std::string& e) { return divide(e, 0).second; }, "a remainder"},
        {"ddd/d", with([](Choices& c) { c.remainder = Choice::No; }),
         [](const std::string& e) { return !divide(e, 0).second; }, "no remainder"},
        {"dd.d/d", with([](Choices& c) { c.remainder = Choice::No, c.quotientPlaces = 1; }),
         [](const std::string& e) { return !divide(e, 1).second; }, "even at 1 place"},
        {"dddd/dd", with([](Choices& c) { c.quotientDigits = 2; }),
         [](const std::string& e) { return std::to_string(divide(e, 0).first).size() == 2; },
         "a two-digit quotient"},
        {"ddd/d", with([](Choices& c) { c.quotientDigits = 3; }),
         [](const std::string& e) { return std::to_string(divide(e, 0).first).size() == 3; },
         "a three-digit quotient"},
        {"ddd/d", with([](Choices& c) { c.zeroInQuotient = true; }),
         [](const std::string& e) {
             return std::to_string(divide(e, 0).first).find('0') != std::string::npos;
         },
         "a 0 in the quotient"},
        {"dd*d", with([](Choices& c) { c.noTrivial = true; }),
         [](const std::string& e) { return !isOne(split(e).b) && !isOne(split(e).a); }, "no ×1"},
        {"d/d", with([](Choices& c) { c.noTrivial = true; }),
         [](const std::string& e) { return !isOne(split(e).b); }, "no ÷1"},
        {"d.d*d", with([](Choices& c) { c.decimals = 0; }),
         [](const std::string& e) { return answerPlaces(e, 0) == 0; }, "a whole product"},
        {"d.d+d.d", with([](Choices& c) { c.decimals = 1; }),
         [](const std::string& e) { return answerPlaces(e, 0) == 1; }, "one place"},
        {"dd/d", with([](Choices& c) { c.decimals = 2, c.quotientPlaces = 3; }),
         [](const std::string& e) { return answerPlaces(e, 3) == 2; }, "quotient to 2 places"},
        {"2d*n", with([](Choices&) {}),
         [](const std::string& e) { return e[0] == '2' && e.back() != '0'; }, "fixed and n"},
        {"dd+dd",
         with([](Choices& c) { c.carry = Choice::No, c.noTrivial = true, c.decimals = 0; }),
         [](const std::string& e) { return !carries(e); }, "several at once"},
    };
    for (const Case& c : cases) {
        std::string why;
        const auto pattern = worksheet::Pattern::parse(c.pattern, why);
        ASSERT_TRUE(pattern) << c.pattern << ": " << why;
        const worksheet::Drawn d = worksheet::drawProblems(*pattern, c.choices, 300, 11);
        ASSERT_EQ(d.refusal.kind, worksheet::Refusal::None)
            << c.pattern << ": " << worksheet::describe(d.refusal, *pattern, c.choices, 300);
        ASSERT_EQ(d.expressions.size(), 300u) << c.pattern;
        std::set<std::string> different;
        for (const std::string& e : d.expressions) {
            EXPECT_TRUE(c.holds(e)) << c.pattern << " (" << c.what << "): " << e;
            const Parts p = split(e);
            EXPECT_NE(valueOf(p.a), 0) << e;
            if (p.op == '-') EXPECT_GE(aligned(p).first, aligned(p).second) << e;
            if (c.choices.noTrivial) EXPECT_TRUE(valueOf(p.a) != 0 && valueOf(p.b) != 0) << e;
            different.insert(e);
        }
        EXPECT_GT(different.size(), 20u) << c.pattern << ": the draws hardly vary";
    }
}

TEST(Choices, UniqueNeverRepeatsAndSaysWhenTooFewProblemsExist) {
    std::string why;
    const auto sum = worksheet::Pattern::parse("d+d", why);
    Choices c;
    c.unique = true;
    const worksheet::Drawn all = worksheet::drawProblems(*sum, c, 81, 3);
    ASSERT_EQ(all.expressions.size(), 81u);  // 9 x 9: every sum once
    EXPECT_EQ(std::set<std::string>(all.expressions.begin(), all.expressions.end()).size(), 81u);

    const worksheet::Drawn more = worksheet::drawProblems(*sum, c, 82, 3);
    EXPECT_TRUE(more.expressions.empty());  // never a shorter sheet
    EXPECT_EQ(more.refusal.kind, worksheet::Refusal::TooFewDifferent);
    EXPECT_EQ(more.refusal.found, 81);
    EXPECT_NE(worksheet::describe(more.refusal, *sum, c, 82).find("--unique"), std::string::npos);

    // Problems already on the sheet count.
    const worksheet::Drawn rest = worksheet::drawProblems(*sum, c, 80, 3, {}, {"1+1"});
    ASSERT_EQ(rest.expressions.size(), 80u);
    EXPECT_EQ(std::count(rest.expressions.begin(), rest.expressions.end(), "1+1"), 0);
}

TEST(Choices, AChoiceNoProblemMeetsIsRefusedByNameAndQuickly) {
    struct Refused {
        const char* pattern;
        Choices choices;
        worksheet::Refusal::Kind kind;
        const char* named;
    };
    const std::vector<Refused> cases = {
        {"9d+9d", with([](Choices& c) { c.carry = Choice::No; }), worksheet::Refusal::NoProblem,
         "--carry no"},
        {"ddd-ddd", with([](Choices& c) { c.carry = Choice::Yes, c.decimals = 1; }),
         worksheet::Refusal::NoProblem, "--decimals 1"},
        {"d/1", with([](Choices& c) { c.remainder = Choice::Yes; }), worksheet::Refusal::NoProblem,
         "--remainder yes"},
        {"dd/d", with([](Choices& c) { c.quotientDigits = 3; }), worksheet::Refusal::NoProblem,
         "--quotient-digits 3"},
        {"d/d", with([](Choices& c) { c.zeroInQuotient = true; }), worksheet::Refusal::NoProblem,
         "--zero-in-quotient"},
        {"1*d", with([](Choices& c) { c.noTrivial = true; }), worksheet::Refusal::NoProblem,
         "--no-trivial"},
        {"d/d", with([](Choices& c) { c.carry = Choice::Yes; }), worksheet::Refusal::NotForOperator,
         "--carry yes is for + - * problems"},
        {"dd+d", with([](Choices& c) { c.remainder = Choice::No; }),
         worksheet::Refusal::NotForOperator, "--remainder no is for divisions"},
        {"1d-2d", Choices{}, worksheet::Refusal::NoProblem, "below zero"},
    };
    for (const Refused& r : cases) {
        std::string why;
        const auto pattern = worksheet::Pattern::parse(r.pattern, why);
        ASSERT_TRUE(pattern) << r.pattern << ": " << why;
        const auto start = std::chrono::steady_clock::now();
        const worksheet::Drawn d = worksheet::drawProblems(*pattern, r.choices, 20, 1);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 5.0) << r.pattern;  // bounded, not a search without end
        EXPECT_TRUE(d.expressions.empty()) << r.pattern;
        EXPECT_EQ(d.refusal.kind, r.kind) << r.pattern;
        const std::string text = worksheet::describe(d.refusal, *pattern, r.choices, 20);
        EXPECT_NE(text.find(r.named), std::string::npos) << r.pattern << ": " << text;
    }
}

TEST(Choices, TheBoardsRefusalsAreDrawnAgainThenReported) {
    std::string why;
    const auto pattern = worksheet::Pattern::parse("dd+dd", why);
    int asked = 0;
    // A board that takes only even first numbers.
    const worksheet::Drawn d =
        worksheet::drawProblems(*pattern, {}, 50, 9, [&](const std::string& e) -> std::string {
            ++asked;
            return (e[1] - '0') % 2 ? "odd" : "";
        });
    ASSERT_EQ(d.expressions.size(), 50u);
    for (const std::string& e : d.expressions) EXPECT_EQ((e[1] - '0') % 2, 0) << e;
    const worksheet::Drawn none = worksheet::drawProblems(
        *pattern, {}, 5, 9, [](const std::string&) { return std::string("too long"); });
    EXPECT_TRUE(none.expressions.empty());
    EXPECT_EQ(none.refusal.kind, worksheet::Refusal::Board);
    EXPECT_EQ(none.refusal.boardWhy, "too long");
}

TEST(Choices, TheSameSeedGivesTheSameProblems) {
    std::string why;
    const auto pattern = worksheet::Pattern::parse("ddd/d", why);
    Choices c;
    c.remainder = Choice::Yes;
    const auto a = worksheet::drawProblems(*pattern, c, 40, 2026).expressions;
    EXPECT_EQ(a, worksheet::drawProblems(*pattern, c, 40, 2026).expressions);
    EXPECT_NE(a, worksheet::drawProblems(*pattern, c, 40, 2027).expressions);
}

TEST(Patterns, FixedDigitsNonZeroDigitsAndTheirOperators) {
    std::string why;
    for (const char* good : {"d0d-dd", "2d×d", "2d*n", "0.dd+d.d", "12+d", "ddd÷d", "n.n－d.d"})
        EXPECT_TRUE(worksheet::Pattern::parse(good, why)) << good << ": " << why;
    for (const char* bad : {"0d+d", "dm+d", "ddddddddddddd+d", "d.+d"}) {
        why.clear();
        EXPECT_FALSE(worksheet::Pattern::parse(bad, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
    const auto p = worksheet::Pattern::parse("d0d-dd", why);
    std::mt19937_64 rng(4);
    for (int i = 0; i < 200; ++i) {
        const std::string e = p->draw(rng);
        ASSERT_EQ(e.size(), 6u) << e;
        EXPECT_EQ(e[1], '0') << e;
        EXPECT_NE(e[0], '0') << e;
        EXPECT_NE(e[4], '0') << e;
    }
    EXPECT_EQ(worksheet::Pattern::parse("ddd÷d", why)->op(), '/');
    EXPECT_EQ(worksheet::Pattern::parse("2d×d", why)->op(), '*');
}

}  // namespace
