#include "hissan/board.h"

#include <algorithm>

#include "hissan/primitives.h"

namespace hissan {

void Grid::setMetrics(const Metrics& m, int mojiSize, bool printer) {
    MojiSize = mojiSize;
    KomojiSize = static_cast<int>(mojiSize * 0.4 + 1e-9);
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
