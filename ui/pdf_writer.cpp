#include "ui/pdf_writer.h"

#include <zlib.h>

#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRawFont>
#include <QTextItem>
#include <QTransform>
#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <unordered_map>
#include <vector>

namespace app {

namespace {

// Numbers as PDF writes them: at most `places` decimals (up to 6; a
// hundredth of a pixel is far below what a printer shows), no
// trailing zeros, and a space after. Written by hand: a sheet writes tens of
// thousands of them.
void putNumber(QByteArray& out, double v, int places = 2) {
    static constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
    places = std::clamp(places, 0, 6);
    const double scaled = std::round(v * kScale[places]);
    if (!(std::abs(scaled) < 1e15)) {  // out of range, or not a number: nothing sensible to draw
        out.append("0 ");
        return;
    }
    long long n = (long long)scaled;
    char buf[32];
    char* end = buf + sizeof buf;
    char* p = end;
    *--p = ' ';
    const bool negative = n < 0;
    if (negative) n = -n;
    bool any = false;
    for (int i = 0; i < places; ++i) {
        const int digit = int(n % 10);
        n /= 10;
        if (digit != 0 || any) {
            *--p = char('0' + digit);
            any = true;
        }
    }
    if (any) *--p = '.';
    do {
        *--p = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    if (negative) *--p = '-';
    out.append(p, end - p);
}

// A code of a Type 3 font as two hex digits.
void putCode(QByteArray& out, int code) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.append(kHex[(code >> 4) & 15]);
    out.append(kHex[code & 15]);
}

void putColour(QByteArray& out, const QColor& c, const char* op) {
    putNumber(out, c.redF(), 3);
    putNumber(out, c.greenF(), 3);
    putNumber(out, c.blueF(), 3);
    out.append(op).append('\n');
}

// A text string of the document information: UTF-16 with its byte order mark.
QByteArray textString(const QString& s) {
    QByteArray out = "<FEFF";
    for (QChar c : s) out.append(QByteArray::number(c.unicode(), 16).rightJustified(4, '0'));
    return out.append('>');
}

// Compresses the document's streams (FlateDecode: zlib) through one
// compressor set up once: a sheet has dozens of small streams, and setting
// zlib up for each cost more than compressing them.
class Deflater {
  public:
    Deflater() { ready_ = deflateInit(&z_, Z_DEFAULT_COMPRESSION) == Z_OK; }
    ~Deflater() {
        if (ready_) deflateEnd(&z_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Empty when zlib failed (out of memory): the caller then stores the bytes as they are.
    QByteArray operator()(const QByteArray& data) {
        if (!ready_ || deflateReset(&z_) != Z_OK) return {};
        QByteArray out(qsizetype(deflateBound(&z_, uLong(data.size()))), Qt::Uninitialized);
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        z_.avail_in = uInt(data.size());
        z_.next_out = reinterpret_cast<Bytef*>(out.data());
        z_.avail_out = uInt(out.size());
        if (deflate(&z_, Z_FINISH) != Z_STREAM_END) return {};
        out.truncate(qsizetype(z_.total_out));
        return out;
    }

  private:
    z_stream z_{};
    bool ready_ = false;
};

uint32_t be16(const QByteArray& t, qsizetype at) {
    if (at < 0 || at + 2 > t.size()) return 0;
    return (uint32_t(uint8_t(t[at])) << 8) | uint8_t(t[at + 1]);
}

uint32_t be32(const QByteArray& t, qsizetype at) {
    return (be16(t, at) << 16) | be16(t, at + 2);
}

}  // namespace

// Only the glyphs asked for are looked up, never the whole range of code
// points: a format 12 table maps runs of characters to runs of glyphs.
void charactersOfGlyphs(const QByteArray& cmap, std::map<quint32, char32_t>& wanted) {
    const uint32_t tables = be16(cmap, 2);
    qsizetype format12 = -1, format4 = -1;
    for (uint32_t i = 0; i < tables && i < 64; ++i) {
        const qsizetype rec = 4 + qsizetype(i) * 8;
        const uint32_t platform = be16(cmap, rec), encoding = be16(cmap, rec + 2);
        const qsizetype at = be32(cmap, rec + 4);
        const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        if (!unicode || at + 4 > cmap.size()) continue;
        const uint32_t format = be16(cmap, at);
        if (format == 12 && format12 < 0) format12 = at;
        if (format == 4 && format4 < 0) format4 = at;
    }
    // Where several characters share a glyph, the one text uses: a Kangxi
    // radical or a compatibility ideograph only where nothing else shows the
    // glyph (Noto CJK draws "⽉" and "月" alike), else the lowest.
    auto rank = [](char32_t c) {
        const bool variant = (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0xF900 && c <= 0xFAFF) ||
                             (c >= 0x2F800 && c <= 0x2FA1F);
        return std::make_pair(variant, c);
    };
    auto give = [&](quint32 glyph, char32_t c) {
        auto it = wanted.find(glyph);
        if (it != wanted.end() && (it->second == 0 || rank(c) < rank(it->second))) it->second = c;
    };
    // A subtable whose arrays run past the end of the table is not read:
    // the bytes it would take for codes are not there.
    if (format12 >= 0 && format12 + 16 + qsizetype(be32(cmap, format12 + 12)) * 12 > cmap.size())
        format12 = -1;
    if (format4 >= 0 && format4 + 16 + qsizetype(be16(cmap, format4 + 6)) * 4 > cmap.size())
        format4 = -1;
    if (format12 >= 0) {
        const uint32_t groups = be32(cmap, format12 + 12);
        for (uint32_t g = 0; g < groups; ++g) {
            const qsizetype at = format12 + 16 + qsizetype(g) * 12;
            if (at + 12 > cmap.size()) break;
            const uint32_t first = be32(cmap, at), last = be32(cmap, at + 4),
                           glyph = be32(cmap, at + 8);
            if (last < first) continue;
            for (auto it = wanted.lower_bound(glyph);
                 it != wanted.end() && it->first - glyph <= last - first; ++it)
                give(it->first, char32_t(first + (it->first - glyph)));
        }
        return;
    }
    if (format4 < 0) return;
    const uint32_t segments = be16(cmap, format4 + 6) / 2;
    const qsizetype ends = format4 + 14, starts = ends + 2 * segments + 2,
                    deltas = starts + 2 * segments, ranges = deltas + 2 * segments;
    for (uint32_t s = 0; s < segments; ++s) {
        const uint32_t end = be16(cmap, ends + 2 * s), start = be16(cmap, starts + 2 * s);
        const uint32_t delta = be16(cmap, deltas + 2 * s);
        const qsizetype rangeAt = ranges + 2 * s;
        const uint32_t range = be16(cmap, rangeAt);
        for (uint32_t c = start; c <= end && c != 0xFFFF; ++c) {
            uint32_t glyph = c;
            if (range != 0) {
                glyph = be16(cmap, rangeAt + range + 2 * (c - start));
                if (glyph == 0) continue;
            }
            give((glyph + delta) & 0xFFFF, char32_t(c));
        }
    }
}

RawText setOnRawFont(const QRawFont& font, const QString& text, QPointF origin) {
    RawText set;
    if (!font.isValid()) return set;
    QList<quint32> glyphs = font.glyphIndexesForString(text);
    if (glyphs.isEmpty() || glyphs.contains(0u)) return set;
    set.positions.reserve(glyphs.size());
    QPointF at = origin;
    for (const QPointF& a : font.advancesForGlyphIndexes(glyphs)) {
        set.positions.append(at);
        at += a;
    }
    set.advance = at.x() - origin.x();
    set.glyphs = std::move(glyphs);
    return set;
}

// ---- the paint engine ---------------------------------------------------------------

class PdfEngine : public QPaintEngine {
  public:
    explicit PdfEngine(PdfWriter& writer)
        : QPaintEngine(PrimitiveTransform | PixmapTransform | PainterPaths | Antialiasing),
          w_(writer) {}

