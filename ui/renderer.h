// Qt side of the board drawing: the board font, its metrics, and replaying a
// recorded display list with a QPainter onto a widget, an image or a printer.
#pragma once

#include <QFont>
#include <QRawFont>
#include <QString>
#include <string>
#include <unordered_map>

#include "hissan/canvas.h"
#include "hissan/display_list.h"

class QPaintDevice;
class QPainter;

namespace app {

// The installed family used for a stored board font name. "ＭＳゴシック" and any
// name that is not installed map to the fixed-pitch Japanese font (Noto Sans
// Mono CJK JP, whose half-width zero is plain, else IPAGothic); the
// substitution is registered with QFont.
QString boardFontFamily(const std::string& fontName);

// The board places every text by a character cell one em high, the em square
// of a Japanese font, with the baseline 0.88 em below its top (where the
// ideographic em box of Noto CJK and IPAGothic has it). The font's own line
// box is not used: Noto Sans Mono CJK JP's is 1.44 em high (76 px at 40 pt,
// against 57 px for IPAGothic), which would push the rows of a calculation
// apart and its glyphs off the rules and points placed by the cell. At 40 pt
// on a 96 dpi screen a cell is 53 px high, the baseline at 47 px; a
// half-width digit of either font is 26.5 px wide (DigitW 26).
int verticalDpi(const QPaintDevice* device);  // null: the primary screen
int emPixels(int pointSize, const QPaintDevice* device);
int cellAscent(int pointSize, const QPaintDevice* device);

// Board font metrics measured with QFontMetrics on a paint device (the screen
// when `device` is null, else e.g. a printer, whose resolution differs); the
// text height is the character cell above.
//
// On a PDF page (app::PdfWriter) the widths come from the advances of one
// loaded font, copied to each size, instead: loading the font anew for each
// of a board's sizes (fontconfig matching it every time) and shaping each
// text was a third of exporting one board. The widths are the same where
// the font's hinting does not vary with its size, as with the board fonts;
// where it does, the PDF is laid out by the widths it is drawn with.
class QtMetrics : public hissan::Metrics {
  public:
    explicit QtMetrics(QString family, const QPaintDevice* device = nullptr);
    int textWidth(std::string_view utf8, int pointSize, bool bold) const override;
    int textHeight(int pointSize) const override;
    int fontHeightValue(int pointSize) const override;
    const QString& family() const { return family_; }
    const QPaintDevice* device() const { return device_; }  // null: the screen
    QFont font(int pointSize, bool bold = false, bool underline = false) const;
    // On a PDF page: the board font at `pointSize` (or at `pixels`), a copy
    // of the one loaded font; else an invalid font.
    QRawFont rawFont(int pointSize, bool bold) const;
    QRawFont rawFontAtPixels(int pixels, bool bold) const;

  private:
    QString family_;
    const QPaintDevice* device_;
    bool pdf_ = false;
    // Widths already measured, by size, boldness and text: a layout asks for
    // the same few glyphs over and over.
    mutable std::unordered_map<std::string, int> widths_;
    mutable QRawFont loaded_[2];  // regular and bold, at the first size asked for
    mutable std::unordered_map<int, QRawFont> sized_;  // by pixels * 2 + bold
};

struct RenderOptions {
    int scheme = 0;             // 0 blackboard, 1 whiteboard
    bool stepMode = false;      // show the ops recorded as step-mode only
    size_t count = size_t(-1);  // replay the first `count` ops (the revealed part)
    int dy = 0;                 // added to every y (minus the scroll position)
};

// The resolution the pen widths of the layouts are given for.
constexpr int kBoardDpi = 96;

// Replays ops onto `p` with the fonts of `metrics` and the scheme's colours.
// The painter's device should be the one `metrics` measured on; pen widths
// are scaled by its resolution over kBoardDpi.
void renderOps(QPainter& p, const hissan::DisplayList& ops, const QtMetrics& metrics,
               const RenderOptions& opt);

// The scheme's background colour, to fill the board before replaying.
QColor backgroundColour(int scheme);
QColor toQColor(uint32_t rgb);

// Bounding box of everything drawn (for exporting a board at its own size).
QRect opsExtent(const hissan::DisplayList& ops);

}  // namespace app
