// Replaying recorded board drawings with Qt: font choice, colours of both
// schemes, the revealed part and the step-mode-only ops.
#include "ui/renderer.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include "core/conditions.h"
#include "hissan/board.h"
#include "hissan/primitives.h"
#include "tests/ui/ink_box.h"

namespace {

using hissan::Colour;
using hissan::Role;

struct Scene {
    app::QtMetrics metrics{app::boardFontFamily("ＭＳゴシック")};
    hissan::RecordingCanvas canvas{metrics};
    hissan::TJouken jk;
    hissan::Run b{canvas, jk, hissan::Grid{}};
    Scene() { b.setMetrics(metrics, 40); }
    QImage render(int scheme, bool stepMode = false, size_t count = size_t(-1)) {
        QImage img(600, 300, QImage::Format_RGB32);
        img.fill(app::backgroundColour(scheme));
        QPainter p(&img);
        app::renderOps(p, canvas.ops(), metrics, {scheme, stepMode, count, 0});
        return img;
    }
};

int countPixels(const QImage& img, QRect area, QColor c) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c) ++n;
    return n;
}

TEST(BoardFont, StoredWindowsNameFallsBackToInstalledJapaneseFont) {
    const QString family = app::boardFontFamily("ＭＳゴシック");
    EXPECT_TRUE(QFontDatabase::families().contains(family)) << family.toStdString();
    EXPECT_EQ(app::boardFontFamily("No Such Font 123"), family);
    // The glyphs the board uses exist in it.
    QFontMetrics fm(QFont(family, 40));
    EXPECT_TRUE(fm.inFont(QChar(0xFF11)));  // "１"
    EXPECT_TRUE(fm.inFont(QChar(0x00D7)));  // "×"
}

TEST(BoardFont, MetricsGiveWholeCellsAndLines) {
    Scene s;
    EXPECT_GE(s.b.DigitW, 20);
    EXPECT_LE(s.b.DigitW, 32);
    EXPECT_EQ(s.b.CellW, 2 * s.b.DigitW);
    EXPECT_GE(s.b.CharH, 45);
    // A full-width digit fills about one cell.
    EXPECT_NEAR(s.metrics.textWidth("８", 40, false), s.b.CellW, 3);
    EXPECT_LT(s.metrics.fontHeightValue(40), 0);
}

// Carries and borrow marks are written at the board's small size; at every
// font size the window offers, up to the largest, their digits stand at
// least 40 % as high as the board's digits.
TEST(BoardFont, SmallDigitsStayLegibleAtEverySize) {
    app::QtMetrics metrics{app::boardFontFamily("ＭＳゴシック")};
    const core::Condition* size = core::findCondition("FONTSIZE");
    ASSERT_NE(size, nullptr);
    for (int moji = size->lo; moji <= size->hi; ++moji) {
        hissan::Grid g;
        g.setMetrics(metrics, moji);
        EXPECT_GE(g.KomojiSize * 5, moji * 2) << moji;
    }
    // Measured on the glyphs at the largest size.
    hissan::Grid g;
    g.setMetrics(metrics, size->hi);
    const QString digits = QStringLiteral("０１２３４５６７８９");
    const double big = QFontMetricsF(metrics.font(size->hi)).tightBoundingRect(digits).height();
    const double small =
        QFontMetricsF(metrics.font(g.KomojiSize)).tightBoundingRect(digits).height();
    EXPECT_GE(small, 0.4 * big) << small << " of " << big;
}

TEST(BoardFont, AnswerZeroIsPlainNotSlashed) {
    // The answer after "=" is written in half-width digits 1.2 times the board
    // size; its zero must not carry a slash or a dot (a pupil reads "ø").
    Scene s;
    s.canvas.setFontSize(48);
    s.canvas.setFontColour(Colour::of(Role::Answer));
    s.canvas.textOut(100, 60, "0");
    const QImage img = s.render(0);
    const QColor board = app::backgroundColour(0);
    const QRect ink = inkBox(img, board);
    ASSERT_GT(ink.width(), 10);
    ASSERT_GT(ink.height(), 20);
    // Both diagonals through the middle of the zero cross its empty counter.
    int inked = 0;
    for (double t = 0.32; t <= 0.68; t += 0.02) {
        const int x = ink.left() + qRound(t * ink.width());
        for (int y :
             {ink.top() + qRound(t * ink.height()), ink.bottom() - qRound(t * ink.height())})
            if (img.pixelColor(x, y) != board) ++inked;
    }
    EXPECT_EQ(inked, 0) << "in " << s.metrics.family().toStdString();
}

TEST(BoardFont, CellIsOneEmWithTheBaselineInside) {
    // Rows are placed by the cell: glyphs of the stand-in font stay in it.
    Scene s;
    EXPECT_EQ(s.b.CharH, app::emPixels(40, nullptr));
    hissan::MojiPut(s.b, 100, 50, Colour::of(Role::Digit), 40, "8");
    const QImage img = s.render(0);
    const QColor board = app::backgroundColour(0);
    const QRect ink = inkBox(img, board);
    EXPECT_GE(ink.top(), 50);
    EXPECT_LE(ink.bottom(), 50 + s.b.CharH);
    EXPECT_LE(ink.right(), 100 + s.b.CellW);
}