    bool begin(QPaintDevice*) override;
    bool end() override;
    bool newPage();
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& state) override;

    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawRects(const QRectF* rects, int count) override;
    void drawTextItem(const QPointF& p, const QTextItem& item) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags flags) override;
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override;

    void glyphs(const QRawFont& font, const quint32* glyphs, const QPointF* positions, int count,
                const QColor& colour, const QTransform& matrix);

  private:
    // One Type 3 font: up to 255 glyphs of a face, coded 1 to 255.
    struct Type3 {
        int object = 0;
        int name = 0;  // its resource name, /F<name>
        std::vector<quint32> glyphs;
    };
    // A face (a font file at any size): its outlines at one pixel per design
    // unit and the Type 3 fonts its glyphs were given to.
    struct Face {
        QRawFont outline;
        double unitsPerEm = 1000;
        std::unordered_map<quint32, std::pair<int, int>> codes;  // glyph: font, code
        std::unordered_map<quint32, double> advances;            // in design units
        std::vector<Type3> fonts;
        std::map<quint32, char32_t> characters;  // glyph: the character it shows
    };

    int reserve() {
        offsets_.push_back(-1);
        return int(offsets_.size());
    }
    void put(const QByteArray& bytes) {
        if (!ok_) return;
        ok_ = out_->write(bytes) == bytes.size();
        written_ += bytes.size();
    }
    void startObject(int object) {
        offsets_[size_t(object - 1)] = written_;
        put(QByteArray::number(object) + " 0 obj\n");
    }
    void putObject(int object, const QByteArray& body) {
        startObject(object);
        put(body);
        put("\nendobj\n");
    }
    void putStream(int object, const QByteArray& data, const QByteArray& extra = {}) {
        const QByteArray packed = deflate_(data);
        const bool flate = !packed.isEmpty() || data.isEmpty();
        startObject(object);
        put("<< /Length " + QByteArray::number(flate ? packed.size() : data.size()) +
            (flate ? " /Filter /FlateDecode" : "") + extra + " >>\nstream\n");
        put(flate ? packed : data);
        put("\nendstream\nendobj\n");
    }

