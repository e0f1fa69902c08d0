#include "hissan/board.h"

namespace hissan {

void Board::setMetrics(const Metrics& m, int mojiSize, bool printer) {
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

}  // namespace hissan
