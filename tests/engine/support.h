// Shared set-up of the engine tests: a board with the fixed metric, a work
// copy filled from operand texts, and the drawing read back as rows.
#pragma once

#include <string>
#include <vector>

#include "hissan/board.h"
#include "hissan/display_list.h"
#include "hissan/layouts.h"
#include "hissan/rows.h"

namespace hissan::test {

// `b` is the context of one run on the fixed metric: the grid, the loaded
// expression with its "=", the canvas for the primitives; after lay() its
// `out` holds what the layout reported and RightX/TenX its column grid.
struct BoardFixture {
    FixedMetrics metrics;
    RecordingCanvas canvas{metrics};
    TJouken jk;
    Run b{canvas, jk, Grid{}};

    BoardFixture() { b.setMetrics(metrics, jk.FONTSIZE); }

    // Fills TShiki and the work copy as the evaluation does for "a op c=":
    // operands as typed ("12", "1.25", ".5"), leading zeros removed in the
    // work copy, maxima computed, EqualX/EqualY after the "=".
    void load(const std::string& a, char op, const std::string& c);

    // Runs a layout on the loaded expression; 1, or -10 after a division's
    // overflow.
    int lay(Layout layout) {
        LayoutResult r = layout(Expression{b.shiki, b.EqualX, b.EqualY}, jk, b, *b.cv);
        b.RightX = r.RightX;
        b.TenX = r.TenX;
        b.out = std::move(r);
        return b.out.status == LayoutResult::Overflow ? -10 : 1;
    }
    // Runs a layout's body on `b` itself, so that a test can prepare the work
    // copy the body starts from and read what the body made of it.
    int layOn(int (*layoutBody)(Run&)) { return layoutBody(b); }

    std::vector<std::string> rows(bool withStepOnly = false) const {
        return boardRowTexts(canvas.ops(), b, withStepOnly);
    }
    const DisplayList& ops() const { return canvas.ops(); }
};

}  // namespace hissan::test