    void startPage();
    void finishPage();
    // "q", the clip and the transform: the state a drawing is made in, closed by "Q".
    void open(const QTransform& matrix);
    void putPen();
    // `places`: decimals of the coordinates (none for a glyph's design units).
    static void putPath(QByteArray& out, const QPainterPath& path, int places = 2);
    void paint(bool fill, bool stroke, Qt::FillRule rule);
    Face& faceOf(const QRawFont& font);
    std::pair<Type3*, int> codeOf(Face& face, quint32 glyph);
    void putFonts();

    PdfWriter& w_;
    Deflater deflate_;
    QIODevice* out_ = nullptr;
    bool ok_ = true;
    qint64 written_ = 0;
    std::vector<qint64> offsets_;  // of each object, by number - 1
    int catalog_ = 0, pages_ = 0, resources_ = 0, info_ = 0;
    std::vector<int> pageObjects_;
    bool inPage_ = false;
    QSizeF pageSize_;
    QByteArray page_;  // the content of the page in hand

    QPen pen_;
    QBrush brush_;
    QTransform matrix_;
    bool clipOn_ = false;
    QPainterPath clip_;  // in device pixels

    QHash<QString, Face> faces_;
    QHash<QString, QRawFont> fontsOfQFonts_;
    int fontNames_ = 0;
    std::vector<std::pair<int, int>> images_;  // resource name, object
};

bool PdfEngine::begin(QPaintDevice*) {
    out_ = w_.out_;
    if (!out_ || !out_->isWritable()) return false;
    ok_ = true;
    written_ = 0;
    offsets_.clear();
    pageObjects_.clear();
    faces_.clear();
    images_.clear();
    fontNames_ = 0;
    pen_ = QPen();
    brush_ = QBrush();
    matrix_ = QTransform();
    clipOn_ = false;
    clip_ = QPainterPath();
    // The second line's bytes above 127 mark the file as binary for tools
    // that guess.
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    catalog_ = reserve();
    pages_ = reserve();
    resources_ = reserve();
    info_ = reserve();
    startPage();
    return ok_;
}

void PdfEngine::startPage() {
    pageSize_ = w_.pageSize_;
    page_.clear();
    // Device pixels from the top left, as the painter gives them.
    const double s = 72.0 / w_.dpi_;
    putNumber(page_, s, 6);
    page_.append("0 0 ");
    putNumber(page_, -s, 6);
    page_.append("0 ");
    putNumber(page_, pageSize_.height());
    page_.append("cm\n");
    inPage_ = true;
}

void PdfEngine::finishPage() {
    if (!inPage_) return;
    inPage_ = false;
    const int content = reserve();
    putStream(content, page_);
    page_.clear();
    const int page = reserve();
    QByteArray body =
        "<< /Type /Page /Parent " + QByteArray::number(pages_) + " 0 R /MediaBox [0 0 ";
    putNumber(body, pageSize_.width(), 2);
    putNumber(body, pageSize_.height(), 2);
    body += "] /Resources " + QByteArray::number(resources_) + " 0 R /Contents " +
            QByteArray::number(content) + " 0 R >>";
    putObject(page, body);
    pageObjects_.push_back(page);
}

bool PdfEngine::newPage() {
    if (!isActive()) return false;
    finishPage();
    startPage();
    return ok_;
}

bool PdfEngine::end() {
    finishPage();
    putFonts();

    QByteArray resources = "<< /ProcSet [/PDF /Text /ImageC] /Font <<";
    for (const Face& face : std::as_const(faces_))
        for (const Type3& f : face.fonts)
            resources +=
                " /F" + QByteArray::number(f.name) + ' ' + QByteArray::number(f.object) + " 0 R";
    resources += " >> /XObject <<";
    for (auto [name, object] : images_)
        resources += " /I" + QByteArray::number(name) + ' ' + QByteArray::number(object) + " 0 R";
    putObject(resources_, resources + " >> >>");

    QByteArray kids;
    for (int p : pageObjects_) kids += QByteArray::number(p) + " 0 R ";
    putObject(pages_, "<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " +
                          QByteArray::number(qsizetype(pageObjects_.size())) + " >>");
    putObject(catalog_, "<< /Type /Catalog /Pages " + QByteArray::number(pages_) + " 0 R >>");
    QByteArray info = "<<";
    if (!w_.title_.isEmpty()) info += " /Title " + textString(w_.title_);
    if (!w_.creator_.isEmpty()) info += " /Creator " + textString(w_.creator_);
    putObject(info_, info + " >>");

    const qint64 xref = written_;
    QByteArray table =
        "xref\n0 " + QByteArray::number(qsizetype(offsets_.size() + 1)) + "\n0000000000 65535 f \n";
    for (qint64 at : offsets_)
        table += at < 0 ? QByteArray("0000000000 65535 f \n")
                        : QByteArray::number(at).rightJustified(10, '0') + " 00000 n \n";
    put(table);
    put("trailer\n<< /Size " + QByteArray::number(qsizetype(offsets_.size() + 1)) + " /Root " +
        QByteArray::number(catalog_) + " 0 R /Info " + QByteArray::number(info_) +
        " 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    faces_.clear();
    fontsOfQFonts_.clear();
    return ok_;
}

void PdfEngine::updateState(const QPaintEngineState& state) {
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen) pen_ = state.pen();
    if (flags & DirtyBrush) brush_ = state.brush();
    // The transform first: a clip comes in the coordinates of the transform
    // it was set under.
    if (flags & DirtyTransform) matrix_ = state.transform();
    if (flags & DirtyClipEnabled) clipOn_ = state.isClipEnabled();
    if (flags & (DirtyClipPath | DirtyClipRegion)) {
        QPainterPath path;
        if (flags & DirtyClipPath) {
            path = state.clipPath();
        } else {
            path.addRegion(state.clipRegion());
        }
        path = matrix_.map(path);
        switch (state.clipOperation()) {
            case Qt::NoClip:
                clipOn_ = false;
                clip_ = QPainterPath();
                break;
            case Qt::ReplaceClip:
                clipOn_ = true;
                clip_ = path;
                break;
            case Qt::IntersectClip:
                clip_ = clipOn_ ? clip_.intersected(path) : path;
                clipOn_ = true;
                break;
        }
    }
}

void PdfEngine::open(const QTransform& matrix) {
    page_.append("q\n");
    if (clipOn_) {
        putPath(page_, clip_);
        page_.append(clip_.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n");
    }
    if (!matrix.isIdentity()) {
        for (double v :
             {matrix.m11(), matrix.m12(), matrix.m21(), matrix.m22(), matrix.dx(), matrix.dy()})
            putNumber(page_, v, 5);
        page_.append("cm\n");
    }
}

void PdfEngine::putPen() {
    putColour(page_, pen_.color(), "RG");
    // A cosmetic pen is as wide in device pixels whatever the transform.
    double width = pen_.widthF();
    if (pen_.isCosmetic()) {
        const double scale = std::sqrt(std::abs(matrix_.determinant()));
        width = (width > 0 ? width : 1) / (scale > 0 ? scale : 1);
    }
    putNumber(page_, width);
    page_.append("w ");
    page_.append(pen_.capStyle() == Qt::RoundCap    ? "1 J "
                 : pen_.capStyle() == Qt::SquareCap ? "2 J "
                                                    : "0 J ");
    page_.append(pen_.joinStyle() == Qt::RoundJoin   ? "1 j"
                 : pen_.joinStyle() == Qt::BevelJoin ? "2 j"
                                                     : "0 j");
    if (pen_.style() != Qt::SolidLine) {
        // Qt's dashes count in pen widths.
        const double unit = width > 1 ? width : 1;
        page_.append(" [");
        for (double d : pen_.dashPattern()) putNumber(page_, d * unit);
        page_.append("] ");
        putNumber(page_, pen_.dashOffset() * unit);
        page_.append('d');
    }
    page_.append('\n');
}

void PdfEngine::putPath(QByteArray& out, const QPainterPath& path, int places) {
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
            for (double v : {e.x, e.y, c2.x, c2.y, to.x, to.y}) putNumber(out, v, places);
            out.append("c\n");
            i += 2;
            continue;
        }
        putNumber(out, e.x, places);
        putNumber(out, e.y, places);
        out.append(e.type == QPainterPath::MoveToElement ? "m\n" : "l\n");
    }
}

