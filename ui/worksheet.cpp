#include "ui/worksheet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageSize>
#include <QPainter>
#include <QRawFont>
#include <QStringDecoder>
#include <QTextLayout>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <tuple>
#include <unordered_map>

#include "core/keisan.h"
#include "ui/board_entry.h"
#include "ui/output_file.h"
#include "ui/pdf_writer.h"

namespace worksheet {

namespace {

// Page geometry in pixels at 96 dots per inch (A4: 794 x 1123).
constexpr double kMargin = 40;  // about 10 mm round the page
constexpr double kPad = 8;      // inside a cell, round its board
constexpr double kTitlePx = 22;
constexpr double kHeaderPx = 15;

}  // namespace

std::optional<Grid> parseGrid(const std::string& text) {
    size_t x = text.find('x');
    size_t sepLen = 1;
    if (x == std::string::npos) {
        x = text.find("×");
        sepLen = std::string("×").size();
    }
    if (x == std::string::npos || x == 0) return std::nullopt;
    auto number = [](const std::string& s) -> int {
        if (s.empty() || s.size() > 2) return 0;
        int v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return 0;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    const int cols = number(text.substr(0, x));
    const int rows = number(text.substr(x + sepLen));
    if (cols < 1 || cols > 10 || rows < 1 || rows > 10) return std::nullopt;
    return Grid{cols, rows};
}

namespace {

// A list of expressions is some lines of text; more than this is a file
// given by mistake (a picture, /dev/zero), refused before it fills the memory.
constexpr size_t kMaxListBytes = 1024 * 1024;

// The bytes of the file `path`. A folder, a pipe or a socket is refused
// before anything is read, so that nothing waits for a writer; a file or a
// device gives at most kMaxListBytes.
bool readList(const QString& path, QByteArray& bytes, std::string& error) {
    const std::string name = path.toStdString();
    const QByteArray local = QFile::encodeName(path);
    auto failed = [&](int why) {
        error = "cannot read " + name + ": " + std::strerror(why);
        return false;
    };
    // Not blocking, so that opening a pipe with no writer returns at once.
    const int fd = ::open(local.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return failed(errno);
    if (S_ISDIR(st.st_mode)) {
        error = name + " is a folder, not a file of expressions";
        return false;
    }
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        error = name + (S_ISFIFO(st.st_mode) ? " is a pipe" : " is a socket") +
                ", not a file of expressions";
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return failed(errno);
    std::string text;
    char block[16384];
    while (text.size() <= kMaxListBytes) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(errno);
        if (n == 0) break;
        text.append(block, size_t(n));
    }
    if (text.size() > kMaxListBytes) {
        error = name + " is larger than " + std::to_string(kMaxListBytes / 1024 / 1024) +
                " MB; a file of expressions has one expression a line";
        return false;
    }
    bytes = QByteArray::fromStdString(text);
    return true;
}

}  // namespace

bool readExpressions(const QString& path, std::vector<Source>& out, std::string& error) {
    QByteArray bytes;
    if (!readList(path, bytes, error)) return false;
    // UTF-8 unless a byte-order mark says otherwise (an editor may write one,
    // in UTF-8 or UTF-16); the mark itself is not part of the first line.
    // Checked as a whole so that a file in another encoding (Shift-JIS, say)
    // is reported instead of giving mangled expressions.
    const QStringConverter::Encoding encoding =
        QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decode(encoding, QStringDecoder::Flag::Stateless);
    const QString decoded = decode(bytes);
    if (decode.hasError()) {
        error =
            path.toStdString() + " is not " + QStringConverter::nameForEncoding(encoding) + " text";
        return false;
    }
    const std::string name = path.toStdString();
    const std::string text = decoded.toStdString();
    size_t lineNo = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
        while (!line.empty() && blank(line.back())) line.pop_back();
        size_t first = 0;
        while (first < line.size() && blank(line[first])) ++first;
        line.erase(0, first);
        if (line.empty()) continue;
        out.push_back({line, name + ":" + std::to_string(lineNo)});
    }
    return true;
}

// ---- one calculation ----------------------------------------------------------------

std::variant<Calculation, std::string> layOut(const std::string& expression,
                                              const hissan::TJouken& jk,
                                              const app::QtMetrics& metrics) {
    // Each calculation gets its own copy: a division working until it comes
    // out even changes the conditions it runs with.
    hissan::TJouken own = jk;
    tools::ToolHost host;
    app::Keisan k(own, metrics);
    if (auto why = tools::typeOnBoard(k, host, expression)) return *why;

    Calculation c;
    c.expression = k.ShikiNyuryoku();
    c.answer = k.Kotae();
    size_t layoutStart = 0;
    hissan::Grid grid;
    const hissan::DisplayList board = k.printLayout(metrics, &grid, &layoutStart);
    c.full.reserve(board.size());
    for (const hissan::Op& op : board)
        if (!op.stepOnly) c.full.push_back(op);
    c.problem = problemOps(board, layoutStart, k.shiki().Enzanshi);
    c.extent = app::opsExtent(c.full);
    bool first = true;
    for (const hissan::Op& op : c.full) {
        if (op.kind != hissan::Op::Text || op.part != hissan::Part::Expression) continue;
        c.lineTop = first ? op.y1 : std::min(c.lineTop, op.y1);
        c.lineBottom = first ? op.y2 : std::max(c.lineBottom, op.y2);
        if (first) c.lineMiddle = (op.y1 + op.y2) / 2;
        first = false;
    }
    c.squares = squaresOf(c, grid);
    return c;
}

bool onExpressionLine(const hissan::Op& op, const Calculation& c) {
    return onExpressionLine(op, c.lineTop, c.lineBottom);
}

Squares squaresOf(const Calculation& c, const hissan::Grid& grid) {
    return squaresOf(c.full, grid, c.lineTop, c.lineBottom);
}

// ---- the sheet ------------------------------------------------------------------------

// Glyph runs of the board's texts, shaped once for each font and text: a
// sheet draws the same few digits thousands of times.
class GlyphCache {
  public:
    struct Entry {
        QList<QGlyphRun> runs;
        double dy = 0;  // from the text's top to the runs' origin
        double advance = 0;
    };

