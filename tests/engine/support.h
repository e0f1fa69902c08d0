// Shared set-up of the engine tests: a board with the fixed metric, a work
// copy filled from operand texts, and the drawing read back as rows.
#pragma once

#include <string>
#include <vector>

#include "hissan/board.h"
#include "hissan/display_list.h"
#include "hissan/rows.h"

namespace hissan::test {

struct BoardFixture {
    FixedMetrics metrics;
    RecordingCanvas canvas{metrics};
    TJouken jk;
    Board b;

    BoardFixture() {
        b.cv = &canvas;
        b.jk = &jk;
        b.setMetrics(metrics, jk.FONTSIZE);
    }

    // Fills TShiki and the work copy as the evaluation does for "a op c=":
    // operands as typed ("12", "1.25", ".5"), leading zeros removed in the
    // work copy, maxima computed, Busy = 1, EqualX/EqualY after the "=".
    void load(const std::string& a, char op, const std::string& c);

    std::vector<std::string> rows(bool withStepOnly = false) const {
        return boardRowTexts(canvas.ops(), b, withStepOnly);
    }
    const DisplayList& ops() const { return canvas.ops(); }
};

}  // namespace hissan::test