void PdfEngine::paint(bool fill, bool stroke, Qt::FillRule rule) {
    const bool evenOdd = rule == Qt::OddEvenFill;
    if (fill && stroke) {
        page_.append(evenOdd ? "B*\nQ\n" : "B\nQ\n");
    } else if (fill) {
        page_.append(evenOdd ? "f*\nQ\n" : "f\nQ\n");
    } else if (stroke) {
        page_.append("S\nQ\n");
    } else {
        page_.append("n\nQ\n");
    }
}

void PdfEngine::drawPath(const QPainterPath& path) {
    const bool fill = brush_.style() != Qt::NoBrush;
    const bool stroke = pen_.style() != Qt::NoPen;
    if (path.isEmpty() || (!fill && !stroke)) return;
    open(matrix_);
    if (fill) putColour(page_, brush_.color(), "rg");
    if (stroke) putPen();
    putPath(page_, path);
    paint(fill, stroke, path.fillRule());
}

void PdfEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
    if (count < 2) return;
    QPainterPath path;
    path.moveTo(points[0]);
    for (int i = 1; i < count; ++i) path.lineTo(points[i]);
    if (mode == PolylineMode) {
        if (pen_.style() == Qt::NoPen) return;
        open(matrix_);
        putPen();
        putPath(page_, path);
        paint(false, true, Qt::WindingFill);
        return;
    }
    path.closeSubpath();
    path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
    drawPath(path);
}