    explicit GlyphCache(const app::QtMetrics& metrics) : metrics_(metrics) {}

    const Entry& shaped(QPainter& p, const hissan::Op& op) {
        std::string key = std::to_string(op.size * 2 + (op.bold ? 1 : 0));
        key += '|';
        key += op.text;
        auto it = runs_.find(key);
        if (it != runs_.end()) return it->second;
        Entry e;
        const QString text = QString::fromStdString(op.text);
        const bool plain = std::none_of(text.begin(), text.end(),
                                        [](QChar c) { return c.isSurrogate() || c.isMark(); });
        if (text.size() > 1 && plain) {
            // A text of several characters (an answer, a note) is its
            // characters one after another: the board font has a fixed
            // pitch and no kerning, and each character is shaped only once.
            double x = 0;
            hissan::Op one = op;
            for (QChar c : text) {
                one.text = QString(c).toStdString();
                const Entry& ce = shaped(p, one);
                for (const QGlyphRun& r : ce.runs) {
                    QGlyphRun moved = r;
                    QList<QPointF> positions = r.positions();
                    for (QPointF& q : positions) q += QPointF(x, ce.dy);
                    moved.setPositions(positions);
                    e.runs.append(moved);
                }
                x += ce.advance;
            }
            e.advance = x;
        } else if (fromRawFont(metrics_.rawFont(op.size, op.bold), text, e)) {
            // The board places a text's baseline at the cell ascent below its top.
            e.dy = app::cellAscent(op.size, device(p));
        } else {
            QTextLayout layout(text, metrics_.font(op.size, op.bold), device(p));
            layout.beginLayout();
            QTextLine line = layout.createLine();
            layout.endLayout();
            e.runs = layout.glyphRuns();
            // The board places a text's baseline at the cell ascent below its top.
            e.dy = app::cellAscent(op.size, device(p)) - line.ascent();
            e.advance = line.naturalTextWidth();
        }
        return runs_.emplace(std::move(key), std::move(e)).first->second;
    }

    // One character of a plain font (the cells' numbers), with the runs'
    // origin on the baseline and its advance.
    const Entry& shaped(QPainter& p, const QFont& font, QChar c, double& advance) {
        const uint64_t key = (uint64_t(font.pixelSize()) << 32) | c.unicode();
        auto it = chars_.find(key);
        if (it == chars_.end()) {
            Entry e;
            if (!fromRawFont(metrics_.rawFontAtPixels(font.pixelSize(), font.bold()), QString(c),
                             e)) {
                QTextLayout layout(QString(c), font, device(p));
                layout.beginLayout();
                QTextLine line = layout.createLine();
                layout.endLayout();
                e.runs = layout.glyphRuns();
                e.dy = -line.ascent();
                e.advance = line.naturalTextWidth();
            }
            it = chars_.emplace(key, std::move(e)).first;
        }
        advance = it->second.advance;
        return it->second;
    }

