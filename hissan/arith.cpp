// Division preparation and the subtraction check, computed exactly on the
// digit texts.
//
// Floating point cannot hold the operands the board accepts: a 17-digit
// integer with decimals has more significant digits than a double or even an
// 80-bit extended value, so comparisons come out equal when they are not and a
// quotient rounded at its 18th digit can be one unit too large in its last kept
// place, which leaves a negative remainder. Here every operand is read as an
// integer count of units of 10^-scale in an unsigned 128-bit value, and the
// quotient is produced by long division, one digit at a time, so every digit is
// the truncated true digit and every remainder is exact.
//
// Result codes of WarizanResult::WarizanKekka:
//    1  texts and counts computed
//    0  the divisor is zero (also "0.0", "000")
//   -1  the dividend text is not a number: a character other than a digit, no
//       digit at all, or more than 18 integer digits after its leading zeros
//   -2  the divisor text is not a number, under the same rules
//   -7  an operand has 18 or more decimals
// The codes -3 (unreadable cut quotient) and -5 (unreadable remainder) belong
// to a floating-point formatting that this computation does not need; texts
// produced here are always numbers, so they never occur.

#include "hissan/arith.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "hissan/primitives.h"

namespace hissan {

namespace {

using u128 = unsigned __int128;

// Integer digits (after leading zeros) a preparation operand may have. With at
// most 17 decimals every scaled operand stays below 10^35, so a remainder times
// ten stays far below 2^128.
constexpr std::size_t kMaxIntegerDigits = 18;
// Decimals from which the preparation refuses an operand.
constexpr std::size_t kTooManyDecimals = 18;
// Decimals of the fixed-point quotient text.
constexpr int kQuotientDecimals = 18;

// Integer and decimal texts form a number when both hold only digits and at
// least one digit exists ("5.", ".5" and "5" are numbers; "." is not).
bool isNumber(const std::string& seisu, const std::string& shosu) {
    return (seisu.empty() || IsDigitText(seisu)) && (shosu.empty() || IsDigitText(shosu)) &&
           !(seisu.empty() && shosu.empty());
}

std::size_t significantLength(const std::string& digits) {
    std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? 0 : digits.size() - first;
}

// Appends the digits of `text` to `value`; the caller guarantees they fit.
u128 appendDigits(u128 value, const std::string& text) {
    for (char c : text) value = value * 10 + static_cast<unsigned>(c - '0');
    return value;
}

u128 pow10(int k) {
    u128 p = 1;
    while (k-- > 0) p *= 10;
    return p;
}

std::string toText(u128 v) {
    if (v == 0) return "0";
    std::array<char, 40> buf{};
    std::size_t n = 0;
    while (v != 0) {
        buf[n++] = static_cast<char>('0' + static_cast<unsigned>(v % 10));
        v /= 10;
    }
    std::string s(n, '0');
    for (std::size_t i = 0; i < n; ++i) s[i] = buf[n - 1 - i];
    return s;
}

// `units` x 10^-scale as a decimal text without trailing zeros or a final point.
std::string unitsToText(u128 units, int scale) {
    std::string digits = toText(units);
    if (scale <= 0) return digits;
    const std::size_t s = static_cast<std::size_t>(scale);
    if (digits.size() <= s) digits.insert(0, s + 1 - digits.size(), '0');
    digits.insert(digits.size() - s, 1, '.');
    return MatsubiMojiKesi(MatsubiMojiKesi(digits, '0'), '.');
}

int decimalsOf(const std::string& text) {
    std::size_t point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// Trailing zeros of an integer part that can be cancelled: a value's zeros,
// never its last remaining digit, so a dividend of 0 keeps its 0.
int cancellableZeros(const std::string& seisu) {
    const int significant = static_cast<int>(significantLength(seisu));
    return std::min(MatsubiZeroSuu(seisu), std::max(significant - 1, 0));
}

}  // namespace

WarizanResult WarizanJunbi(const std::string& zSeisu, const std::string& zShosu,
                           const std::string& kSeisu, const std::string& kShosu, int n,
                           int shouIti) {
    WarizanResult r;
    // Until exact means up to ten decimals, whatever N the caller held before.
    if (shouIti == 2) n = 10;
    n = std::clamp(n, 0, kQuotientDecimals);
    r.N = n;
    r.WarareruSeisuKeta = static_cast<int>(zSeisu.size());
    r.WarareruShosuKeta = static_cast<int>(zShosu.size());
    r.WaruSeisuKeta = static_cast<int>(kSeisu.size());
    r.WaruShosuKeta = static_cast<int>(kShosu.size());
    r.WarareruMoji = MatsubiMojiKesi(zSeisu + "." + zShosu, '.');
    r.WaruMoji = MatsubiMojiKesi(kSeisu + "." + kShosu, '.');
    r.WarareruDigits = zSeisu + zShosu;
    r.WaruDigits = kSeisu + kShosu;

    if (!isNumber(zSeisu, zShosu) || significantLength(zSeisu) > kMaxIntegerDigits) {
        r.WarizanKekka = -1;
        return r;
    }
    if (!isNumber(kSeisu, kShosu) || significantLength(kSeisu) > kMaxIntegerDigits) {
        r.WarizanKekka = -2;
        return r;
    }
    if (AllZeros(kSeisu) && AllZeros(kShosu)) {
        r.WarizanKekka = 0;
        return r;
    }
    if (zShosu.size() >= kTooManyDecimals || kShosu.size() >= kTooManyDecimals) {
        r.WarizanKekka = -7;
        return r;
    }
    const bool bothIntegers = zShosu.empty() && kShosu.empty();

    // Both operands in units of 10^-scale: dividend / divisor = a / b.
    const int scale = static_cast<int>(std::max(zShosu.size(), kShosu.size()));
    const u128 a = appendDigits(appendDigits(0, zSeisu), zShosu) *
                   pow10(scale - static_cast<int>(zShosu.size()));
    const u128 b = appendDigits(appendDigits(0, kSeisu), kShosu) *
                   pow10(scale - static_cast<int>(kShosu.size()));

    // Long division: rest[j] = a * 10^j - floor(a * 10^j / b) * b, which is the
    // remainder left by the quotient cut after j decimals.
    std::array<u128, kQuotientDecimals + 1> rest{};
    std::string fixed = toText(a / b);
    const std::size_t point = fixed.size();
    fixed.push_back('.');
    rest[0] = a % b;
    for (int j = 1; j <= kQuotientDecimals; ++j) {
        const u128 t = rest[j - 1] * 10;
        fixed.push_back(static_cast<char>('0' + static_cast<unsigned>(t / b)));
        rest[j] = t % b;
    }

    // The exact quotient's decimal count: the first place after which nothing
    // remains. One that goes on past the worked places has more decimals than
    // any N asks for.
    r.WarikireKeta = kQuotientDecimals;
    for (int j = 0; j <= kQuotientDecimals; ++j)
        if (rest[static_cast<std::size_t>(j)] == 0) {
            r.WarikireKeta = j;
            break;
        }

    // Cut after N decimals, however long the integer part: the quotient has
    // every place the heading names, or the layout refuses the division
    // because its dividend does not fit. Rounding keeps the zeros because the
    // layout rounds at the N-th place, the other modes drop them.
    std::string shou = fixed.substr(0, point + 1 + static_cast<std::size_t>(n));
    if (shouIti != 1) shou = MatsubiMojiKesi(MatsubiMojiKesi(shou, '0'), '.');
    if (bothIntegers && shouIti != 1) shou = KotaeSeiri(shou);
    shou = MatsubiMojiKesi(shou, '.');

    // The text is a prefix of the long division (its removed characters were
    // zeros or the point), so the remainder belongs to its decimal count.
    const int k = decimalsOf(shou);
    r.ShouMoji = shou;
    r.AmariMoji = unitsToText(rest[static_cast<std::size_t>(k)], scale + k);
    r.ShouShosuKeta = k;
    r.AmariShosuKeta = decimalsOf(r.AmariMoji);
    r.ShouSeisu = (KotaeSeiri(shou).find('.') == std::string::npos && r.AmariMoji == "0") ? 1 : 0;
    r.MatsubiZeroKazu = std::min(cancellableZeros(zSeisu), cancellableZeros(kSeisu));
    r.WarizanKekka = 1;
    return r;
}

int HikizanCheck(const std::string& zSeisu, const std::string& kSeisu, const std::string& zShosu,
                 const std::string& kShosu) {
    if (!isNumber(zSeisu, zShosu) || !isNumber(kSeisu, kShosu)) return -1;
    // Integer parts: the one with more significant digits is larger, equal
    // lengths compare digit by digit.
    const std::size_t za = zSeisu.size() - significantLength(zSeisu);
    const std::size_t ka = kSeisu.size() - significantLength(kSeisu);
    const std::string_view zi = std::string_view(zSeisu).substr(za);
    const std::string_view ki = std::string_view(kSeisu).substr(ka);
    if (zi.size() != ki.size()) return zi.size() > ki.size() ? 1 : -2;
    if (int c = zi.compare(ki); c != 0) return c > 0 ? 1 : -2;
    // Decimals: compare place by place, a missing place counting as 0.
    const std::size_t places = std::max(zShosu.size(), kShosu.size());
    for (std::size_t i = 0; i < places; ++i) {
        const char zc = i < zShosu.size() ? zShosu[i] : '0';
        const char kc = i < kShosu.size() ? kShosu[i] : '0';
        if (zc != kc) return zc > kc ? 1 : -2;
    }
    return 1;
}

std::string MatsubiMojiKesi(const std::string& text, char ch) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ch) --end;
    return text.substr(0, end);
}

}  // namespace hissan