void PdfEngine::drawLines(const QLineF* lines, int count) {
    if (pen_.style() == Qt::NoPen || count <= 0) return;
    open(matrix_);
    putPen();
    for (int i = 0; i < count; ++i) {
        putNumber(page_, lines[i].x1());
        putNumber(page_, lines[i].y1());
        page_.append("m ");
        putNumber(page_, lines[i].x2());
        putNumber(page_, lines[i].y2());
        page_.append("l\n");
    }
    paint(false, true, Qt::WindingFill);
}

void PdfEngine::drawRects(const QRectF* rects, int count) {
    const bool fill = brush_.style() != Qt::NoBrush;
    const bool stroke = pen_.style() != Qt::NoPen;
    if ((!fill && !stroke) || count <= 0) return;
    open(matrix_);
    if (fill) putColour(page_, brush_.color(), "rg");
    if (stroke) putPen();
    for (int i = 0; i < count; ++i) {
        for (double v : {rects[i].x(), rects[i].y(), rects[i].width(), rects[i].height()})
            putNumber(page_, v);
        page_.append("re\n");
    }
    paint(fill, stroke, Qt::WindingFill);
}

void PdfEngine::drawTextItem(const QPointF& p, const QTextItem& item) {
    const QString text = item.text();
    if (text.isEmpty()) return;
    const QFont font = item.font();
    const QString key = font.key() + QLatin1Char('/') + QString::number(font.pixelSize());
    auto it = fontsOfQFonts_.find(key);
    if (it == fontsOfQFonts_.end()) it = fontsOfQFonts_.insert(key, QRawFont::fromFont(font));
    const QRawFont& raw = *it;
    const RawText set = setOnRawFont(raw, text, p);
    if (set.empty()) {
        // A character the font lacks comes from a fallback font Qt chose:
        // drawn as its outline.
        QPaintEngine::drawTextItem(p, item);
        return;
    }
    const QList<quint32>& glyphs = set.glyphs;
    // The glyphs of the text map back to its characters.
    Face& face = faceOf(raw);
    for (qsizetype i = 0; i < text.size() && glyphs.size() == text.size(); ++i)
        if (!text[i].isSurrogate()) {
            char32_t& c = face.characters[glyphs[i]];
            if (c == 0) c = text[i].unicode();
        }
    this->glyphs(raw, glyphs.constData(), set.positions.constData(), int(glyphs.size()),
                 pen_.color(), matrix_);
}

