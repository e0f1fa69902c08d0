// Division preparation and subtraction check: the quotient and remainder texts
// are checked against an exact decimal oracle written here on digit strings,
// independent of the 128-bit arithmetic of the engine.
#include "hissan/arith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "tests/engine/exact_decimal.h"

namespace hissan {
namespace {

using namespace test::exact;

int decimals(const std::string& text) {
    const size_t point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

std::string integerPart(const std::string& text) {
    return text.substr(0, text.find('.'));
}

// Checks the division identity and the bounds of the remainder: the quotient
// carries all N decimals (fewer only where they would be trailing zeros),
// however long its integer part.
void expectExactDivision(const WarizanResult& r, const std::string& a, const std::string& b, int n,
                         int shouIti) {
    SCOPED_TRACE(a + " / " + b + " N=" + std::to_string(n) + " mode " + std::to_string(shouIti));
    ASSERT_EQ(r.WarizanKekka, 1);
    const Dec A = dec(a), B = dec(b), Q = dec(r.ShouMoji), R = dec(r.AmariMoji);
    EXPECT_EQ(compare(add(mul(Q, B), R), A), 0) << r.ShouMoji << " R " << r.AmariMoji;
    EXPECT_EQ(r.AmariMoji.find('-'), std::string::npos);
    const int k = decimals(r.ShouMoji);
    EXPECT_EQ(k, r.ShouShosuKeta);
    EXPECT_EQ(decimals(r.AmariMoji), r.AmariShosuKeta);
    EXPECT_LE(k, n);
    EXPECT_LT(compare(shifted(R, k), B), 0) << "remainder not below the divisor's place";

    EXPECT_LT(compare(shifted(R, n), B), 0) << "quotient cut too early";
    if (shouIti == 1) {
        EXPECT_EQ(k, n) << "rounding needs every decimal up to the N-th place";
    } else {
        EXPECT_FALSE(k > 0 && r.ShouMoji.back() == '0') << "trailing zero kept";
    }
    // The remainder's decimals never exceed those of dividend and product.
    const int m = std::max(decimals(a), decimals(b));
    EXPECT_LE(r.AmariShosuKeta, std::max(m, n + decimals(b)));
    const std::string frac = k > 0 ? r.ShouMoji.substr(r.ShouMoji.size() - k) : "";
    const bool whole = frac.find_first_not_of('0') == std::string::npos;
    EXPECT_EQ(r.ShouSeisu, whole && r.AmariMoji == "0" ? 1 : 0);
}

// Splits "12.5" into the integer and decimal texts the preparation takes.
WarizanResult divide(const std::string& a, const std::string& b, int n, int shouIti) {
    auto split = [](const std::string& t, std::string& i, std::string& f) {
        const size_t p = t.find('.');
        i = t.substr(0, p);
        f = p == std::string::npos ? "" : t.substr(p + 1);
    };
    std::string ai, af, bi, bf;
    split(a, ai, af);
    split(b, bi, bf);
    return WarizanJunbi(ai, af, bi, bf, n, shouIti);
}

// ---- MatsubiMojiKesi ----------------------------------------------------------

TEST(MatsubiMojiKesi, RemovesOnlyTheFinalRun) {
    EXPECT_EQ(MatsubiMojiKesi("12.500", '0'), "12.5");
    EXPECT_EQ(MatsubiMojiKesi("000", '0'), "");
    EXPECT_EQ(MatsubiMojiKesi("", '0'), "");
    EXPECT_EQ(MatsubiMojiKesi("1005", '0'), "1005");
    EXPECT_EQ(MatsubiMojiKesi("3.", '.'), "3");
    EXPECT_EQ(MatsubiMojiKesi("3.0", '.'), "3.0");
}

// ---- HikizanCheck -------------------------------------------------------------

TEST(HikizanCheck, SmallOperands) {
    EXPECT_EQ(HikizanCheck("3", "5", "", ""), -2);
    EXPECT_EQ(HikizanCheck("5", "5", "", ""), 1);
    EXPECT_EQ(HikizanCheck("9", "7", "", ""), 1);
    EXPECT_EQ(HikizanCheck("1", "1", "5", "50"), 1);  // 1.5 - 1.50
    EXPECT_EQ(HikizanCheck("1", "1", "49", "5"), -2);
    EXPECT_EQ(HikizanCheck("0009", "10", "", ""), -2);  // leading zeros carry no value
    EXPECT_EQ(HikizanCheck("10", "0009", "", "999"), 1);
    EXPECT_EQ(HikizanCheck("2", "1", "", "99"), 1);
}

TEST(HikizanCheck, LongOperandsDifferingInTheLastDigit) {
    // Equal as doubles, yet the first is smaller.
    EXPECT_EQ(HikizanCheck("100000000000000001", "100000000000000002", "", ""), -2);
    EXPECT_EQ(HikizanCheck("100000000000000002", "100000000000000001", "", ""), 1);
    EXPECT_EQ(HikizanCheck("12345678901234567", "12345678901234568", "", ""), -2);
    const std::string i = "123456789012345678";
    EXPECT_EQ(HikizanCheck(i, i, "123456789012345678", "123456789012345679"), -2);
    EXPECT_EQ(HikizanCheck(i, i, "123456789012345679", "123456789012345678"), 1);
    EXPECT_EQ(HikizanCheck(i, i, "123456789012345678", "123456789012345678"), 1);
    EXPECT_EQ(HikizanCheck("1", "0", "", "999999999999999999"), 1);
}

TEST(HikizanCheck, TextsThatAreNotNumbers) {
    EXPECT_EQ(HikizanCheck("", "5", "", ""), -1);
    EXPECT_EQ(HikizanCheck("5", "", "", ""), -1);
    EXPECT_EQ(HikizanCheck("1a", "5", "", ""), -1);
    EXPECT_EQ(HikizanCheck("5", "-3", "", ""), -1);
    EXPECT_EQ(HikizanCheck("5", "3", "2.", ""), -1);
    EXPECT_EQ(HikizanCheck("", "", "5", "25"), 1);  // .5 - .25
    EXPECT_EQ(HikizanCheck("5", "3", "", ""), 1);   // "5." is a number
}

// ---- WarizanJunbi: the classroom cases ----------------------------------------------

TEST(WarizanJunbi, CutQuotientAndRemainder) {
    auto r = WarizanJunbi("10", "", "4", "", 0, 0);
    EXPECT_EQ(r.WarizanKekka, 1);
    EXPECT_EQ(r.ShouMoji, "2");
    EXPECT_EQ(r.AmariMoji, "2");
    EXPECT_EQ(r.ShouShosuKeta, 0);
    EXPECT_EQ(r.ShouSeisu, 0);

    r = WarizanJunbi("10", "", "4", "", 1, 0);
    EXPECT_EQ(r.ShouMoji, "2.5");
    EXPECT_EQ(r.AmariMoji, "0");
    EXPECT_EQ(r.WarikireKeta, 1);
    EXPECT_EQ(r.ShouShosuKeta, 1);
    EXPECT_EQ(r.AmariShosuKeta, 0);

    r = WarizanJunbi("12", "", "5", "", 1, 0);
    EXPECT_EQ(r.ShouMoji, "2.4");
    EXPECT_EQ(r.AmariMoji, "0");

    r = WarizanJunbi("7", "", "8", "", 0, 0);
    EXPECT_EQ(r.ShouMoji, "0");
    EXPECT_EQ(r.AmariMoji, "7");

    r = WarizanJunbi("120", "", "4", "", 0, 0);
    EXPECT_EQ(r.ShouMoji, "30");
    EXPECT_EQ(r.ShouSeisu, 1);
    EXPECT_EQ(r.WarikireKeta, 0);
}

TEST(WarizanJunbi, RoundingModeKeepsZeros) {
    auto r = WarizanJunbi("1", "", "3", "", 2, 1);
    EXPECT_EQ(r.ShouMoji, "0.33");
    EXPECT_EQ(r.AmariMoji, "0.01");
    EXPECT_EQ(r.AmariShosuKeta, 2);
    EXPECT_EQ(r.WarikireKeta, 18);  // never ends: more decimals than any N

    r = WarizanJunbi("10", "", "4", "", 3, 1);
    EXPECT_EQ(r.ShouMoji, "2.500");
    EXPECT_EQ(r.AmariMoji, "0");
    EXPECT_EQ(r.WarikireKeta, 1);

    r = WarizanJunbi("2", "", "3", "", 3, 1);
    EXPECT_EQ(r.ShouMoji, "0.666");

    r = WarizanJunbi("12", "", "4", "", 2, 1);  // whole quotient: the zeros stay
    EXPECT_EQ(r.ShouMoji, "3.00");
    EXPECT_EQ(r.ShouSeisu, 1);

    r = WarizanJunbi("10", "", "4", "", 0, 1);  // no decimals: no final point
    EXPECT_EQ(r.ShouMoji, "2");
    EXPECT_EQ(r.AmariMoji, "2");
}

TEST(WarizanJunbi, UntilExactUsesTenDecimals) {
    auto r = WarizanJunbi("1", "", "3", "", 0, 2);
    EXPECT_EQ(r.N, 10);
    EXPECT_EQ(r.ShouMoji, "0.3333333333");
    EXPECT_EQ(r.AmariMoji, "0.0000000001");
    EXPECT_EQ(r.AmariShosuKeta, 10);

    r = WarizanJunbi("1", "", "8", "", 0, 2);
    EXPECT_EQ(r.ShouMoji, "0.125");
    EXPECT_EQ(r.AmariMoji, "0");
    EXPECT_EQ(r.WarikireKeta, 3);
}

TEST(WarizanJunbi, DecimalOperands) {
    auto r = WarizanJunbi("2", "5", "0", "7", 2, 0);
    EXPECT_EQ(r.ShouMoji, "3.57");
    EXPECT_EQ(r.AmariMoji, "0.001");
    EXPECT_EQ(r.WarareruMoji, "2.5");
    EXPECT_EQ(r.WaruMoji, "0.7");
    EXPECT_EQ(r.WarareruDigits, "25");
    EXPECT_EQ(r.WaruDigits, "07");

    r = WarizanJunbi("1", "23", "0", "4", 0, 0);
    EXPECT_EQ(r.ShouMoji, "3");
    EXPECT_EQ(r.AmariMoji, "0.03");

    r = WarizanJunbi("3", "", "0", "25", 0, 0);
    EXPECT_EQ(r.ShouMoji, "12");
    EXPECT_EQ(r.AmariMoji, "0");
    EXPECT_EQ(r.ShouSeisu, 1);

    r = WarizanJunbi("7", "5", "2", "5", 0, 0);
    EXPECT_EQ(r.ShouMoji, "3");
    EXPECT_EQ(r.WarareruShosuKeta, 1);

    r = WarizanJunbi("", "5", "2", "", 2, 0);  // .5 / 2
    EXPECT_EQ(r.ShouMoji, "0.25");

    r = WarizanJunbi("12", "", "3", "", 0, 0);  // "12." as typed loses its point
    EXPECT_EQ(r.WarareruMoji, "12");
}

TEST(WarizanJunbi, ResultCodes) {
    EXPECT_EQ(WarizanJunbi("5", "", "0", "", 0, 0).WarizanKekka, 0);
    EXPECT_EQ(WarizanJunbi("5", "", "0", "0", 0, 0).WarizanKekka, 0);
    EXPECT_EQ(WarizanJunbi("5", "", "000", "000", 0, 0).WarizanKekka, 0);
    EXPECT_EQ(WarizanJunbi("5", "", "0", "000000000000000000", 0, 0).WarizanKekka, 0);
    EXPECT_EQ(WarizanJunbi("", "", "5", "", 0, 0).WarizanKekka, -1);
    EXPECT_EQ(WarizanJunbi("1x", "", "0", "", 0, 0).WarizanKekka, -1);  // before the zero test
    EXPECT_EQ(WarizanJunbi("1234567890123456789", "", "3", "", 0, 0).WarizanKekka, -1);
    EXPECT_EQ(WarizanJunbi("5", "", "", "", 0, 0).WarizanKekka, -2);
    EXPECT_EQ(WarizanJunbi("5", "", "-3", "", 0, 0).WarizanKekka, -2);
    EXPECT_EQ(WarizanJunbi("5", "", "3", "1 ", 0, 0).WarizanKekka, -2);
    EXPECT_EQ(WarizanJunbi("1", "123456789012345678", "3", "", 0, 0).WarizanKekka, -7);
    EXPECT_EQ(WarizanJunbi("1", "", "3", "000000000000000001", 0, 0).WarizanKekka, -7);
    // Leading zeros are not digits of the value.
    auto r = WarizanJunbi("0000000000000000000000012", "", "4", "", 0, 0);
    EXPECT_EQ(r.WarizanKekka, 1);
    EXPECT_EQ(r.ShouMoji, "3");
    // N outside 0..10 and an unknown mode neither crash nor read out of range.
    EXPECT_EQ(WarizanJunbi("10", "", "4", "", -3, 0).ShouMoji, "2");
    EXPECT_EQ(WarizanJunbi("1", "", "3", "", 99, 7).WarizanKekka, 1);
}

TEST(WarizanJunbi, CancellableTrailingZeros) {
    EXPECT_EQ(WarizanJunbi("1200", "", "300", "", 0, 0).MatsubiZeroKazu, 2);
    EXPECT_EQ(WarizanJunbi("1200", "", "7", "", 0, 0).MatsubiZeroKazu, 0);
    EXPECT_EQ(WarizanJunbi("100", "", "100", "", 0, 0).MatsubiZeroKazu, 2);
    // A dividend of 0 keeps its only digit.
    EXPECT_EQ(WarizanJunbi("0", "", "10", "", 0, 0).MatsubiZeroKazu, 0);
    EXPECT_EQ(WarizanJunbi("000", "", "10", "", 0, 0).MatsubiZeroKazu, 0);
    EXPECT_EQ(WarizanJunbi("0100", "", "1000", "", 0, 0).MatsubiZeroKazu, 2);
}

// ---- WarizanJunbi: where rounded arithmetic goes wrong --------------------------------

TEST(WarizanJunbi, QuotientJustBelowAWholeNumberIsNotRoundedUp) {
    // 0.9999999999999999999: rounded to 18 digits this is 1, leaving -0.01.
    auto r = WarizanJunbi("99999999999999999", "99", "100000000000000000", "", 10, 0);
    EXPECT_EQ(r.ShouMoji, "0.9999999999");
    EXPECT_EQ(r.AmariMoji, "9999999.99");
    EXPECT_EQ(r.WarikireKeta, 18);

    // 0.99999999999999999949...
    r = WarizanJunbi("999999999999999999", "", "999999999999999999", "5", 2, 0);
    EXPECT_EQ(r.ShouMoji, "0.99");
    EXPECT_EQ(r.AmariMoji, "9999999999999999.495");

    r = WarizanJunbi("99999999999999999", "99", "100000000000000000", "", 0, 1);
    EXPECT_EQ(r.ShouMoji, "0");
    EXPECT_EQ(r.AmariMoji, "99999999999999999.99");
}

TEST(WarizanJunbi, LongQuotientsKeepEveryDecimalAskedFor) {
    // Neither the integer digits nor the decimals of a long quotient are cut.
    auto r = WarizanJunbi("99999999999999999", "", "7", "", 2, 0);
    EXPECT_EQ(r.ShouMoji, "14285714285714285.57");
    EXPECT_EQ(r.AmariMoji, "0.01");
    EXPECT_EQ(r.ShouShosuKeta, 2);

    r = WarizanJunbi("123456789123456788", "", "123456789", "", 10, 0);
    EXPECT_EQ(r.ShouMoji, "1000000000.9999999918");
    EXPECT_EQ(r.AmariMoji, "0.0123456698");

    // Rounding at the fifth place needs the fifth place; an exact quotient
    // with five decimals is exact, not cut at the sixteenth character.
    r = WarizanJunbi("1000000000000", "", "3", "", 5, 1);
    EXPECT_EQ(r.ShouMoji, "333333333333.33333");
    EXPECT_EQ(r.WarikireKeta, 18);
    r = WarizanJunbi("796795888852", "3886", "5", "0", 10, 2);
    EXPECT_EQ(r.ShouMoji, "159359177770.47772");
    EXPECT_EQ(r.AmariMoji, "0");
    EXPECT_EQ(r.WarikireKeta, 5);
    r = WarizanJunbi("12345678901234567", "", "3", "", 2, 1);
    EXPECT_EQ(r.ShouMoji, "4115226300411522.33");
    EXPECT_EQ(r.WarikireKeta, 18);

    r = WarizanJunbi("123456789012345678", "", "1", "", 0, 1);
    EXPECT_EQ(r.ShouMoji, "123456789012345678");
    EXPECT_EQ(r.AmariMoji, "0");

    // A quotient beyond 10^18 is written out in full.
    r = WarizanJunbi("12345678901234567", "", "0", "00000000000000001", 3, 0);
    EXPECT_EQ(r.ShouMoji, "1234567890123456700000000000000000");
    EXPECT_EQ(r.AmariMoji, "0");
    EXPECT_EQ(r.ShouSeisu, 1);
}

TEST(WarizanJunbi, RemainderOfSeventeenDigitOperandsIsExact) {
    // The product 12345678852405694.5171277 has 24 significant digits.
    auto r = WarizanJunbi("12345678901234567", "", "9876543", "21", 5, 0);
    EXPECT_EQ(r.ShouMoji, "1249999988.73437");
    EXPECT_EQ(r.AmariMoji, "48.4828723");
    EXPECT_EQ(r.AmariShosuKeta, 7);
}

// ---- WarizanJunbi: property over generated operands ---------------------------------

std::string randomDigits(std::mt19937_64& rng, int count, bool leadingNonZero) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        int d = static_cast<int>(rng() % 10);
        if (i == 0 && leadingNonZero && d == 0) d = 1 + static_cast<int>(rng() % 9);
        s.push_back(static_cast<char>('0' + d));
    }
    return s;
}

// An operand of up to 17 digits, half of them with decimals. Lengths lean to
// both ends so that long quotients and long remainders come up often.
std::string randomOperand(std::mt19937_64& rng) {
    const int pick = static_cast<int>(rng() % 3);
    const int total = pick == 0   ? 17 - static_cast<int>(rng() % 2)
                      : pick == 1 ? 1 + static_cast<int>(rng() % 3)
                                  : 1 + static_cast<int>(rng() % 17);
    const int dec = rng() % 2 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(total));
    std::string s = randomDigits(rng, total - dec, rng() % 8 != 0);
    if (dec > 0) s += "." + randomDigits(rng, dec, false);
    return s;
}

