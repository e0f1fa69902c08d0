#include "hissan/display_list.h"

namespace hissan {

void RecordingCanvas::pause(int units) {
    if (units <= 0) return;
    Op op;
    op.kind = Op::Pause;
    op.units = units;
    op.stepOnly = stepOnly();
    op.part = part();
    ops_.push_back(std::move(op));
}

void RecordingCanvas::stepPoint() {
    Op op;
    op.kind = Op::Step;
    op.stepOnly = stepOnly();
    op.part = part();
    ops_.push_back(std::move(op));
}

void RecordingCanvas::drawText(int x, int y, std::string_view utf8) {
    Op op;
    op.kind = Op::Text;
    op.x1 = x;
    op.y1 = y;
    op.x2 = x + textWidth(utf8);
    op.y2 = y + textHeight();
    op.size = fontSize();
    op.bold = bold();
    op.underline = underline();
    op.colour = fontColour();
    op.text = std::string(utf8);
    op.stepOnly = stepOnly();
    op.part = part();
    ops_.push_back(std::move(op));
}

void RecordingCanvas::drawLine(int x1, int y1, int x2, int y2) {
    Op op;
    op.kind = Op::Line;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.width = penWidth();
    op.dotted = dotted();
    op.colour = penColour();
    op.stepOnly = stepOnly();
    op.part = part();
    ops_.push_back(std::move(op));
}

void RecordingCanvas::drawRect(int x1, int y1, int x2, int y2) {
    Op op;
    op.kind = Op::Rect;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.colour = brushColour();
    op.stepOnly = stepOnly();
    op.part = part();
    ops_.push_back(std::move(op));
}

}  // namespace hissan