  private:
    // A text as the glyphs of the board font the metrics measure with on a
    // PDF page, their origins on the baseline: no font loaded again for each
    // size, nothing shaped. False (and `e` untouched) where there is no such
    // font or it lacks a character.
    static bool fromRawFont(const QRawFont& raw, const QString& text, Entry& e) {
        app::RawText set = app::setOnRawFont(raw, text);
        if (set.empty()) return false;
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(set.glyphs);
        run.setPositions(set.positions);
        e.runs = {run};
        e.dy = 0;
        e.advance = set.advance;
        return true;
    }

    // The boards are measured and shaped on the sheet's own page (96 dots
    // per inch) whatever they are drawn on: a printer's page is scaled to it.
    const QPaintDevice* device(QPainter& p) const {
        return metrics_.device() ? metrics_.device() : p.device();
    }
    const app::QtMetrics& metrics_;
    std::unordered_map<std::string, Entry> runs_;
    std::unordered_map<uint64_t, Entry> chars_;
};

namespace {

// Page geometry in pixels at 96 dots per inch (A4: 794 x 1123).
constexpr double kHeaderH = 76;     // title, date, name and score box
constexpr double kFooterH = 14;     // the page number
constexpr double kLineGap = 4;      // between the expression line and the working
constexpr double kSquarePx = 37.8;  // 1 cm: the largest square of the working
constexpr double kLineEmPx = 22;    // the largest expression line: 6 mm characters

QRectF boxOf(const hissan::DisplayList& ops) {
    return QRectF(app::opsExtent(ops));
}

}  // namespace

// What the cells of a page draw, gathered so that the PDF gets one text
// object for each font, colour and scale and one path for each kind of line,
// instead of one for every glyph and every rule.
class Ink {
  public:
    Ink(GlyphCache& glyphs, const app::QtMetrics& metrics) : glyphs_(glyphs), metrics_(metrics) {}

    // A board's ops, in the whiteboard's colours, through `t` (board
    // pixels to page pixels, scaling by `scale`).
    void ops(QPainter& p, const hissan::DisplayList& ops, const QTransform& t, double scale) {
        using hissan::Op;
        const hissan::Scheme& scheme = hissan::schemeFor(1);
        const QPaintDevice* page = metrics_.device() ? metrics_.device() : p.device();
        const double penScale = app::verticalDpi(page) / double(app::kBoardDpi);
        for (const Op& op : ops) {
            const uint32_t colour = scheme.resolve(op.colour);
            if (op.kind == Op::Text && !op.underline) {
                const GlyphCache::Entry& e = glyphs_.shaped(p, op);
                const QPointF at(op.x1, op.y1 + e.dy);
                for (const QGlyphRun& run : e.runs) {
                    Glyphs& g = glyphsFor(run.rawFont(), colour, scale);
                    g.glyphs += run.glyphIndexes();
                    for (const QPointF& pos : run.positions())
                        g.positions.push_back(t.map(pos + at) / scale);
                }
            } else if (op.kind == Op::Line) {
                QPen pen(app::toQColor(colour));
                pen.setWidthF(std::max(1, op.width) * penScale);
                pen.setStyle(op.dotted ? Qt::DotLine : Qt::SolidLine);
                pen.setCapStyle(Qt::FlatCap);
                linesFor(pen, scale)
                    .lines.push_back(QLineF(t.map(QPointF(op.x1, op.y1)) / scale,
                                            t.map(QPointF(op.x2, op.y2)) / scale));
            } else if (op.kind == Op::Text || op.kind == Op::Rect) {
                // Rare: an underlined text, a filled mark. Drawn as they come.
                p.save();
                p.setTransform(t, true);
                if (op.kind == Op::Rect) {
                    p.fillRect(QRect(QPoint(op.x1, op.y1), QPoint(op.x2 - 1, op.y2 - 1)),
                               app::toQColor(colour));
                } else {
                    // In pixels of the sheet's page, whatever device draws it.
                    QFont f = metrics_.font(op.size, op.bold, true);
                    f.setPixelSize(app::emPixels(op.size, page));
                    p.setPen(app::toQColor(colour));
                    p.setFont(f);
                    p.drawText(QPointF(op.x1, op.y1 + app::cellAscent(op.size, page)),
                               QString::fromStdString(op.text));
                }
                p.restore();
            }
        }
    }