TEST(Render, SchemesResolveRolesAndFixedColoursStayFixed) {
    Scene s;
    hissan::MojiPut(s.b, 20, 20, Colour::of(Role::Digit), 40, "8");
    hissan::SenDsp(s.b, 20, 120, 300, 120, 4, Colour::of(Role::Rule));
    hissan::SenDsp(s.b, 20, 200, 300, 200, 4, hissan::kGrey);
    const QRect glyph(20, 20, s.b.CellW, s.b.CharH);

    QImage black = s.render(0);
    EXPECT_EQ(black.pixelColor(400, 250), QColor(0, 128, 0));
    EXPECT_GT(countPixels(black, glyph, QColor(255, 255, 255)), 30);
    EXPECT_EQ(black.pixelColor(150, 120), QColor(255, 255, 0));
    EXPECT_EQ(black.pixelColor(150, 200), QColor(128, 128, 128));

    QImage white = s.render(1);
    EXPECT_EQ(white.pixelColor(400, 250), QColor(255, 255, 255));
    EXPECT_GT(countPixels(white, glyph, QColor(0, 0, 0)), 30);
    EXPECT_EQ(white.pixelColor(150, 120), QColor(128, 128, 128));
    EXPECT_EQ(white.pixelColor(150, 200), QColor(128, 128, 128));
}

TEST(Render, OnlyTheRevealedPartAndStepOnlyOpsInStepMode) {
    Scene s;
    hissan::SenDsp(s.b, 0, 50, 600, 50, 4, Colour::of(Role::Rule));
    s.canvas.setStepOnly(true);
    hissan::SenDsp(s.b, 0, 150, 600, 150, 4, Colour::of(Role::Rule));
    s.canvas.setStepOnly(false);
    hissan::SenDsp(s.b, 0, 250, 600, 250, 4, Colour::of(Role::Rule));
    const QColor yellow(255, 255, 0);

    QImage all = s.render(0);
    EXPECT_EQ(all.pixelColor(300, 50), yellow);
    EXPECT_NE(all.pixelColor(300, 150), yellow);
    EXPECT_EQ(all.pixelColor(300, 250), yellow);

    QImage stepped = s.render(0, true);
    EXPECT_EQ(stepped.pixelColor(300, 150), yellow);

    QImage first = s.render(0, false, 1);
    EXPECT_EQ(first.pixelColor(300, 50), yellow);
    EXPECT_NE(first.pixelColor(300, 250), yellow);
}

// On a device of finer resolution (a printer) a rule grows with the
// resolution as a digit does: their proportion stays that of the screen.
TEST(Render, PenWidthsGrowWithTheResolutionAsTheGlyphsDo) {
    const QColor board(255, 255, 255);
    double screenProportion = 0;
    for (int dpi : {96, 300, 1200}) {
        SCOPED_TRACE(dpi);
        const double scale = dpi / 96.0;
        QImage img(int(120 * scale), int(200 * scale), QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
        img.fill(board);
        app::QtMetrics metrics(app::boardFontFamily("ＭＳゴシック"), &img);
        hissan::RecordingCanvas canvas(metrics);
        hissan::TJouken jk;
        hissan::Run b(canvas, jk, hissan::Grid{});
        b.setMetrics(metrics, 40, true);
        // Measured at this resolution, also where the image before stood.
        EXPECT_NEAR(b.CellW, 52 * scale, 2 * scale);
        const int ruleY = int(170 * scale);
        hissan::MojiPut(b, int(10 * scale), int(10 * scale), Colour::of(Role::Digit), 40, "8");
        hissan::SenDsp(b, 0, ruleY, img.width(), ruleY, 4, Colour::of(Role::Rule));
        {
            QPainter p(&img);
            app::renderOps(p, canvas.ops(), metrics, {1, false, size_t(-1), 0});
        }
        // Thickness of the rule, and height of the "８" down its middle.
        const int ruleX = img.width() * 3 / 4;
        int thickness = 0;
        for (int y = int(150 * scale); y < img.height(); ++y)
            if (img.pixelColor(ruleX, y) != board) ++thickness;
        const int glyphX = int(10 * scale) + b.CellW / 2;
        int top = -1, bottom = -1;
        for (int y = 0; y < int(150 * scale); ++y)
            if (img.pixelColor(glyphX, y) != board) {
                if (top < 0) top = y;
                bottom = y;
            }
        ASSERT_GT(top, 0);
        EXPECT_NEAR(thickness, 4 * scale, 1.5);
        const double proportion = double(thickness) / (bottom - top + 1);
        if (dpi == 96) screenProportion = proportion;
        EXPECT_NEAR(proportion, screenProportion, screenProportion * 0.25);
    }
}

TEST(Render, ExtentCoversEverythingDrawn) {
    Scene s;
    hissan::MojiPut(s.b, 100, 40, Colour::of(Role::Digit), 40, "1");
    hissan::SenDsp(s.b, 10, 300, 500, 300, 4, Colour::of(Role::Rule));
    const QRect r = app::opsExtent(s.canvas.ops());
    EXPECT_LE(r.left(), 10);
    EXPECT_LE(r.top(), 40);
    EXPECT_GE(r.right(), 500);
    EXPECT_GE(r.bottom(), 300);
}

}  // namespace
