// Arithmetic the checks and the division layouts need, computed exactly on the
// digit texts.
#pragma once

#include <string>

namespace hissan {

// Results of WarizanJunbi, read by the division layouts.
struct WarizanResult {
    std::string WarareruMoji;                // dividend: integer "." decimals, a final "." removed
    std::string WaruMoji;                    // divisor, same form
    std::string WarareruDigits, WaruDigits;  // integer and decimal digits joined
    int WarareruSeisuKeta = 0, WarareruShosuKeta = 0;
    int WaruSeisuKeta = 0, WaruShosuKeta = 0;
    int N = 0;              // decimal places asked for
    std::string ShouMoji;   // quotient text
    std::string AmariMoji;  // remainder text
    int ShouShosuKeta = 0;
    int AmariShosuKeta = 0;
    int WarikireKeta = 0;  // decimals of the exact quotient, 18 when it has more
    int ShouSeisu = 0;
    // Common trailing zeros of the integer parts; a value keeps its last digit
    // (0 / 10 gives 0).
    int MatsubiZeroKazu = 0;
    int WarizanKekka = 0;  // 1 ok, 0 zero divisor, -1/-2/-3/-5/-7 see arith.cpp
};

// Division preparation: quotient and remainder texts under the quotient mode
// `shouIti` (0 cut at n places, 1 keep n places for rounding, 2 until exact).
// Mode 2 always works to 10 places, whatever n is; n is otherwise limited to
// 0..18. The quotient digits are the true digits cut (never rounded), all n
// decimals of them however long the integer part is, and the remainder is
// exactly dividend - quotient x divisor.
WarizanResult WarizanJunbi(const std::string& zSeisu, const std::string& zShosu,
                           const std::string& kSeisu, const std::string& kShosu, int n,
                           int shouIti);

// 1 when first >= second, -2 when first < second, -1 when a text is not a number.
int HikizanCheck(const std::string& zSeisu, const std::string& kSeisu, const std::string& zShosu,
                 const std::string& kShosu);

// The text without the run of `ch` at its end.
std::string MatsubiMojiKesi(const std::string& text, char ch);

}  // namespace hissan
