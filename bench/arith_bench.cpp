// Cost of the division preparation and the subtraction check on the longest
// operands a division accepts (17 digits each).
#include <benchmark/benchmark.h>

#include <string>

#include "hissan/arith.h"

namespace {

// 17-digit integers: ten decimals asked for, the quotient is shortened.
void BM_WarizanJunbiIntegers(benchmark::State& state) {
    const std::string a = "98765432109876543", b = "12345678901234567";
    for (auto _ : state) {
        hissan::WarizanResult r = hissan::WarizanJunbi(a, "", b, "", 10, 0);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_WarizanJunbiIntegers);

// 17-digit operands with decimals, rounding mode.
void BM_WarizanJunbiDecimals(benchmark::State& state) {
    for (auto _ : state) {
        hissan::WarizanResult r =
            hissan::WarizanJunbi("12345678", "901234567", "9876", "5432109876543", 10, 1);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_WarizanJunbiDecimals);

// Operands equal up to the last of 36 digits.
void BM_HikizanCheck(benchmark::State& state) {
    const std::string i = "123456789012345678";
    const std::string za = "123456789012345678", ka = "123456789012345679";
    for (auto _ : state) {
        int c = hissan::HikizanCheck(i, i, za, ka);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_HikizanCheck);

}  // namespace
