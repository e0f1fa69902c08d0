// Reading a drawing back as rows of text: each glyph stands in the column its
// x falls in, whatever width the font gives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/addsub_support.h"

namespace hissan::test {
namespace {

using Rows = std::vector<std::string>;

// The fixed metric, but the full-width signs are a few pixels wider than a
// cell, as "－" of the board font is (53 px against a 52 px cell at 40 pt).
class WideSigns : public FixedMetrics {
  public:
    int textWidth(std::string_view utf8, int pointSize, bool bold) const override {
        const int w = FixedMetrics::textWidth(utf8, pointSize, bold);
        for (const char* sign : {"＋", "－", "×", "÷", "＝"})
            if (utf8 == sign) return w + 3;
        return w;
    }
};

struct WideSignBoard : BoardFixture {
    WideSigns wide;
    RecordingCanvas wideCanvas{wide};
    WideSignBoard() {
        b.cv = &wideCanvas;
        b.setMetrics(wide, jk.FONTSIZE);
    }
    Rows wideRows() const { return boardRowTexts(wideCanvas.ops(), b); }
};

TEST(BoardRows, GlyphsWiderThanACellKeepTheirColumns) {
    struct Case {
        const char* a;
        char op;
        const char* c;
        Layout layout;
        Rows rows;
    };
    for (const Case& k :
         {Case{"95", '+', "7", TashizanDsp, {"     102", " 95", "+ 7", "11", "102"}},
          Case{"95", '-', "7", HikizanDsp, {}}, Case{"23", '*', "45", KakezanDsp, {}}}) {
        // The same board read with the plain metric is the reference.
        BoardFixture plain;
        plain.load(k.a, k.op, k.c);
        plain.lay(k.layout);
        WideSignBoard wide;
        wide.load(k.a, k.op, k.c);
        wide.lay(k.layout);
        if (!k.rows.empty()) EXPECT_EQ(plain.rows(), k.rows);
        EXPECT_EQ(wide.wideRows(), plain.rows()) << k.a << k.op << k.c;
    }
}

}  // namespace
}  // namespace hissan::test