PdfEngine::Face& PdfEngine::faceOf(const QRawFont& font) {
    const QString key = font.familyName() + QLatin1Char('|') + font.styleName() + QLatin1Char('|') +
                        QString::number(font.weight()) + QLatin1Char('|') +
                        QString::number(int(font.style()));
    auto it = faces_.find(key);
    if (it != faces_.end()) return *it;
    Face face;
    face.outline = font;
    face.unitsPerEm = font.unitsPerEm() > 0 ? font.unitsPerEm() : 1000;
    face.outline.setPixelSize(face.unitsPerEm);
    return *faces_.insert(key, std::move(face));
}

std::pair<PdfEngine::Type3*, int> PdfEngine::codeOf(Face& face, quint32 glyph) {
    auto it = face.codes.find(glyph);
    if (it != face.codes.end()) return {&face.fonts[size_t(it->second.first)], it->second.second};
    if (face.fonts.empty() || face.fonts.back().glyphs.size() >= 255) {
        Type3 f;
        f.object = reserve();
        f.name = fontNames_++;
        face.fonts.push_back(std::move(f));
    }
    Type3& f = face.fonts.back();
    f.glyphs.push_back(glyph);
    const int code = int(f.glyphs.size());
    face.codes.emplace(glyph, std::make_pair(int(face.fonts.size() - 1), code));
    face.characters.try_emplace(glyph, 0);
    face.advances.emplace(
        glyph,
        face.outline.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics)
            .value(0)
            .x());
    return {&f, code};
}

