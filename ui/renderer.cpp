#include "ui/renderer.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QScreen>
#include <map>
#include <tuple>

#include "ui/pdf_writer.h"

namespace app {

namespace {

const QString kStoredDefault = QStringLiteral("ＭＳゴシック");

// A fixed-pitch Japanese font whose half-width zero is plain: IPAGothic's is
// slashed, which pupils read as "ø" in an answer, so it only stands in when
// Noto is missing.
QString fallbackFamily() {
    static const QString chosen = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* candidate :
             {"Noto Sans Mono CJK JP", "IPAGothic", "IPAゴシック", "Noto Sans CJK JP"}) {
            const QString name = QString::fromUtf8(candidate);
            if (families.contains(name, Qt::CaseInsensitive)) return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return chosen;
}

}  // namespace

int verticalDpi(const QPaintDevice* device) {
    if (device) return device->logicalDpiY();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

QString boardFontFamily(const std::string& fontName) {
    const QString fallback = fallbackFamily();
    // The stored default names a Windows font no Linux desktop has; make the
    // name itself resolve to the installed Japanese font as well.
    if (QFont::substitute(kStoredDefault) != fallback)
        QFont::insertSubstitution(kStoredDefault, fallback);
    const QString name = QString::fromStdString(fontName);
    if (name.isEmpty() || name == kStoredDefault) return fallback;
    if (QFontDatabase::families().contains(name, Qt::CaseInsensitive)) return name;
    return fallback;
}

QtMetrics::QtMetrics(QString family, const QPaintDevice* device)
    : family_(std::move(family)),
      device_(device),
      pdf_(dynamic_cast<const PdfWriter*>(device) != nullptr) {}

QFont QtMetrics::font(int pointSize, bool bold, bool underline) const {
    QFont f(family_);
    f.setPointSize(pointSize > 0 ? pointSize : 1);
    f.setBold(bold);
    f.setUnderline(underline);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QRawFont QtMetrics::rawFont(int pointSize, bool bold) const {
    if (!pdf_) return QRawFont();
    // The pixel size a QFont of that point size gets on this page.
    return rawFontAtPixels(qRound(std::max(1, pointSize) * device_->logicalDpiY() / 72.0), bold);
}

QRawFont QtMetrics::rawFontAtPixels(int pixels, bool bold) const {
    if (!pdf_) return QRawFont();
    pixels = std::max(1, pixels);
    const int key = pixels * 2 + (bold ? 1 : 0);
    auto it = sized_.find(key);
    if (it != sized_.end()) return it->second;
    QRawFont& loaded = loaded_[bold ? 1 : 0];
    if (!loaded.isValid()) {
        QFont f = font(1, bold);
        f.setPixelSize(pixels);
        loaded = QRawFont::fromFont(QFont(f, device_));
    }
    QRawFont sized = loaded;
    sized.setPixelSize(pixels);
    return sized_.emplace(key, sized).first->second;
}

namespace {

// QFontMetrics per (family, resolution, size, bold), built once: the layouts
// ask for widths of single glyphs thousands of times per board. A device
// counts by its resolution, not its address: a printer or an image made where
// an earlier one of another resolution was measures anew.
const QFontMetrics& cachedMetrics(const QtMetrics& m, const QPaintDevice* device, int size,
                                  bool bold) {
    using Key = std::tuple<QString, int, int, int, bool>;
    static std::map<Key, QFontMetrics> cache;
    // -1: the screen, whatever its resolution is now.
    const int dpiX = device ? device->logicalDpiX() : -1;
    const int dpiY = device ? device->logicalDpiY() : -1;
    const Key key{m.family(), dpiX, dpiY, size, bold};
    auto it = cache.find(key);
    if (it == cache.end()) {
        const QFont f = m.font(size, bold);
        it = cache.emplace(key, device ? QFontMetrics(f, device) : QFontMetrics(f)).first;
    }
    return it->second;
}

}  // namespace

int QtMetrics::textWidth(std::string_view utf8, int pointSize, bool bold) const {
    std::string key = std::to_string(pointSize * 2 + (bold ? 1 : 0));
    key += '|';
    key += utf8;
    auto it = widths_.find(key);
    if (it != widths_.end()) return it->second;
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (pdf_) {
        // A character the font lacks is measured as Qt draws it, from a fallback font.
        const RawText set = setOnRawFont(rawFont(pointSize, bold), text);
        if (!set.empty()) return widths_.emplace(std::move(key), qRound(set.advance)).first->second;
    }
    const int w = cachedMetrics(*this, device_, pointSize, bold).horizontalAdvance(text);
    widths_.emplace(std::move(key), w);
    return w;
}

int emPixels(int pointSize, const QPaintDevice* device) {
    return (std::max(1, pointSize) * verticalDpi(device) + 36) / 72;
}

int cellAscent(int pointSize, const QPaintDevice* device) {
    return (emPixels(pointSize, device) * 22 + 12) / 25;
}

int QtMetrics::textHeight(int pointSize) const {
    return emPixels(pointSize, device_);
}

int QtMetrics::fontHeightValue(int pointSize) const {
    return -emPixels(pointSize, device_);
}

QColor toQColor(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QColor backgroundColour(int scheme) {
    return toQColor(
        hissan::schemeFor(scheme).resolve(hissan::Colour::of(hissan::Role::Background)));
}

namespace {

// A text op as glyphs of the metrics' raw font; false when the font lacks
// one of its characters.
bool drawGlyphs(QPainter& p, PdfWriter& pdf, const hissan::Op& op, const QtMetrics& metrics,
                const hissan::Scheme& scheme) {
    const QRawFont raw = metrics.rawFont(op.size, op.bold);
    // The board canvas places a text by its top-left corner.
    const RawText set = setOnRawFont(raw, QString::fromStdString(op.text),
                                     QPointF(op.x1, op.y1 + cellAscent(op.size, p.device())));
    if (set.empty()) return false;
    p.setPen(toQColor(scheme.resolve(op.colour)));
    pdf.drawGlyphs(p, raw, set.glyphs, set.positions);
    return true;
}

}  // namespace

void renderOps(QPainter& p, const hissan::DisplayList& ops, const QtMetrics& metrics,
               const RenderOptions& opt) {
    const hissan::Scheme& scheme = hissan::schemeFor(opt.scheme);
    // Pen widths are pixels of a board at 96 dots per inch; on a device of
    // finer resolution (a printer) they grow with it as the glyphs do, so a
    // rule keeps its weight beside the digits.
    const double penScale = verticalDpi(p.device()) / double(kBoardDpi);
    const size_t n = std::min(opt.count, ops.size());
    auto* pdf = dynamic_cast<PdfWriter*>(p.device());
    p.save();
    p.translate(0, opt.dy);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    struct FontEntry {
        QFont font;
        int ascent;
    };
    QHash<quint64, FontEntry> fonts;
    for (size_t i = 0; i < n; ++i) {
        const hissan::Op& op = ops[i];
        if (op.stepOnly && !opt.stepMode) continue;
        switch (op.kind) {
            case hissan::Op::Text: {
                // On a PDF page the glyphs go in as the metrics measured
                // them, without loading the font again at this size.
                if (pdf && !op.underline && drawGlyphs(p, *pdf, op, metrics, scheme)) break;
                const quint64 key =
                    (quint64(op.size) << 2) | (op.bold ? 2 : 0) | (op.underline ? 1 : 0);
                auto it = fonts.find(key);
                if (it == fonts.end()) {
                    QFont f = metrics.font(op.size, op.bold, op.underline);
                    it = fonts.insert(key, FontEntry{f, cellAscent(op.size, p.device())});
                }
                p.setFont(it->font);
                p.setPen(toQColor(scheme.resolve(op.colour)));
                // The board canvas places a text by its top-left corner.
                const int ascent = it->ascent;
                p.drawText(QPoint(op.x1, op.y1 + ascent), QString::fromStdString(op.text));
                break;
            }
            case hissan::Op::Line: {
                QPen pen(toQColor(scheme.resolve(op.colour)));
                pen.setWidthF(std::max(1, op.width) * penScale);
                pen.setStyle(op.dotted ? Qt::DotLine : Qt::SolidLine);
                pen.setCapStyle(Qt::FlatCap);
                p.setPen(pen);
                p.drawLine(op.x1, op.y1, op.x2, op.y2);
                break;
            }
            case hissan::Op::Rect:
                p.fillRect(QRect(QPoint(op.x1, op.y1), QPoint(op.x2 - 1, op.y2 - 1)),
                           toQColor(scheme.resolve(op.colour)));
                break;
            case hissan::Op::Pause:
            case hissan::Op::Step:
                break;
        }
    }
    p.restore();
}

QRect opsExtent(const hissan::DisplayList& ops) {
    QRect r;
    for (const hissan::Op& op : ops) {
        switch (op.kind) {
            case hissan::Op::Text:
            case hissan::Op::Rect:
                r |= QRect(QPoint(op.x1, op.y1), QPoint(op.x2, op.y2)).normalized();
                break;
            case hissan::Op::Line:
                r |= QRect(QPoint(op.x1, op.y1), QPoint(op.x2, op.y2))
                         .normalized()
                         .adjusted(-op.width, -op.width, op.width, op.width);
                break;
            default:
                break;
        }
    }
    return r;
}

}  // namespace app
