#include "hissan/canvas.h"

namespace hissan {

namespace {

constexpr uint32_t rgb(int r, int g, int b) {
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

Scheme makeScheme(bool white) {
    Scheme s;
    auto set = [&s, white](Role role, uint32_t black, uint32_t whiteValue) {
        s.rgb[static_cast<int>(role)] = white ? whiteValue : black;
    };
    const uint32_t yellow = rgb(255, 255, 0), grey = rgb(128, 128, 128), black = rgb(0, 0, 0);
    const uint32_t aqua = rgb(0, 255, 255), red = rgb(255, 0, 0);
    set(Role::Background, rgb(0, 128, 0), rgb(255, 255, 255));
    set(Role::Digit, rgb(255, 255, 255), black);
    set(Role::Sign, yellow, black);
    set(Role::Point, yellow, black);
    set(Role::Rule, yellow, grey);
    set(Role::Carry, yellow, grey);
    set(Role::Note, yellow, grey);
    set(Role::Answer, red, black);
    set(Role::Aux, aqua, grey);
    set(Role::AddedPoint, aqua, grey);
    set(Role::AquaLine, aqua, grey);
    set(Role::NewPoint, aqua, grey);
    set(Role::RedLine, red, grey);
    set(Role::ReducedDigit, red, grey);
    set(Role::Strike, yellow, black);
    set(Role::PointStrike, red, black);
    return s;
}

// 見やすい色: the blackboard's roles on a deeper green, every colour at
// least 4.5 times as light as the board (a washed-out projector keeps them
// readable), and the red roles moved apart for pupils who see red and green
// alike: the answer in pink, the borrow marks and the second rule in orange.
// Pink, orange and yellow differ in lightness and in blue, which those
// pupils still see.
Scheme makeContrastScheme() {
    Scheme s;
    auto set = [&s](Role role, uint32_t value) { s.rgb[static_cast<int>(role)] = value; };
    const uint32_t yellow = rgb(255, 255, 0), aqua = rgb(0, 255, 255);
    const uint32_t pink = rgb(255, 150, 210), orange = rgb(255, 170, 50);
    set(Role::Background, rgb(0, 72, 32));
    set(Role::Digit, rgb(255, 255, 255));
    set(Role::Sign, yellow);
    set(Role::Point, yellow);
    set(Role::Rule, yellow);
    set(Role::Carry, yellow);
    set(Role::Note, yellow);
    set(Role::Answer, pink);
    set(Role::Aux, aqua);
    set(Role::AddedPoint, aqua);
    set(Role::AquaLine, aqua);
    set(Role::NewPoint, aqua);
    set(Role::RedLine, orange);
    set(Role::ReducedDigit, orange);
    set(Role::Strike, yellow);
    set(Role::PointStrike, orange);
    return s;
}

}  // namespace

const Scheme& schemeFor(int dspClType) {
    static const Scheme blackboard = makeScheme(false);
    static const Scheme whiteboard = makeScheme(true);
    static const Scheme contrast = makeContrastScheme();
    switch (dspClType) {
        case kSchemeWhiteboard:
            return whiteboard;
        case kSchemeContrast:
            return contrast;
        default:  // kSchemeBlackboard, and any number no scheme has
            return blackboard;
    }
}

int displayCells(std::string_view utf8) {
    int cells = 0;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + len > utf8.size()) len = utf8.size() - i;
        // Half-width katakana (U+FF61..U+FF9F) take one cell like ASCII.
        bool half = len == 1;
        if (len == 3 && c == 0xEF) {
            const unsigned cp =
                ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            half = cp >= 0xFF61 && cp <= 0xFF9F;
        }
        cells += half ? 1 : 2;
        i += len;
    }
    return cells;
}

int FixedMetrics::textWidth(std::string_view utf8, int pointSize, bool) const {
    const int half = static_cast<int>(pointSize * 0.66 + 1e-9);
    return displayCells(utf8) * half;
}

int FixedMetrics::textHeight(int pointSize) const {
    return static_cast<int>(pointSize * 1.425 + 1e-9);
}

int FixedMetrics::fontHeightValue(int pointSize) const {
    return -(pointSize * 4 / 3);
}

void Canvas::textOut(int x, int y, std::string_view utf8) {
    drawText(x, y, utf8);
    penX_ = x + textWidth(utf8);
    penY_ = y;
}

void Canvas::lineTo(int x, int y) {
    drawLine(penX_, penY_, x, y);
    penX_ = x;
    penY_ = y;
}

void Canvas::fillRect(int x1, int y1, int x2, int y2) {
    drawRect(x1, y1, x2, y2);
}

}  // namespace hissan
