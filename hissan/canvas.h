// The drawing surface of the column layouts: colours, metrics and the canvas.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hissan {

// A colour is either a slot of the current scheme (resolved when the board is
// rendered, so a scheme change needs no new layout) or a fixed RGB value.
enum class Role : uint8_t {
    Background,
    Digit,
    Sign,
    Point,
    Rule,
    Carry,
    Note,
    Answer,
    Aux,           // auxiliary: added zeros and points, answer underline
    AddedPoint,    // a point added to an operand that had none
    AquaLine,      // slash in decimal subtraction, lines over zeros set apart
    NewPoint,      // moved point of a decimal division
    RedLine,       // slash in integer subtraction, second multiplication rule
    ReducedDigit,  // lowered digit above a lending digit
    Strike,        // diagonal of a struck digit
    PointStrike,   // slanted line of a struck point
    Fixed,         // not a slot: `rgb` holds the value
};
constexpr int kRoleCount = static_cast<int>(Role::Fixed);

struct Colour {
    Role role = Role::Digit;
    uint32_t rgb = 0;  // 0xRRGGBB, only for Role::Fixed

    static constexpr Colour of(Role r) { return Colour{r, 0}; }
    static constexpr Colour fixed(int r, int g, int b) {
        return Colour{Role::Fixed, (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b)};
    }
    friend bool operator==(const Colour&, const Colour&) = default;
};

// The scheme roles by the names the layouts draw with.
constexpr Colour kDigit = Colour::of(Role::Digit);
constexpr Colour kSign = Colour::of(Role::Sign);
constexpr Colour kPoint = Colour::of(Role::Point);
constexpr Colour kRule = Colour::of(Role::Rule);
constexpr Colour kCarry = Colour::of(Role::Carry);
constexpr Colour kNote = Colour::of(Role::Note);
constexpr Colour kAnswer = Colour::of(Role::Answer);
constexpr Colour kAux = Colour::of(Role::Aux);
constexpr Colour kAddedPoint = Colour::of(Role::AddedPoint);
constexpr Colour kAquaLine = Colour::of(Role::AquaLine);
constexpr Colour kNewPoint = Colour::of(Role::NewPoint);
constexpr Colour kRedLine = Colour::of(Role::RedLine);
constexpr Colour kReducedDigit = Colour::of(Role::ReducedDigit);

// Fixed colours, the same in every scheme.
constexpr Colour kGrey = Colour::fixed(128, 128, 128);
constexpr Colour kSilver = Colour::fixed(192, 192, 192);
constexpr Colour kAqua = Colour::fixed(0, 255, 255);
constexpr Colour kBlue = Colour::fixed(0, 0, 255);
constexpr Colour kWhite = Colour::fixed(255, 255, 255);

// The colour schemes by their number (DSP_CL_TYPE): 黒板風, 白板風 and
// 見やすい色 (high contrast on a deep green, for projectors and for pupils
// who see red and green alike).
constexpr int kSchemeBlackboard = 0;
constexpr int kSchemeWhiteboard = 1;
constexpr int kSchemeContrast = 2;
constexpr int kSchemeCount = 3;

// One value per role for one scheme.
struct Scheme {
    std::array<uint32_t, kRoleCount> rgb{};
    uint32_t resolve(Colour c) const {
        return c.role == Role::Fixed ? c.rgb : rgb[static_cast<int>(c.role)];
    }
};
const Scheme& schemeFor(int dspClType);

// What a drawn op is in the written calculation. The layout that draws an op
// sets it, like its colour; worksheets and practice select ops by their part,
// never by their colour.
enum class Part : uint8_t {
    None,           // not set: no layout op is left so
    Expression,     // the expression line as typed, its "=" and the prompt
    Operand,        // the operands written in the columns, their typed points
    OperatorRule,   // the operator sign in the columns and the first rule
    DivisionFrame,  // the bracket of a long division and its line
    Working,        // the pupil's working: partial results, added zeros and points, rules
    Mark,           // a carry or a borrow mark, a struck or lowered digit
    Answer,         // the answer row in the columns and the answer after "="
    Label,          // a part name beside a row ("←和", "割る数↓")
    Note,           // what the problem asks for: the division note, a method's title
    StepOnly,       // shown only in step mode ("[終わり]", the placeholder "□")
};

