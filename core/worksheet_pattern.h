// Random practice problems for worksheets, drawn from a pattern of digits.
#pragma once

#include <optional>
#include <random>
#include <string>

namespace worksheet {

// A pattern of random expressions: "ddd*dd", "dd.d+d.dd", "dddd/dd", where
// each d is a digit. The first digit of a number is never 0 and neither is
// the last decimal, so every number has exactly the digits the pattern shows.
class Pattern {
  public:
    // Nothing, with the reason in `why`, when the text is not a pattern.
    static std::optional<Pattern> parse(const std::string& text, std::string& why);
    // One expression of the pattern. A difference never goes negative: when
    // both numbers have the same shape the larger comes first.
    std::string draw(std::mt19937_64& rng) const;
    char op() const { return op_; }

  private:
    struct Shape {
        int seisu = 0, shosu = 0;  // digits before and after the point
    };
    static std::string number(const Shape& s, std::mt19937_64& rng);
    Shape a_, b_;
    char op_ = '+';
};

}  // namespace worksheet
