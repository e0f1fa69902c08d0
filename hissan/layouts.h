// One column layout per operation. Each is a function of the expression, the
// conditions, the grid and a canvas: it draws the written calculation and its
// answer after the "=" of the expression line, keeps nothing between runs and
// reports the answer, its messages and whether it was drawn.
#pragma once

#include "hissan/board.h"

namespace hissan {

using Layout = LayoutResult (*)(const Expression&, const TJouken&, const Grid&, Canvas&);

LayoutResult TashizanDsp(const Expression&, const TJouken&, const Grid&, Canvas&);  // + carries
LayoutResult BubunwaTashizan(const Expression&, const TJouken&, const Grid&,
                             Canvas&);  // + with partial sums
LayoutResult ShosuTashizanDsp(const Expression&, const TJouken&, const Grid&,
                              Canvas&);                                                 // decimal +
LayoutResult HikizanDsp(const Expression&, const TJouken&, const Grid&, Canvas&);       // - borrows
LayoutResult ShosuHikizanDsp(const Expression&, const TJouken&, const Grid&, Canvas&);  // decimal -
LayoutResult KakezanDsp(const Expression&, const TJouken&, const Grid&, Canvas&);       // integer x
LayoutResult ShosuKakezanDsp(const Expression&, const TJouken&, const Grid&, Canvas&);  // decimal x
LayoutResult WarizanDsp(const Expression&, const TJouken&, const Grid&, Canvas&);  // long division
LayoutResult ShosuWarizanDsp(const Expression&, const TJouken&, const Grid&,
                             Canvas&);  // long division with decimals

// The layout of an operator and kind of number: 1-4 integers (+ - * /), 5-8
// decimals, 0 for an expression without an operator; the addition with
// partial sums when BubunWa is on.
int HissanKindOf(const TShiki& s);
Layout LayoutOf(int hissanKind, const TJouken& jk);

// The bodies of the layouts on the context of one run; each returns 1, the
// division layouts -10 after their overflow message.
namespace body {
int TashizanDsp(Run& b);
int BubunwaTashizan(Run& b);
int ShosuTashizanDsp(Run& b);
int HikizanDsp(Run& b);
int ShosuHikizanDsp(Run& b);
int KakezanDsp(Run& b);
int ShosuKakezanDsp(Run& b);
int WarizanDsp(Run& b);
int ShosuWarizanDsp(Run& b);
}  // namespace body

}  // namespace hissan
