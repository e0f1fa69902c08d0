// Qt side of the board drawing: the board font, its metrics, and replaying a
// recorded display list with a QPainter onto a widget, an image or a printer.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <unordered_map>

#include "hissan/canvas.h"
#include "hissan/display_list.h"

class QPaintDevice;
class QPainter;

namespace app {

// The installed family used for a stored board font name. "ＭＳゴシック" and any
// name that is not installed map to the fixed-pitch Japanese font (IPAGothic,
// else Noto Sans Mono CJK JP); the substitution is registered with QFont.
QString boardFontFamily(const std::string& fontName);

// Board font metrics measured with QFontMetrics on a paint device (the screen
// when `device` is null, else e.g. a printer, whose resolution differs).
class QtMetrics : public hissan::Metrics {
  public:
    explicit QtMetrics(QString family, const QPaintDevice* device = nullptr);
    int textWidth(std::string_view utf8, int pointSize, bool bold) const override;
    int textHeight(int pointSize) const override;
    int fontHeightValue(int pointSize) const override;
    const QString& family() const { return family_; }
    QFont font(int pointSize, bool bold = false, bool underline = false) const;

  private:
    QString family_;
    const QPaintDevice* device_;
    // Widths already measured, by size, boldness and text: a layout asks for
    // the same few glyphs over and over.
    mutable std::unordered_map<std::string, int> widths_;
    mutable std::unordered_map<int, int> heights_;
};

struct RenderOptions {
    int scheme = 0;             // 0 blackboard, 1 whiteboard
    bool stepMode = false;      // show the ops recorded as step-mode only
    size_t count = size_t(-1);  // replay the first `count` ops (the revealed part)
    int dy = 0;                 // added to every y (minus the scroll position)
};

// Replays ops onto `p` with the fonts of `metrics` and the scheme's colours.
// The painter's device should be the one `metrics` measured on.
void renderOps(QPainter& p, const hissan::DisplayList& ops, const QtMetrics& metrics,
               const RenderOptions& opt);

// The scheme's background colour, to fill the board before replaying.
QColor backgroundColour(int scheme);
QColor toQColor(uint32_t rgb);

// Bounding box of everything drawn (for exporting a board at its own size).
QRect opsExtent(const hissan::DisplayList& ops);

}  // namespace app
