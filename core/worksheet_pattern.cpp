#include "core/worksheet_pattern.h"

#include <algorithm>
#include <utility>

namespace worksheet {

namespace {

// The operators a pattern may use, with the ASCII one the board is given.
struct OpName {
    const char* text;
    char op;
};
constexpr OpName kOps[] = {{"+", '+'},  {"-", '-'}, {"*", '*'}, {"/", '/'}, {"＋", '+'},
                           {"－", '-'}, {"−", '-'}, {"×", '*'}, {"÷", '/'}};

bool isPatternDigit(char c) {
    return c == 'd' || c == 'n' || (c >= '0' && c <= '9');
}

}  // namespace

std::optional<Pattern> Pattern::parse(const std::string& text, std::string& why) {
    Pattern p;
    p.text_ = text;
    size_t at = std::string::npos, len = 0;
    for (const OpName& o : kOps) {
        const size_t found = text.find(o.text);
        if (found != std::string::npos && found < at) {
            at = found;
            len = std::char_traits<char>::length(o.text);
            p.op_ = o.op;
        }
    }
    if (at == std::string::npos) {
        why = "a pattern needs one of + - * / (or × ÷), like ddd*dd";
        return std::nullopt;
    }
    auto shape = [&](const std::string& s, Shape& out) {
        const size_t point = s.find('.');
        out.point = point != std::string::npos;
        out.seisu = s.substr(0, point);
        out.shosu = out.point ? s.substr(point + 1) : "";
        auto digits = [](const std::string& t) {
            return !t.empty() && std::all_of(t.begin(), t.end(), isPatternDigit);
        };
        if (!digits(out.seisu) || (out.point && !digits(out.shosu))) return false;
        // "05" would not be written so; "0.5" is.
        return !(out.seisu.size() > 1 && out.seisu[0] == '0');
    };
    if (!shape(text.substr(0, at), p.a_) || !shape(text.substr(at + len), p.b_)) {
        why =
            "each number of a pattern is d (any digit), n (a digit but 0) or a digit for each "
            "place, with at most one point and no leading 0: ddd*dd, dd.d+d.dd, d0d-dd, 2d*n";
        return std::nullopt;
    }
    for (const Shape* s : {&p.a_, &p.b_})
        if (int(s->seisu.size() + s->shosu.size()) > kMaxDigits) {
            why = "a number of a pattern has at most " + std::to_string(kMaxDigits) + " digits";
            return std::nullopt;
        }
    if (p.op_ == '-' && p.a_.seisu.size() < p.b_.seisu.size()) {
        why = "the first number of a subtraction needs at least as many whole digits as the second";
        return std::nullopt;
    }
    return p;
}

std::string Pattern::number(const Shape& s, std::mt19937_64& rng) {
    // The generator's own output is the same everywhere for a seed; the
    // standard distributions are not, so digits are taken by remainder.
    auto digit = [&](char c, bool edge) {
        if (c >= '0' && c <= '9') return c;
        const int lo = c == 'n' || edge ? 1 : 0;
        return char('0' + lo + int(rng() % uint64_t(10 - lo)));
    };
    std::string n;
    for (size_t i = 0; i < s.seisu.size(); ++i) n += digit(s.seisu[i], i == 0);
    if (s.point) {
        n += '.';
        for (size_t i = 0; i < s.shosu.size(); ++i) n += digit(s.shosu[i], i + 1 == s.shosu.size());
    }
    return n;
}

std::string Pattern::draw(std::mt19937_64& rng) const {
    std::string a = number(a_, rng);
    std::string b = number(b_, rng);
    // Same pattern: the texts compare as the numbers do.
    const bool same = a_.seisu == b_.seisu && a_.shosu == b_.shosu && a_.point == b_.point;
    if (op_ == '-' && same && a < b) std::swap(a, b);
    return a + op_ + b;
}

// ---- the facts of a problem -------------------------------------------------------------

namespace {

using Big = unsigned __int128;  // 12 + 12 digits and 10 quotient places fit with room

Big pow10(int k) {
    Big v = 1;
    while (k-- > 0) v *= 10;
    return v;
}

struct Number {
    Big value = 0;  // the digits without the point
    int scale = 0;  // how many of them are decimals
};

std::optional<Number> readNumber(const std::string& s) {
    Number n;
    int digits = 0;
    bool point = false;
    for (char c : s) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            n.value = n.value * 10 + Big(c - '0');
            if (point) ++n.scale;
            if (++digits > Pattern::kMaxDigits) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    return n;
}

std::vector<int> digitsOf(Big v) {  // ones first
    std::vector<int> d;
    do {
        d.push_back(int(v % 10));
        v /= 10;
    } while (v != 0);
    return d;
}

int digitAt(const std::vector<int>& d, size_t i) {
    return i < d.size() ? d[i] : 0;
}

// Decimal places of value x 10^-scale once its trailing zeros are dropped.
int placesOf(Big value, int scale) {
    while (scale > 0 && value % 10 == 0) {
        value /= 10;
        --scale;
    }
    return value == 0 ? 0 : scale;
}

// Whether adding the rows column by column ever makes ten or more.
bool addingCarries(const std::vector<Big>& rows) {
    std::vector<std::vector<int>> ds;
    size_t width = 0;
    for (Big r : rows) {
        ds.push_back(digitsOf(r));
        width = std::max(width, ds.back().size());
    }
    int carry = 0;
    for (size_t i = 0; i < width; ++i) {
        int s = carry;
        for (const auto& d : ds) s += digitAt(d, i);
        if (s >= 10) return true;
        carry = s / 10;
    }
    return false;
}

}  // namespace

std::optional<Facts> factsOf(const std::string& expression, int quotientPlaces) {
    const size_t at = expression.find_first_of("+-*/", 1);
    if (at == std::string::npos) return std::nullopt;
    const char op = expression[at];
    const auto a = readNumber(expression.substr(0, at));
    const auto b = readNumber(expression.substr(at + 1));
    if (!a || !b) return std::nullopt;
    Facts f;
    f.trivial = a->value == 0 || b->value == 0;
    const int scale = std::max(a->scale, b->scale);
    const Big A = a->value * pow10(scale - a->scale), B = b->value * pow10(scale - b->scale);
    switch (op) {
        case '+':
            f.carry = addingCarries({A, B});
            f.decimals = placesOf(A + B, scale);
            break;
        case '-': {
            if (A < B) {
                f.negative = true;
                break;
            }
            const std::vector<int> x = digitsOf(A), y = digitsOf(B);
            int borrow = 0;
            for (size_t i = 0; i < x.size(); ++i) {
                const int d = x[i] - borrow - digitAt(y, i);
                borrow = d < 0 ? 1 : 0;
                f.carry = f.carry || borrow;
            }
            f.decimals = placesOf(A - B, scale);
            break;
        }
        case '*': {
            // Each partial product digit by digit, then their sum.
            const std::vector<int> x = digitsOf(a->value), y = digitsOf(b->value);
            std::vector<Big> rows;
            for (size_t j = 0; j < y.size(); ++j) {
                if (y[j] == 0) continue;
                int carry = 0;
                for (int xi : x) {
                    const int t = xi * y[j] + carry;
                    f.carry = f.carry || t >= 10;
                    carry = t / 10;
                }
                rows.push_back(a->value * Big(y[j]) * pow10(int(j)));
            }
            f.carry = f.carry || addingCarries(rows);
            f.trivial = f.trivial || a->value == pow10(a->scale) || b->value == pow10(b->scale);
            f.decimals = placesOf(a->value * b->value, a->scale + b->scale);
            break;
        }
        case '/': {
            if (b->value == 0) return std::nullopt;
            const int p = std::clamp(quotientPlaces, 0, 10);
            const Big n = a->value * pow10(b->scale + p), d = b->value * pow10(a->scale);
            const Big q = n / d;
            f.remainder = n % d != 0;
            f.trivial = f.trivial || b->value == pow10(b->scale);
            f.decimals = placesOf(q, p);
            f.quotientDigits = int(digitsOf(q / pow10(p)).size());
            // The quotient's digits as written: no leading zeros, the
            // decimals without their trailing zeros.
            std::vector<int> qd = digitsOf(q);
            size_t drop = 0;
            while (drop < size_t(p) && drop < qd.size() && qd[drop] == 0) ++drop;
            while (!qd.empty() && qd.back() == 0) qd.pop_back();
            for (size_t i = drop; i < qd.size(); ++i) f.zeroInQuotient |= qd[i] == 0;
            break;
        }
        default:
            return std::nullopt;
    }
    return f;
}

bool meets(const Facts& f, char op, const Choices& c) {
    if (f.negative) return false;
    if (c.carry != Choice::Any && op != '/' && f.carry != (c.carry == Choice::Yes)) return false;
    if (op == '/') {
        if (c.remainder != Choice::Any && f.remainder != (c.remainder == Choice::Yes)) return false;
        if (c.quotientDigits > 0 && f.quotientDigits != c.quotientDigits) return false;
        if (c.zeroInQuotient && !f.zeroInQuotient) return false;
    }
    if (c.noTrivial && f.trivial) return false;
    return c.decimals < 0 || f.decimals == c.decimals;
}

std::vector<ChoiceId> notFor(char op, const Choices& c) {
    std::vector<ChoiceId> out;
    if (op == '/' && c.carry != Choice::Any) out.push_back(ChoiceId::Carry);
    if (op != '/') {
        if (c.remainder != Choice::Any) out.push_back(ChoiceId::Remainder);
        if (c.quotientDigits > 0) out.push_back(ChoiceId::QuotientDigits);
        if (c.zeroInQuotient) out.push_back(ChoiceId::ZeroInQuotient);
    }
    return out;
}

std::string flagText(ChoiceId id, const Choices& c) {
    auto yesNo = [](Choice v) { return v == Choice::Yes ? " yes" : v == Choice::No ? " no" : ""; };
    switch (id) {
        case ChoiceId::Carry:
            return std::string("--carry") + yesNo(c.carry);
        case ChoiceId::Remainder:
            return std::string("--remainder") + yesNo(c.remainder);
        case ChoiceId::QuotientDigits:
            return "--quotient-digits " + std::to_string(c.quotientDigits);
        case ChoiceId::ZeroInQuotient:
            return "--zero-in-quotient";
        case ChoiceId::NoTrivial:
            return "--no-trivial";
        case ChoiceId::Decimals:
            return "--decimals " + std::to_string(c.decimals);
        case ChoiceId::Unique:
            return "--unique";
    }
    return {};
}

namespace {

// Draws per problem before a choice is called one no problem meets: a
// pattern where one in a thousand problems qualifies still fills a sheet.
constexpr int kTries = 20000;
// Repeated problems are passed over for this many draws even without
// --unique, so that a sheet rarely shows one twice.
constexpr int kAvoidRepeats = 50;
// Expressions the board refuses before the pattern is given up.
constexpr int kBoardTries = 200;

std::vector<ChoiceId> active(const Choices& c) {
    std::vector<ChoiceId> out;
    if (c.carry != Choice::Any) out.push_back(ChoiceId::Carry);
    if (c.remainder != Choice::Any) out.push_back(ChoiceId::Remainder);
    if (c.quotientDigits > 0) out.push_back(ChoiceId::QuotientDigits);
    if (c.zeroInQuotient) out.push_back(ChoiceId::ZeroInQuotient);
    if (c.noTrivial) out.push_back(ChoiceId::NoTrivial);
    if (c.decimals >= 0) out.push_back(ChoiceId::Decimals);
    return out;
}

Choices only(const Choices& c, ChoiceId id) {
    Choices one;
    one.quotientPlaces = c.quotientPlaces;
    switch (id) {
        case ChoiceId::Carry:
            one.carry = c.carry;
            break;
        case ChoiceId::Remainder:
            one.remainder = c.remainder;
            break;
        case ChoiceId::QuotientDigits:
            one.quotientDigits = c.quotientDigits;
            break;
        case ChoiceId::ZeroInQuotient:
            one.zeroInQuotient = c.zeroInQuotient;
            break;
        case ChoiceId::NoTrivial:
            one.noTrivial = c.noTrivial;
            break;
        case ChoiceId::Decimals:
            one.decimals = c.decimals;
            break;
        case ChoiceId::Unique:
            break;
    }
    return one;
}

bool anyMeets(const Pattern& pattern, const Choices& c, uint64_t seed) {
    std::mt19937_64 rng(seed);
    for (int i = 0; i < kTries; ++i) {
        const auto f = factsOf(pattern.draw(rng), c.quotientPlaces);
        if (f && meets(*f, pattern.op(), c)) return true;
    }
    return false;
}

// The choice that alone no problem meets, else all of them together.
std::vector<ChoiceId> blame(const Pattern& pattern, const Choices& c, uint64_t seed) {
    const std::vector<ChoiceId> all = active(c);
    for (ChoiceId id : all)
        if (!anyMeets(pattern, only(c, id), seed)) return {id};
    return all;
}

}  // namespace

Drawn drawProblems(const Pattern& pattern, const Choices& choices, int count, uint64_t seed,
                   const Accept& accept, const std::set<std::string>& already) {
    Drawn out;
    if (std::vector<ChoiceId> wrong = notFor(pattern.op(), choices); !wrong.empty()) {
        out.refusal.kind = Refusal::NotForOperator;
        out.refusal.blame = std::move(wrong);
        return out;
    }
    std::mt19937_64 rng(seed);
    std::set<std::string> seen = already;
    std::set<std::string> meeting;  // every different problem seen that meets the choices
    int boardRefused = 0;
    for (int i = 0; i < count; ++i) {
        bool found = false;
        for (int attempt = 0; attempt < kTries && !found; ++attempt) {
            const std::string e = pattern.draw(rng);
            const auto facts = factsOf(e, choices.quotientPlaces);
            if (!facts || !meets(*facts, pattern.op(), choices)) continue;
            meeting.insert(e);
            if (seen.count(e) && (choices.unique || attempt < kAvoidRepeats)) continue;
            if (accept) {
                const std::string why = accept(e);
                if (!why.empty()) {
                    if (++boardRefused >= kBoardTries) {
                        out.refusal = {Refusal::Board, {}, 0, e, why};
                        out.expressions.clear();
                        return out;
                    }
                    continue;
                }
            }
            seen.insert(e);
            out.expressions.push_back(e);
            found = true;
        }
        if (found) continue;
        out.expressions.clear();
        if (meeting.empty()) {
            out.refusal.kind = Refusal::NoProblem;
            out.refusal.blame = blame(pattern, choices, seed ^ 0x9e3779b97f4a7c15ULL);
        } else {
            out.refusal.kind = Refusal::TooFewDifferent;
            out.refusal.blame = {ChoiceId::Unique};
            out.refusal.found = int(meeting.size());
        }
        return out;
    }
    return out;
}

namespace {

// A choice as the worksheet window names it.
std::string nameOf(ChoiceId id, const Choices& c) {
    auto yesNo = [](Choice v) { return std::string(v == Choice::Yes ? "あり" : "なし"); };
    switch (id) {
        case ChoiceId::Carry:
            return "繰り上がり・繰り下がり「" + yesNo(c.carry) + "」";
        case ChoiceId::Remainder:
            return "あまり「" + yesNo(c.remainder) + "」";
        case ChoiceId::QuotientDigits:
            return "商のけた数「" + std::to_string(c.quotientDigits) + "」";
        case ChoiceId::ZeroInQuotient:
            return "商の途中に0";
        case ChoiceId::NoTrivial:
            return "×0・×1・÷1を除く";
        case ChoiceId::Decimals:
            return "答えの小数のけた数「" + std::to_string(c.decimals) + "」";
        case ChoiceId::Unique:
            return "同じ問題を出さない";
    }
    return {};
}

}  // namespace

std::string refusalText(const Refusal& r, const std::string& pattern, const Choices& c, int count) {
    std::string all;
    for (size_t i = 0; i < r.blame.size(); ++i) all += (i ? "と" : "") + nameOf(r.blame[i], c);
    switch (r.kind) {
        case Refusal::None:
            return {};
        case Refusal::NotForOperator:
            return all + "は、「" + pattern + "」の計算には選べません。";
        case Refusal::NoProblem:
            if (r.blame.empty()) return "「" + pattern + "」では引く数の方が大きくなります。";
            return "「" + pattern + "」には、" + all + "に合う問題がありません。";
        case Refusal::TooFewDifferent:
            return "「" + pattern + "」で選んだ条件に合う問題は" + std::to_string(r.found) +
                   "問しかありません（" + std::to_string(count) + "問を出すには足りません）。";
        case Refusal::Board:
            return "「" + r.expression + "」は黒板で計算できません：" + r.boardWhy;
    }
    return {};
}

std::string describe(const Refusal& r, const Pattern& pattern, const Choices& c, int count) {
    auto names = [&] {
        std::string s;
        for (size_t i = 0; i < r.blame.size(); ++i)
            s += (i ? " with " : "") + flagText(r.blame[i], c);
        return s;
    };
    const char* kind = pattern.op() == '+'   ? "an addition"
                       : pattern.op() == '-' ? "a subtraction"
                       : pattern.op() == '*' ? "a multiplication"
                                             : "a division";
    switch (r.kind) {
        case Refusal::None:
            return {};
        case Refusal::NotForOperator:
            return names() +
                   (pattern.op() == '/' ? " is for + - * problems" : " is for divisions (/)") +
                   "; " + pattern.text() + " is " + kind;
        case Refusal::NoProblem:
            if (r.blame.empty())
                return "every difference of " + pattern.text() + " goes below zero";
            return "no problem of " + pattern.text() + " meets " + names() + " (" +
                   std::to_string(kTries) + " tried)";
        case Refusal::TooFewDifferent:
            return "--unique: only " + std::to_string(r.found) + " different problems of " +
                   pattern.text() + " meet the choices, and " + std::to_string(count) +
                   " are asked for";
        case Refusal::Board:
            return "the board accepts no expression of this pattern: " + r.expression + ": " +
                   r.boardWhy;
    }
    return {};
}

}  // namespace worksheet