void PdfEngine::glyphs(const QRawFont& font, const quint32* glyphs, const QPointF* positions,
                       int count, const QColor& colour, const QTransform& matrix) {
    if (count <= 0 || !font.isValid()) return;
    Face& face = faceOf(font);
    const double size = font.pixelSize();
    const double perUnit = size / face.unitsPerEm;
    open(matrix);
    putColour(page_, colour, "rg");
    page_.append("BT\n");
    const Type3* current = nullptr;
    QPointF line, pen;  // the start of the text line; where the next glyph would go
    bool started = false, inArray = false;
    for (int i = 0; i < count; ++i) {
        auto [font3, code] = codeOf(face, glyphs[i]);
        const QPointF at = positions[i];
        // A glyph on the baseline of the last one, a few ems on either side
        // of where it ends (digits in columns, written right to left),
        // continues the string, moved by the difference; any other starts a
        // new one.
        const bool follows = started && font3 == current && std::abs(at.y() - pen.y()) < 0.01 &&
                             std::abs(at.x() - pen.x()) < 8 * size;
        if (follows) {
            if (std::abs(at.x() - pen.x()) >= 0.01) {
                page_.append("> ");
                putNumber(page_, (pen.x() - at.x()) * 1000 / size, 2);
                page_.append('<');
            }
        } else {
            if (inArray) page_.append(">] TJ\n");
            if (font3 != current) {
                page_.append("/F" + QByteArray::number(font3->name) + ' ');
                putNumber(page_, size);
                page_.append("Tf\n");
                current = font3;
            }
            if (!started) {
                // Text space upright on the page: the page's y runs down.
                page_.append("1 0 0 -1 ");
                putNumber(page_, at.x());
                putNumber(page_, at.y());
                page_.append("Tm\n");
                started = true;
            } else {
                putNumber(page_, at.x() - line.x());
                putNumber(page_, line.y() - at.y());
                page_.append("Td\n");
            }
            line = at;
            page_.append("[<");
            inArray = true;
        }
        putCode(page_, code);
        pen = at + QPointF(face.advances[glyphs[i]] * perUnit, 0);
    }
    if (inArray) page_.append(">] TJ\n");
    page_.append("ET\nQ\n");
}

void PdfEngine::putFonts() {
    for (Face& face : faces_) {
        // The characters of glyphs drawn from glyph runs, which come without text.
        std::map<quint32, char32_t> unknown;
        for (const auto& [glyph, c] : face.characters)
            if (c == 0) unknown.emplace(glyph, 0);
        if (!unknown.empty()) {
            charactersOfGlyphs(face.outline.fontTable("cmap"), unknown);
            for (const auto& [glyph, c] : unknown) face.characters[glyph] = c;
        }
        const double upem = face.unitsPerEm;
        for (const Type3& f : face.fonts) {
            QByteArray procs, widths, names, toUnicode;
            QRectF box;
            int mapped = 0;
            QByteArray map;
            for (size_t i = 0; i < f.glyphs.size(); ++i) {
                const quint32 glyph = f.glyphs[i];
                const int code = int(i + 1);
                QPainterPath path = face.outline.pathForGlyph(glyph);
                path = QTransform(1, 0, 0, -1, 0, 0).map(path);  // glyph space runs up
                const QRectF r = path.boundingRect();
                box |= r;
                QByteArray proc;
                putNumber(proc, face.advances[glyph], 2);
                proc.append("0 ");
                // Whole units, rounded outwards: the box must hold the glyph.
                for (double v : {std::floor(r.left()), std::floor(r.top()), std::ceil(r.right()),
                                 std::ceil(r.bottom())})
                    putNumber(proc, v, 0);
                proc.append("d1\n");
                if (!path.isEmpty()) {
                    putPath(proc, path, 0);
                    proc.append("f\n");
                }
                const int object = reserve();
                putStream(object, proc);
                procs +=
                    " /g" + QByteArray::number(code) + ' ' + QByteArray::number(object) + " 0 R";
                names += " /g" + QByteArray::number(code);
                putNumber(widths, face.advances[glyph], 2);
                const char32_t c = face.characters[glyph];
                if (c != 0) {
                    const QString s = QString::fromUcs4(&c, 1);
                    map += '<';
                    putCode(map, code);
                    map += "> <";
                    for (QChar u : s)
                        map += QByteArray::number(u.unicode(), 16).rightJustified(4, '0');
                    map += ">\n";
                    if (++mapped % 100 == 0) {
                        toUnicode += "100 beginbfchar\n" + map + "endbfchar\n";
                        map.clear();
                    }
                }
            }
            if (!map.isEmpty())
                toUnicode +=
                    QByteArray::number(mapped % 100) + " beginbfchar\n" + map + "endbfchar\n";
            const int cmap = reserve();
            putStream(cmap,
                      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n" +
                          toUnicode +
                          "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
            QByteArray font = "<< /Type /Font /Subtype /Type3 /FontBBox [";
            for (double v : {std::floor(box.left()), std::floor(box.top()), std::ceil(box.right()),
                             std::ceil(box.bottom())})
                putNumber(font, v, 0);
            font += "] /FontMatrix [";
            putNumber(font, 1 / upem, 6);
            font += "0 0 ";
            putNumber(font, 1 / upem, 6);
            font +=
                "0 0] /CharProcs <<" + procs + " >> /Encoding << /Type /Encoding /Differences [1" +
                names + "] >> /FirstChar 1 /LastChar " +
                QByteArray::number(qsizetype(f.glyphs.size())) + " /Widths [" + widths.trimmed() +
                "] /Resources << >> /ToUnicode " + QByteArray::number(cmap) + " 0 R >>";
            putObject(f.object, font);
        }
    }
}

void PdfEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                          Qt::ImageConversionFlags) {
    const QImage part = image.copy(sr.toAlignedRect()).convertToFormat(QImage::Format_RGB888);
    if (part.isNull()) return;
    QByteArray pixels;
    pixels.reserve(qsizetype(part.width()) * part.height() * 3);
    for (int y = 0; y < part.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(part.constScanLine(y)), part.width() * 3);
    const int object = reserve();
    putStream(object, pixels,
              " /Type /XObject /Subtype /Image /Width " + QByteArray::number(part.width()) +
                  " /Height " + QByteArray::number(part.height()) +
                  " /ColorSpace /DeviceRGB /BitsPerComponent 8");
    const int name = int(images_.size());
    images_.emplace_back(name, object);
    open(matrix_);
    // The image's unit square, its first row at the top of `r`.
    for (double v : {r.width(), 0.0, 0.0, -r.height(), r.x(), r.y() + r.height()})
        putNumber(page_, v);
    page_.append("cm /I" + QByteArray::number(name) + " Do\nQ\n");
}

