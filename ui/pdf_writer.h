// A PDF paint device for boards and worksheets.
//
// Qt's own PDF writer embeds each font it draws with, and to build the font's
// character map it looks up every one of the 65,536 BMP code points in the
// font: on a Japanese font that is a quarter of the instructions of exporting
// one board, and a sixth of a 100-problem sheet. Boards and sheets use a few
// dozen glyphs, so this writer instead puts the glyphs that were drawn into
// the file as outlines (a Type 3 font for each face, each glyph defined once
// and used by every size), with a character map made from the font's own
// cmap table for those glyphs only: the text stays selectable and
// searchable, the pages look the same, and nothing depends on the font's
// licence allowing embedding.
//
// It paints what boards and sheets need, and the rest through QPainter's
// fallbacks: lines, rectangles, paths and polygons with solid pens (dashes,
// caps, joins) and solid brushes, texts, images, affine transforms and
// clipping. Pages are streamed to the device as they are finished; a device
// that fails to take the bytes makes QPainter::end() (and newPage()) return
// false.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPaintDevice>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <map>
#include <memory>

class QIODevice;
class QPainter;
class QRawFont;

namespace app {

class PdfEngine;

// A text set on a raw font, glyph after glyph along the baseline from
// `origin` by their advances, nothing shaped: how boards (fixed pitch, no
// kerning) go onto PDF pages. Empty where the font is invalid or lacks one
// of the text's characters, which Qt would then take from a fallback font.
struct RawText {
    QList<quint32> glyphs;
    QList<QPointF> positions;
    double advance = 0;
    bool empty() const { return glyphs.isEmpty(); }
};
RawText setOnRawFont(const QRawFont& font, const QString& text, QPointF origin = {});

// Fills in, for each glyph of `glyphs`, the character a font's "cmap" table
// maps to it (from its Unicode subtable of format 12, else 4): of several,
// the lowest that is not a radical or compatibility form of an ideograph. A
// glyph no character shows keeps 0; a malformed table gives no characters.
void charactersOfGlyphs(const QByteArray& cmap, std::map<quint32, char32_t>& glyphs);

class PdfWriter : public QPaintDevice {
  public:
    // `out` must be open for writing when a painter begins on the writer; a
    // null `out` gives a device to measure on only.
    explicit PdfWriter(QIODevice* out);
    ~PdfWriter() override;

    // Device pixels per inch (96 by default): the painter's coordinates.
    void setResolution(int dpi);
    int resolution() const { return dpi_; }
    // The size of the pages in points (A4 by default); a change takes effect
    // from the next page.
    void setPageSize(QSizeF points);
    QSizeF pageSize() const { return pageSize_; }
    void setTitle(const QString& title);
    void setCreator(const QString& creator);

    // Finishes the page in hand and starts the next; false once writing has failed.
    bool newPage();

    // Draws glyphs of `font` whose baseline origins are `positions` (in the
    // coordinates of `p`'s current transform) in `p`'s pen colour, without
    // QPainter shaping them again: for callers that keep their glyphs.
    void drawGlyphs(QPainter& p, const QRawFont& font, const QList<quint32>& glyphs,
                    const QList<QPointF>& positions);

    QPaintEngine* paintEngine() const override;

  protected:
    int metric(PaintDeviceMetric metric) const override;

  private:
    friend class PdfEngine;
    QIODevice* out_;
    int dpi_ = 96;
    QSizeF pageSize_{595.28, 841.89};
    QString title_, creator_;
    std::unique_ptr<PdfEngine> engine_;
};

}  // namespace app
