#include "core/worksheet_pattern.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace worksheet {

std::optional<Pattern> Pattern::parse(const std::string& text, std::string& why) {
    Pattern p;
    const size_t at = text.find_first_of("+-*/");
    if (at == std::string::npos) {
        why = "a pattern needs one of + - * /, like ddd*dd";
        return std::nullopt;
    }
    p.op_ = text[at];
    auto shape = [&](const std::string& s, Shape& out) {
        const size_t point = s.find('.');
        const std::string seisu = s.substr(0, point);
        const std::string shosu = point == std::string::npos ? "" : s.substr(point + 1);
        auto allD = [](const std::string& t) {
            return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c == 'd'; });
        };
        if (!allD(seisu) || (point != std::string::npos && !allD(shosu))) return false;
        out.seisu = int(seisu.size());
        out.shosu = int(shosu.size());
        return true;
    };
    if (!shape(text.substr(0, at), p.a_) || !shape(text.substr(at + 1), p.b_)) {
        why =
            "each number of a pattern is d for each digit, with at most one point: "
            "ddd*dd, dd.d+d.dd, dddd/dd";
        return std::nullopt;
    }
    if (p.op_ == '-' && p.a_.seisu < p.b_.seisu) {
        why = "the first number of a subtraction needs at least as many whole digits as the second";
        return std::nullopt;
    }
    return p;
}

std::string Pattern::number(const Shape& s, std::mt19937_64& rng) {
    // The generator's own output is the same everywhere for a seed; the
    // standard distributions are not, so digits are taken by remainder.
    auto digit = [&](int lo) { return char('0' + lo + int(rng() % uint64_t(10 - lo))); };
    std::string n;
    for (int i = 0; i < s.seisu; ++i) n += digit(i == 0 ? 1 : 0);
    if (s.shosu > 0) {
        n += '.';
        for (int i = 0; i < s.shosu; ++i) n += digit(i == s.shosu - 1 ? 1 : 0);
    }
    return n;
}

std::string Pattern::draw(std::mt19937_64& rng) const {
    std::string a = number(a_, rng);
    std::string b = number(b_, rng);
    // Same shape: the texts compare as the numbers do.
    if (op_ == '-' && a_.seisu == b_.seisu && a_.shosu == b_.shosu && a < b) std::swap(a, b);
    return a + op_ + b;
}

}  // namespace worksheet