void PdfEngine::drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) {
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
}

// ---- the device ---------------------------------------------------------------------

PdfWriter::PdfWriter(QIODevice* out) : out_(out), engine_(std::make_unique<PdfEngine>(*this)) {}

PdfWriter::~PdfWriter() = default;

void PdfWriter::setResolution(int dpi) {
    if (dpi > 0) dpi_ = dpi;
}

void PdfWriter::setPageSize(QSizeF points) {
    if (points.width() > 0 && points.height() > 0) pageSize_ = points;
}

void PdfWriter::setTitle(const QString& title) {
    title_ = title;
}

void PdfWriter::setCreator(const QString& creator) {
    creator_ = creator;
}

bool PdfWriter::newPage() {
    return engine_->newPage();
}

void PdfWriter::drawGlyphs(QPainter& p, const QRawFont& font, const QList<quint32>& glyphs,
                           const QList<QPointF>& positions) {
    if (!p.isActive() || p.device() != this) return;
    const int n = int(std::min(glyphs.size(), positions.size()));
    engine_->glyphs(font, glyphs.constData(), positions.constData(), n, p.pen().color(),
                    p.deviceTransform());
}

QPaintEngine* PdfWriter::paintEngine() const {
    return engine_.get();
}

int PdfWriter::metric(PaintDeviceMetric metric) const {
    switch (metric) {
        case PdmWidth:
            return qRound(pageSize_.width() * dpi_ / 72.0);
        case PdmHeight:
            return qRound(pageSize_.height() * dpi_ / 72.0);
        case PdmWidthMM:
            return qRound(pageSize_.width() * 25.4 / 72.0);
        case PdmHeightMM:
            return qRound(pageSize_.height() * 25.4 / 72.0);
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi_;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
    }
    return 0;
}

}  // namespace app
