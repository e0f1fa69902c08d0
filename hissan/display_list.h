// A recorded board drawing: the ops a layout made, in order, with pacing marks.
#pragma once

#include <string>
#include <vector>

#include "hissan/canvas.h"

namespace hissan {

struct Op {
    enum Kind : uint8_t { Text, Line, Rect, Pause, Step };
    Kind kind = Text;
    bool stepOnly = false;   // shown only while step mode is on
    Part part = Part::None;  // what it is in the written calculation
    bool bold = false;
    bool underline = false;
    bool dotted = false;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Text: x1,y1 top-left; x2 = pen x after it
    int size = 0;                        // Text: point size
    int width = 0;                       // Line: pen width
    int units = 0;                       // Pause: multiples of StrokeDelay x 100 ms
    Colour colour;                       // Text: font colour, Line: pen, Rect: brush
    std::string text;                    // UTF-8
};

using DisplayList = std::vector<Op>;

// The canvas the engine draws on: records every op into a display list.
class RecordingCanvas : public Canvas {
  public:
    explicit RecordingCanvas(const Metrics& m) : metrics_(m) {}

    const Metrics& metrics() const override { return metrics_; }
    void pause(int units) override;
    void stepPoint() override;

    const DisplayList& ops() const { return ops_; }
    DisplayList& ops() { return ops_; }
    DisplayList take() { return std::move(ops_); }
    void clear() { ops_.clear(); }

  protected:
    void drawText(int x, int y, std::string_view utf8) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawRect(int x1, int y1, int x2, int y2) override;

  private:
    const Metrics& metrics_;
    DisplayList ops_;
};

}  // namespace hissan