    // A text of a plain font in black, its baseline starting at `at` (page pixels).
    void text(QPainter& p, const QFont& font, const QString& text, QPointF at) {
        for (QChar c : text) {
            double advance = 0;
            const GlyphCache::Entry& e = glyphs_.shaped(p, font, c, advance);
            for (const QGlyphRun& run : e.runs) {
                Glyphs& g = glyphsFor(run.rawFont(), 0x000000, 1.0);
                g.glyphs += run.glyphIndexes();
                for (const QPointF& pos : run.positions())
                    g.positions.push_back(pos + at + QPointF(0, e.dy));
            }
            at.rx() += advance;
        }
    }

    // Lines given in board pixels, through `t`.
    void lines(const QList<QLineF>& lines, const QPen& pen, const QTransform& t, double scale) {
        Lines& l = linesFor(pen, scale);
        for (const QLineF& line : lines)
            l.lines.push_back(QLineF(t.map(line.p1()) / scale, t.map(line.p2()) / scale));
    }

    // Draws everything gathered: the lines (the squares first), then the texts.
    void flush(QPainter& p) {
        for (const Lines& l : lines_) {
            p.save();
            p.scale(l.scale, l.scale);
            p.setPen(l.pen);
            p.drawLines(l.lines);
            p.restore();
        }
        for (const Glyphs& g : glyphs_list_) {
            QGlyphRun run;
            run.setRawFont(g.font);
            run.setGlyphIndexes(g.glyphs);
            run.setPositions(g.positions);
            p.save();
            p.scale(g.scale, g.scale);
            p.setPen(app::toQColor(g.colour));
            // A PDF page takes the glyphs as they are; QPainter would lay
            // the run out again.
            if (auto* pdf = dynamic_cast<app::PdfWriter*>(p.device()))
                pdf->drawGlyphs(p, g.font, g.glyphs, g.positions);
            else
                p.drawGlyphRun(QPointF(0, 0), run);
            p.restore();
        }
        lines_.clear();
        glyphs_list_.clear();
    }

