#include "hissan/rows.h"

#include <algorithm>
#include <map>

#include "hissan/primitives.h"

namespace hissan {

namespace {

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Full-width glyphs back to the ASCII the pupil typed; other texts unchanged.
std::string asciiOf(const std::string& text) {
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
        for (char c = '0'; c <= '9'; ++c) t[ZenkakuMoji(c)] = std::string(1, c);
        t["＋"] = "+";
        t["－"] = "-";
        t["×"] = "*";
        t["÷"] = "/";
        t["＝"] = "=";
        t["●"] = ".";
        t["□"] = "#";
        t["\u3000"] = " ";
        return t;
    }();
    const auto it = table.find(text);
    return it == table.end() ? text : it->second;
}

int codePoints(const std::string& utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

struct Item {
    int key = 0;  // 2 * column (+1 for a glyph; a point sits on the boundary)
    int col = 0;
    int span = 1;
    bool point = false;
    std::string text;
};

}  // namespace

std::vector<BoardRow> boardRows(const DisplayList& ops, const Grid& b, bool withStepOnly) {
    const int cell = std::max(1, b.CellW);
    std::map<int, std::vector<Item>> byY;
    std::map<int, int> sizeOf;
    int minCol = 0;
    bool any = false;
    for (const Op& op : ops) {
        if (op.kind != Op::Text || op.text.empty()) continue;
        if (op.stepOnly && !withStepOnly) continue;
        Item it;
        int y = op.y1;
        if (op.text == "●") {
            // A point is drawn lower than its digits and on a column boundary.
            y = op.y1 - Trunc(0.6 * b.CharH);
            it.point = true;
            it.col = floorDiv(op.x1 - b.OriginX + cell / 2, cell);
            it.key = 2 * it.col;
            it.span = 0;
        } else {
            it.col = floorDiv(op.x1 - b.OriginX + cell / 4, cell);
            it.key = 2 * it.col + 1;
        }
        it.text = asciiOf(op.text);
        if (!it.point && codePoints(it.text) > 1) {
            // A label or a carry of several digits covers the columns of its
            // width. A single glyph stands in the column its x falls in, also
            // when the font draws it a pixel or two wider than a cell.
            const int w = op.x2 - op.x1;
            it.span = std::max(1, (w + cell - 1) / cell);
        }
        if (!any || it.col < minCol) minCol = it.col;
        any = true;
        byY[y].push_back(std::move(it));
        sizeOf[y] = std::max(sizeOf[y], op.size);
    }

    std::vector<BoardRow> rows;
    for (auto& [y, items] : byY) {
        // Later ops at the same place overwrite earlier ones, as on the board.
        std::stable_sort(items.begin(), items.end(),
                         [](const Item& l, const Item& r) { return l.key < r.key; });
        std::vector<Item> kept;
        for (Item& it : items) {
            if (!kept.empty() && kept.back().key == it.key)
                kept.back() = std::move(it);
            else
                kept.push_back(std::move(it));
        }
        BoardRow row;
        row.y = y;
        row.size = sizeOf[y];
        int cursor = minCol;
        for (const Item& it : kept) {
            while (cursor < it.col) {
                row.text += ' ';
                ++cursor;
            }
            row.text += it.text;
            if (!it.point) cursor = std::max(cursor, it.col + it.span);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> boardRowTexts(const DisplayList& ops, const Grid& b, bool withStepOnly) {
    std::vector<std::string> out;
    for (BoardRow& row : boardRows(ops, b, withStepOnly)) {
        while (!row.text.empty() && row.text.back() == ' ') row.text.pop_back();
        out.push_back(std::move(row.text));
    }
    return out;
}

}  // namespace hissan