// Text measurement of the board font. The program measures with Qt's font
// metrics; the engine tests use FixedMetrics so that layouts are deterministic.
class Metrics {
  public:
    virtual ~Metrics() = default;
    // Width in pixels of a UTF-8 text at a point size.
    virtual int textWidth(std::string_view utf8, int pointSize, bool bold) const = 0;
    // Height in pixels of a text line at a point size.
    virtual int textHeight(int pointSize) const = 0;
    // The font's height value as the board canvas reports it: negative, its
    // magnitude one glyph height in pixels (used for the answer underline).
    virtual int fontHeightValue(int pointSize) const = 0;
};

// Deterministic metric: a half-width character is trunc(0.66 * size) wide, a
// full-width one twice that; a line is trunc(1.425 * size) high. At size 40
// this gives DigitW 26 and CharH 57, like the board font on screen.
class FixedMetrics : public Metrics {
  public:
    int textWidth(std::string_view utf8, int pointSize, bool bold) const override;
    int textHeight(int pointSize) const override;
    int fontHeightValue(int pointSize) const override;
};

// Number of display cells of a UTF-8 text: 1 per ASCII/half-width character,
// 2 per other character.
int displayCells(std::string_view utf8);

// The board canvas: text at a point with the pen left at its end, filled
// rectangles, lines with width, colour and dotted style, font size, colour and
// style, pen position. Pacing is recorded, not slept: `pause(n)` asks the
// player to wait n x StrokeDelay x 100 ms, `stepPoint()` marks a manual step.
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual const Metrics& metrics() const = 0;

    // font
    void setFontSize(int pt) { fontSize_ = pt; }
    int fontSize() const { return fontSize_; }
    void setFontColour(Colour c) { fontColour_ = c; }
    Colour fontColour() const { return fontColour_; }
    void setFontStyle(bool bold, bool underline) {
        bold_ = bold;
        underline_ = underline;
    }
    bool bold() const { return bold_; }
    bool underline() const { return underline_; }
    int fontHeightValue() const { return metrics().fontHeightValue(fontSize_); }
    int textWidth(std::string_view utf8) const {
        return metrics().textWidth(utf8, fontSize_, bold_);
    }
    int textHeight() const { return metrics().textHeight(fontSize_); }

    // brush and pen
    void setBrushColour(Colour c) { brush_ = c; }
    Colour brushColour() const { return brush_; }
    void setPen(int width, Colour c, bool dotted = false) {
        penWidth_ = width;
        penColour_ = c;
        dotted_ = dotted;
    }
    int penWidth() const { return penWidth_; }
    Colour penColour() const { return penColour_; }
    bool dotted() const { return dotted_; }
    int penX() const { return penX_; }
    int penY() const { return penY_; }
    void moveTo(int x, int y) {
        penX_ = x;
        penY_ = y;
    }

    // drawing: each records one op and moves the pen like the board canvas does
    void textOut(int x, int y, std::string_view utf8);
    void lineTo(int x, int y);
    void fillRect(int x1, int y1, int x2, int y2);  // brush colour, right/bottom exclusive

    // pacing
    virtual void pause(int units) = 0;
    virtual void stepPoint() = 0;

    // The part of the calculation the following ops belong to.
    void setPart(Part p) { part_ = p; }
    Part part() const { return part_; }

    // Ops recorded while this is set are shown only in step mode.
    void setStepOnly(bool on) { stepOnly_ = on; }
    bool stepOnly() const { return stepOnly_; }

  protected:
    virtual void drawText(int x, int y, std::string_view utf8) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void drawRect(int x1, int y1, int x2, int y2) = 0;

  private:
    int fontSize_ = 40;
    Colour fontColour_ = Colour::of(Role::Digit);
    bool bold_ = false;
    bool underline_ = false;
    Colour brush_ = Colour::of(Role::Background);
    int penWidth_ = 1;
    Colour penColour_ = Colour::of(Role::Rule);
    bool dotted_ = false;
    int penX_ = 0;
    int penY_ = 0;
    bool stepOnly_ = false;
    Part part_ = Part::None;
};

// Sets the canvas's part for a scope and restores the previous one after it.
class PartScope {
  public:
    PartScope(Canvas& cv, Part p) : cv_(cv), before_(cv.part()) { cv.setPart(p); }
    ~PartScope() { cv_.setPart(before_); }
    PartScope(const PartScope&) = delete;
    PartScope& operator=(const PartScope&) = delete;

  private:
    Canvas& cv_;
    Part before_;
};

}  // namespace hissan
