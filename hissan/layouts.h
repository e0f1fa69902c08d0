// One column layout per operation. Each reads the work copy `b.w`, the
// conditions `*b.jk` and the board metrics, draws on `*b.cv`, writes `b.Kotae`
// and the answer after "=", and returns 1 (the division layouts -10 after their
// overflow message). Messages to show are appended to `b.messages`.
#pragma once

#include "hissan/board.h"

namespace hissan {

int TashizanDsp(Board& b);       // integer addition with carries
int BubunwaTashizan(Board& b);   // integer addition with partial sums
int ShosuTashizanDsp(Board& b);  // decimal addition
int HikizanDsp(Board& b);        // integer subtraction with borrows
int ShosuHikizanDsp(Board& b);   // decimal subtraction
int KakezanDsp(Board& b);        // integer multiplication
int ShosuKakezanDsp(Board& b);   // decimal multiplication
int WarizanDsp(Board& b);        // long division of integers
int ShosuWarizanDsp(Board& b);   // long division with decimals

}  // namespace hissan