  private:
    struct Glyphs {
        QRawFont font;
        uint32_t colour;
        double scale;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    struct Lines {
        QPen pen;
        double scale;
        QList<QLineF> lines;
    };
    Glyphs& glyphsFor(const QRawFont& font, uint32_t colour, double scale) {
        for (Glyphs& g : glyphs_list_)
            if (g.colour == colour && g.scale == scale && g.font == font) return g;
        glyphs_list_.push_back(Glyphs{font, colour, scale, {}, {}});
        return glyphs_list_.back();
    }
    Lines& linesFor(const QPen& pen, double scale) {
        for (Lines& l : lines_)
            if (l.scale == scale && l.pen == pen) return l;
        lines_.push_back(Lines{pen, scale, {}});
        return lines_.back();
    }
    GlyphCache& glyphs_;
    const app::QtMetrics& metrics_;
    std::vector<Glyphs> glyphs_list_;
    std::vector<Lines> lines_;
};

Sheet::Sheet(QSizeF pageSize, Grid grid, std::vector<Calculation> calculations, Style style,
             const app::QtMetrics& metrics)
    : page_(pageSize),
      grid_(grid),
      calculations_(std::move(calculations)),
      style_(std::move(style)),
      metrics_(metrics),
      glyphs_(std::make_unique<GlyphCache>(metrics)) {
    area_ = QRectF(kMargin, kMargin + kHeaderH, page_.width() - 2 * kMargin,
                   page_.height() - 2 * kMargin - kHeaderH - kFooterH);
    const QRectF box = boardRect(0);
    // The cells' numbers in the header's size, smaller only in small cells:
    // one size of font less to load.
    numberPx_ = box.height() * 0.07 >= 11 ? kHeaderPx : std::clamp(box.height() * 0.07, 9.0, 11.0);
    QFont f(metrics_.family());
    f.setPixelSize(int(numberPx_));
    const QFontMetricsF fm(f);
    // The last number has the most digits; the margin covers digits of
    // other widths.
    numberW_ = fm.horizontalAdvance(numberText(std::max(0, int(calculations_.size()) - 1))) +
               numberPx_ * 0.8;

    // The expression line and the working apart, each at one scale for the
    // whole sheet: the line as large as the widest allows, up to a size that
    // reads like a printed exercise, and the working as large as its cell
    // allows up to squares of about 1 cm.
    double emPx = 53, cellPx = 53;
    lineScale_ = 1;
    for (const Calculation& c : calculations_) {
        Printed pr;
        for (int answer = 0; answer < 2; ++answer) {
            hissan::DisplayList ops = paperOps(answer ? c.full : c.problem, answer == 1);
            for (hissan::Op& op : ops)
                (onExpressionLine(op, c) ? pr.line : pr.work)[answer].push_back(std::move(op));
        }
        pr.lineBox = boxOf(pr.line[1]);
        pr.workBox = boxOf(pr.work[1]);
        pr.squares = c.squares;
        if (pr.squares.columns > 0) cellPx = pr.squares.size;
        if (c.lineBottom > c.lineTop) emPx = c.lineBottom - c.lineTop;
        if (pr.lineBox.width() > 0)
            lineScale_ = std::min(lineScale_, (box.width() - numberW_) / pr.lineBox.width());
        printed_.push_back(std::move(pr));
    }
    // The squares: every working as many rows as the longest, the rows added
    // one under another as the board sets its rows apart.
    size_t rows = 0;
    for (const Printed& pr : printed_) rows = std::max(rows, pr.squares.rowTops.size());
    for (Printed& pr : printed_) {
        Squares& sq = pr.squares;
        if (sq.columns <= 0) continue;
        if (style_.squares) padRows(sq, rows);
        pr.workBox |= QRectF(sq.left, sq.rowTops.front(), sq.columns * sq.size,
                             sq.rowTops.back() + sq.size - sq.rowTops.front());
    }
    lineScale_ = std::min(lineScale_, std::min(kLineEmPx, box.height() * 0.1) / emPx);
    lineH_ = 0;
    for (const Printed& pr : printed_) lineH_ = std::max(lineH_, pr.lineBox.height() * lineScale_);
    lineH_ = std::max(lineH_, numberPx_ * 1.2);
    const QRectF room = box.adjusted(0, lineH_ + kLineGap, 0, 0);
    workScale_ = kSquarePx / cellPx;
    for (const Printed& pr : printed_) {
        if (pr.workBox.width() > 0)
            workScale_ = std::min(workScale_, room.width() / pr.workBox.width());
        if (pr.workBox.height() > 0)
            workScale_ = std::min(workScale_, room.height() / pr.workBox.height());
    }
}

Sheet::Sheet(Sheet&&) noexcept = default;
Sheet::~Sheet() = default;

QString Sheet::numberText(int index) const {
    const int n = index + 1;
    if (style_.circled && n <= 50) {
        // ① .. ⑳, ㉑ .. ㉟, ㊱ .. ㊿
        const char32_t c = n <= 20   ? U'\u2460' + char32_t(n - 1)
                           : n <= 35 ? U'\u3251' + char32_t(n - 21)
                                     : U'\u32B1' + char32_t(n - 36);
        return QString::fromUcs4(&c, 1);
    }
    return QStringLiteral("(%1)").arg(n);
}

int Sheet::pageCount() const {
    const int n = int(calculations_.size());
    const int pages = std::max(1, (n + grid_.perPage() - 1) / grid_.perPage());
    return style_.problems && style_.answers ? 2 * pages : pages;
}

bool Sheet::isAnswerPage(int page) const {
    return style_.problems && style_.answers && page >= pageCount() / 2;
}

int Sheet::calculationAt(int page, int slot) const {
    if (page < 0 || page >= pageCount() || slot < 0 || slot >= grid_.perPage()) return -1;
    const int sheetPage = isAnswerPage(page) ? page - pageCount() / 2 : page;
    const int index = sheetPage * grid_.perPage() + slot;
    return index < int(calculations_.size()) ? index : -1;
}

int Sheet::problemsOn(int page) const {
    int n = 0;
    for (int slot = 0; slot < grid_.perPage(); ++slot) n += calculationAt(page, slot) >= 0;
    return n;
}

QRectF Sheet::cellRect(int slot) const {
    const double w = area_.width() / grid_.cols;
    const double h = area_.height() / grid_.rows;
    const int col = slot % grid_.cols, row = slot / grid_.cols;
    return QRectF(area_.left() + col * w, area_.top() + row * h, w, h);
}

QRectF Sheet::boardRect(int slot) const {
    return cellRect(slot).adjusted(kPad, kPad, -kPad, -kPad);
}

const hissan::DisplayList& Sheet::lineOps(int index, bool answer) const {
    return printed_[size_t(index)].line[answer ? 1 : 0];
}

const hissan::DisplayList& Sheet::workOps(int index, bool answer) const {
    return printed_[size_t(index)].work[answer ? 1 : 0];
}

QTransform Sheet::lineTransform(int slot, int index) const {
    const QRectF box = boardRect(slot);
    const QRectF& from = printed_[size_t(index)].lineBox;
    QTransform t;
    t.translate(box.left() + numberW_, box.top() + (lineH_ - from.height() * lineScale_) / 2);
    t.scale(lineScale_, lineScale_);
    t.translate(-from.left(), -from.top());
    return t;
}

QTransform Sheet::workTransform(int slot, int index) const {
    const QRectF room = boardRect(slot).adjusted(0, lineH_ + kLineGap, 0, 0);
    const QRectF& from = printed_[size_t(index)].workBox;
    QTransform t;
    // Centred across the cell, from the top of the room under the line.
    t.translate(room.left() + (room.width() - from.width() * workScale_) / 2, room.top());
    t.scale(workScale_, workScale_);
    t.translate(-from.left(), -from.top());
    return t;
}

void Sheet::paintHeader(QPainter& p, int page) const {
    const double top = kMargin;
    const double left = kMargin;
    const double right = page_.width() - kMargin;
    p.setPen(Qt::black);
    QFont small(metrics_.family());
    small.setPixelSize(int(kHeaderPx));
    const QFontMetricsF sm(small, p.device());

    // The page number at the foot of the page.
    p.setFont(small);
    const QString number = QStringLiteral("%1 / %2").arg(page + 1).arg(pageCount());
    p.drawText(
        QPointF((page_.width() - sm.horizontalAdvance(number)) / 2, page_.height() - kMargin),
        number);

    const bool answers = isAnswerPage(page);
    QString title = style_.title;
    if (answers) title += title.isEmpty() ? QStringLiteral("答え") : QStringLiteral("　答え");
    QFont big(metrics_.family());
    big.setPixelSize(int(kTitlePx));
    const QFontMetricsF bm(big, p.device());
    const double row1 = top + 24, row2 = top + 56;

    QPen rule(QColor(64, 64, 64));
    rule.setWidthF(1.0);
    double titleRoom = right - left;
    if (!answers) {
        // The score box in the corner: the pupil's score over the problems.
        const double boxW = 96, boxH = 60;
        const QRectF score(right - boxW, top, boxW, boxH);
        p.setPen(rule);
        p.setBrush(Qt::NoBrush);
        p.drawRect(score);
        p.setFont(small);
        const QString out = QStringLiteral("／%1").arg(problemsOn(page));
        p.drawText(QPointF(score.right() - 6 - sm.horizontalAdvance(out), score.bottom() - 8), out);
        // The date above the name, the class and the name.
        const double fieldsRight = score.left() - 14;
        const QString date = QStringLiteral("月　　　日");
        p.drawText(QPointF(fieldsRight - sm.horizontalAdvance(date), row1), date);
        const QString who = QStringLiteral("年　　組　　番　名前");
        const double nameLine = 190;
        const double whoX = fieldsRight - nameLine - sm.horizontalAdvance(who);
        p.drawText(QPointF(whoX, row2), who);
        p.drawLine(QPointF(fieldsRight - nameLine + 4, row2 + 4), QPointF(fieldsRight, row2 + 4));
        titleRoom = fieldsRight - sm.horizontalAdvance(date) - 24 - left;
    }
    if (!title.isEmpty()) {
        p.setFont(big);
        p.setPen(Qt::black);
        p.drawText(QPointF(left, row1 + 4), bm.elidedText(title, Qt::ElideRight, titleRoom));
    }
    p.setPen(rule);
    p.drawLine(QPointF(left, top + kHeaderH - 10), QPointF(right, top + kHeaderH - 10));
}

void Sheet::gatherSquares(Ink& ink, int slot, int index) const {
    const Squares& sq = squaresBehind(index);
    if (sq.columns <= 0) return;
    // Light enough that the digits stay clear: a thin pale blue.
    QPen pen(QColor(150, 190, 225));
    pen.setWidthF(0.6 / workScale_);
    const double right = sq.left + sq.columns * sq.size;
    QList<QLineF> lines;
    for (int top : sq.rowTops) {
        lines.append(QLineF(sq.left, top, right, top));
        lines.append(QLineF(sq.left, top + sq.size, right, top + sq.size));
        for (int k = 0; k <= sq.columns; ++k)
            lines.append(QLineF(sq.left + k * sq.size, top, sq.left + k * sq.size, top + sq.size));
    }
    ink.lines(lines, pen, workTransform(slot, index), workScale_);
}

void Sheet::gatherCell(QPainter& p, Ink& ink, int page, int slot) const {
    const int index = calculationAt(page, slot);
    if (index < 0) return;
    const Calculation& c = calculations_[size_t(index)];
    const bool answer = isAnswerPage(page) || !style_.problems;
    ink.ops(p, lineOps(index, answer), lineTransform(slot, index), lineScale_);

    // The number, level with the expression line.
    QFont f(metrics_.family());
    f.setPixelSize(int(numberPx_));
    const QFontMetricsF fm(f, p.device());
    const double middle = lineTransform(slot, index).map(QPointF(0, c.lineMiddle)).y();
    ink.text(p, f, numberText(index),
             QPointF(boardRect(slot).left(), middle + (fm.ascent() - fm.descent()) / 2));

    if (style_.squares) gatherSquares(ink, slot, index);
    if (answer || !style_.expressionOnly)
        ink.ops(p, workOps(index, answer), workTransform(slot, index), workScale_);
}

void Sheet::paintCell(QPainter& p, int page, int slot) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    Ink ink(*glyphs_, metrics_);
    gatherCell(p, ink, page, slot);
    ink.flush(p);
    p.restore();
}

void Sheet::paintPage(QPainter& p, int page) const {
    paintHeader(p, page);
    QPen frame(QColor(200, 200, 200));
    frame.setWidthF(0.75);
    QList<QRectF> frames;
    for (int slot = 0; slot < grid_.perPage(); ++slot)
        if (calculationAt(page, slot) >= 0) frames.append(cellRect(slot).adjusted(2, 2, -2, -2));
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRects(frames);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    Ink ink(*glyphs_, metrics_);
    for (int slot = 0; slot < grid_.perPage(); ++slot) gatherCell(p, ink, page, slot);
    ink.flush(p);
    p.restore();
}

void setUpPage(app::PdfWriter& pdf) {
    pdf.setResolution(96);
    pdf.setPageSize(QPageSize(QPageSize::A4).size(QPageSize::Millimeter) * (72 / 25.4));
}

MeasuringPage::MeasuringPage(const std::string& fontName)
    : pdf_(std::make_unique<app::PdfWriter>(nullptr)) {
    setUpPage(*pdf_);
    metrics_ = std::make_unique<app::QtMetrics>(app::boardFontFamily(fontName), pdf_.get());
}

MeasuringPage::~MeasuringPage() = default;

QSizeF MeasuringPage::size() const {
    return QSizeF(pdf_->width(), pdf_->height());
}

bool writePdf(const Sheet& sheet, const QString& file, const QString& documentTitle, QString& why) {
    // The pages go straight into the file as they are drawn; it takes the
    // file's name only once all of it is on the disk.
    tools::OutputFile out(file);
    bool ok = out.open();
    {
        app::PdfWriter pdf(&out);
        setUpPage(pdf);
        pdf.setTitle(documentTitle);
        pdf.setCreator(QStringLiteral("hissan-render"));
        QPainter p;
        ok = ok && p.begin(&pdf);
        for (int page = 0; ok && page < sheet.pageCount(); ++page) {
            if (page > 0) ok = pdf.newPage();
            if (ok) sheet.paintPage(p, page);
        }
        if (p.isActive()) ok = p.end() && ok;
    }
    if (ok && out.commit()) return true;
    out.discard();
    why = out.failure();
    return false;
}

// ---- the whole sheet ------------------------------------------------------------------

Refusal drawCalculations(const Pattern& pattern, const Choices& choices, int count, uint64_t seed,
                         const hissan::TJouken& jk, const app::QtMetrics& metrics,
                         std::vector<Calculation>& out, const std::set<std::string>& given) {
    // The board lays each problem out as it is drawn: one it refuses (a
    // digit limit, a divisor that overflows) is drawn again.
    std::map<std::string, Calculation> laidOut;
    const Drawn drawn = drawProblems(
        pattern, choices, count, seed,
        [&](const std::string& e) -> std::string {
            auto laid = layOut(e, jk, metrics);
            if (auto* no = std::get_if<std::string>(&laid)) return *no;
            laidOut.insert_or_assign(e, std::move(std::get<Calculation>(laid)));
            return {};
        },
        given);
    if (drawn.refusal.kind == Refusal::None)
        for (const std::string& e : drawn.expressions) out.push_back(laidOut.at(e));
    return drawn.refusal;
}

int quotientPlaces(const hissan::TJouken& jk) {
    return jk.SHOU_ITI == 2 ? 10 : jk.POINTMAX;
}

int run(const Request& request, const hissan::TJouken& jk, std::ostream& out, std::ostream& err) {
    constexpr int kExitRefused = 2, kExitNoInput = 66, kExitCantWrite = 73;
    // The boards are measured on the kind of device they are written to.
    const MeasuringPage measure(jk.FONTNAME);
    const app::QtMetrics& metrics = measure.metrics();

    std::vector<Source> sources;
    for (size_t i = 0; i < request.expressions.size(); ++i)
        sources.push_back({request.expressions[i], "expression " + std::to_string(i + 1)});
    for (const std::string& file : request.files) {
        std::string error;
        if (!readExpressions(QString::fromStdString(file), sources, error)) {
            err << "hissan-render: " << error << "\n";
            return kExitNoInput;
        }
    }

    if (sources.empty() && request.pattern.empty()) {
        // Only comments and blank lines: an empty sheet would look like a fault.
        err << "hissan-render: no expression to put on the sheet in";
        for (const std::string& file : request.files) err << " " << file;
        err << "\n";
        return kExitRefused;
    }

    std::vector<Calculation> calculations;
    bool refused = false;
    for (const Source& s : sources) {
        auto laid = layOut(s.expression, jk, metrics);
        if (auto* why = std::get_if<std::string>(&laid)) {
            err << "hissan-render: " << s.where << ": " << s.expression << ": " << *why << "\n";
            refused = true;
        } else if (!refused) {
            calculations.push_back(std::move(std::get<Calculation>(laid)));
        }
    }
    if (refused) return kExitRefused;

    if (!request.pattern.empty()) {
        std::string why;
        const std::optional<Pattern> pattern = Pattern::parse(request.pattern, why);
        if (!pattern) {
            err << "hissan-render: --random " << request.pattern << ": " << why << "\n";
            return kExitRefused;
        }
        uint64_t seed = 0;
        if (request.seed) {
            seed = *request.seed;
        } else {
            std::random_device device;
            seed = (uint64_t(device()) << 32) ^ device();
            err << "hissan-render: --seed " << seed << " makes this sheet again\n";
        }
        Choices choices = request.choices;
        choices.quotientPlaces = quotientPlaces(jk);
        std::set<std::string> given;
        for (const Calculation& c : calculations)
            given.insert(c.expression.substr(0, c.expression.size() - 1));  // without its "="
        const Refusal refusal = drawCalculations(*pattern, choices, request.count, seed, jk,
                                                 metrics, calculations, given);
        if (refusal.kind != Refusal::None) {
            err << "hissan-render: --random " << request.pattern << ": "
                << describe(refusal, *pattern, choices, request.count) << "\n";
            return kExitRefused;
        }
    }

    const QString title =
        request.style.title.isEmpty() ? QStringLiteral("筆算") : request.style.title;
    const Sheet sheet(measure.size(), request.grid, std::move(calculations), request.style,
                      metrics);
    QString why;
    if (!writePdf(sheet, QString::fromStdString(request.output), title, why)) {
        err << "hissan-render: cannot write " << request.output;
        if (!why.isEmpty()) err << ": " << why.toStdString();
        err << "\n";
        return kExitCantWrite;
    }
    for (const Calculation& c : sheet.calculations()) out << c.expression << c.answer << "\n";
    return 0;
}

}  // namespace worksheet
