#include "hissan/board.h"

#include <algorithm>

#include "hissan/primitives.h"

namespace hissan {

int komojiSizeFor(int mojiSize) {
    // Never below 0.4 of the board size. Above the default size, where the
    // board is read from further away, a little more: glyphs are drawn in
    // whole pixels and a small digit would lose a pixel against 0.4.
    if (mojiSize <= 40) return (mojiSize * 2 + 4) / 5;
    return (mojiSize * 83 + 199) / 200;
}

void Grid::setMetrics(const Metrics& m, int mojiSize, bool printer) {
    MojiSize = mojiSize;
    KomojiSize = komojiSizeFor(mojiSize);
    DigitW = m.textWidth("1234567890", mojiSize, false) / 10;
    CharH = m.textHeight(mojiSize);
    CellW = 2 * DigitW;
    LineH = CharH;
    if (printer) {
        OriginX = 2 * CharH;
        OriginY = 3 * CharH / 2;
    } else {
        OriginX = 2 * CharH + 30;
        OriginY = CharH;
    }
}

WorkCopy workCopyOf(const TShiki& s) {
    WorkCopy w;
    w.ShikiNyuryoku = s.Shiki;
    w.Zenkou = SentouZeroKesi(s.ZenkouSeisu);
    w.Koukou = SentouZeroKesi(s.KoukouSeisu);
    w.ZenkouShosu = s.ZenkouShosu;
    w.KoukouShosu = s.KoukouShosu;
    w.ZenkouKeta = static_cast<int>(w.Zenkou.size());
    w.KoukouKeta = static_cast<int>(w.Koukou.size());
    w.ZenkouShosuKeta = s.ZenkouShosuKeta;
    w.KoukouShosuKeta = s.KoukouShosuKeta;
    w.EnzanshiNyuryoku = s.Enzanshi;
    w.MaxSeisuKeta = std::max(w.ZenkouKeta, w.KoukouKeta);
    w.MaxShosuKeta = s.MaxShosuKeta;
    w.MaxKeta = s.MaxKeta;
    return w;
}

Run::Run(Canvas& canvas, const TJouken& conditions, const Grid& grid, const Expression& e)
    : Grid(grid),
      cv(&canvas),
      jk(&conditions),
      shiki(e.shiki),
      w(workCopyOf(e.shiki)),
      EqualX(e.EqualX),
      EqualY(e.EqualY) {}

}  // namespace hissan