TEST(WarizanJunbi, QuotientTimesDivisorPlusRemainderIsTheDividend) {
    std::mt19937_64 rng(20240611);
    int checked = 0;
    for (int pair = 0; pair < 1200; ++pair) {
        const std::string b = randomOperand(rng);
        if (dec(b).digits == "0") continue;
        std::string a = randomOperand(rng);
        if (pair % 3 == 0) {
            // A multiple of the divisor, or one unit of its last place off it:
            // the quotients that sit exactly on or just beside a cut.
            const Dec m = dec(randomDigits(rng, 1 + static_cast<int>(rng() % 8), true));
            Dec prod = mul(dec(b), m);
            if (pair % 2 == 0) prod = add(prod, Dec{"1", prod.scale + 1});
            a = toText(prod);
            if (dec(a).scale > 17 || integerPart(a).size() > 18) continue;
        }
        for (int mode = 0; mode <= 2; ++mode) {
            for (int n = 0; n <= 10; ++n) {
                const WarizanResult r = divide(a, b, n, mode);
                expectExactDivision(r, a, b, mode == 2 ? 10 : n, mode);
                if (HasFailure()) return;
                ++checked;
                if (mode == 2) break;  // every N means ten decimals
            }
        }
    }
    EXPECT_GT(checked, 10000);
}

}  // namespace
}  // namespace hissan
