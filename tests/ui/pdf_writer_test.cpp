// The PDF writer of boards and sheets: its pages look like the same drawing
// painted on an image, its text can be found and copied again, it reports a
// disk that refuses the bytes, and it reads characters out of cmap tables.
#include "ui/pdf_writer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>

#include "core/keisan.h"
#include "ui/board_entry.h"
#include "ui/renderer.h"

namespace {

// ---- cmap tables --------------------------------------------------------------------

void put16(QByteArray& t, uint32_t v) {
    t.append(char(v >> 8)).append(char(v));
}
void put32(QByteArray& t, uint32_t v) {
    put16(t, v >> 16);
    put16(t, v & 0xFFFF);
}

// A cmap table with one Windows Unicode subtable.
QByteArray cmapWith(uint32_t encoding, const QByteArray& subtable) {
    QByteArray t;
    put16(t, 0);  // version
    put16(t, 1);  // one subtable
    put16(t, 3);
    put16(t, encoding);
    put32(t, 12);
    return t + subtable;
}

struct Segment {
    uint16_t start, end, delta, rangeOffset;
};

// Format 4: segments, then the glyph array that range offsets point into.
QByteArray format4(const std::vector<Segment>& segments, const std::vector<uint16_t>& glyphArray) {
    QByteArray s;
    const uint16_t n = uint16_t(segments.size());
    put16(s, 4);
    put16(s, 16 + 8 * n + 2 * uint16_t(glyphArray.size()));
    put16(s, 0);
    put16(s, 2 * n);
    put16(s, 0);
    put16(s, 0);
    put16(s, 0);
    for (const Segment& g : segments) put16(s, g.end);
    put16(s, 0);
    for (const Segment& g : segments) put16(s, g.start);
    for (const Segment& g : segments) put16(s, g.delta);
    for (const Segment& g : segments) put16(s, g.rangeOffset);
    for (uint16_t g : glyphArray) put16(s, g);
    return s;
}

struct Group {
    uint32_t first, last, glyph;
};

QByteArray format12(const std::vector<Group>& groups) {
    QByteArray s;
    put16(s, 12);
    put16(s, 0);
    put32(s, 16 + 12 * uint32_t(groups.size()));
    put32(s, 0);
    put32(s, uint32_t(groups.size()));
    for (const Group& g : groups) {
        put32(s, g.first);
        put32(s, g.last);
        put32(s, g.glyph);
    }
    return s;
}

TEST(CmapCharacters, FindTheLowestCharacterOfEachGlyphAskedFor) {
    // Format 4: "0"-"9" by a delta (glyphs 17-26), "A"-"C" through the glyph
    // array (the second segment's offset points past the last offset to it),
    // the closing 0xFFFF segment.
    const QByteArray f4 = cmapWith(
        1,
        format4({{0x30, 0x39, uint16_t(17 - 0x30), 0}, {0x41, 0x43, 0, 4}, {0xFFFF, 0xFFFF, 1, 0}},
                {40, 0, 42}));
    // Format 12: two runs, the second beyond the BMP; a glyph shared by "５"
    // and a later character; "月" and its radical "⽉" on one glyph.
    const QByteArray f12 = cmapWith(10, format12({{0x2F49, 0x2F49, 300},
                                                  {0x6708, 0x6708, 300},
                                                  {0xFF10, 0xFF19, 100},
                                                  {0x1F600, 0x1F600, 105},
                                                  {0x20000, 0x20001, 200}}));
    struct Case {
        const char* what;
        const QByteArray* table;
        std::map<quint32, char32_t> expected;
    };
    const std::vector<Case> cases = {
        {"format 4 by delta and array, a hole and a stranger",
         &f4,
         {{17, U'0'}, {26, U'9'}, {40, U'A'}, {42, U'C'}, {41, 0}, {999, 0}}},
        {"format 12 runs, beyond the BMP, the lowest of two",
         &f12,
         {{100, U'０'},
          {109, U'９'},
          {201, char32_t(0x20001)},
          {105, U'５'},
          {300, U'月'},
          {110, 0}}},
    };
    for (const Case& c : cases) {
        std::map<quint32, char32_t> asked;
        for (const auto& [glyph, ch] : c.expected) asked.emplace(glyph, 0);
        app::charactersOfGlyphs(*c.table, asked);
        EXPECT_EQ(asked, c.expected) << c.what;
    }
}

TEST(CmapCharacters, CutOrEmptyTablesGiveNoCharactersAndReadNothingOutside) {
    const QByteArray whole =
        cmapWith(1, format4({{0x30, 0x39, uint16_t(17 - 0x30), 0}, {0xFFFF, 0xFFFF, 1, 0}}, {}));
    for (qsizetype n = 0; n < whole.size(); ++n) {
        std::map<quint32, char32_t> asked{{17, 0}};
        // A copy of exactly n bytes, so that a read past it is a read past the buffer.
        const QByteArray cut(whole.constData(), n);
        app::charactersOfGlyphs(cut, asked);
        EXPECT_TRUE(asked.at(17) == 0 || asked.at(17) == U'0') << n;
    }
    std::map<quint32, char32_t> asked{{17, 0}};
    app::charactersOfGlyphs(whole, asked);
    EXPECT_EQ(asked.at(17), U'0');
}

// ---- pages -------------------------------------------------------------------------

class PdfPages : public ::testing::Test {
  protected:
    void SetUp() override {
        pdftoppm_ = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        pdftotext_ = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftoppm_.isEmpty() || pdftotext_.isEmpty())
            GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) is not installed";
        ASSERT_TRUE(dir_.isValid());
    }

    // `paint` on a page of `size` pixels at 96 dots per inch, as PDF bytes.
    QByteArray pdfOf(QSize size, const std::function<void(QPainter&)>& paint) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        app::PdfWriter pdf(&out);
        pdf.setPageSize(QSizeF(size) * 0.75);
        QPainter p;
        EXPECT_TRUE(p.begin(&pdf));
        paint(p);
        EXPECT_TRUE(p.end());
        return out.data();
    }
    QString save(const QByteArray& bytes) {
        const QString file = dir_.filePath(QStringLiteral("p%1.pdf").arg(++n_));
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return file;
    }
    // The first page as poppler draws it at 96 dots per inch.
    QImage picture(const QByteArray& bytes) {
        const QString prefix = dir_.filePath(QStringLiteral("r%1").arg(n_ + 1));
        EXPECT_EQ(QProcess::execute(pdftoppm_, {QStringLiteral("-r"), QStringLiteral("96"),
                                                QStringLiteral("-singlefile"),
                                                QStringLiteral("-png"), save(bytes), prefix}),
                  0);
        return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    }
    QString text(const QByteArray& bytes) {
        QProcess p;
        p.start(pdftotext_, {save(bytes), QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(20000));
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // The same painting on a white image.
    static QImage image(QSize size, const std::function<void(QPainter&)>& paint) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        paint(p);
        return img;
    }
    // The share of pixels whose colour differs clearly; the two rasterisers
    // smooth edges differently, so an edge pixel may differ a little.
    static double differing(const QImage& a, const QImage& b) {
        if (a.size() != b.size()) return 1;
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                        std::abs(qBlue(p) - qBlue(q)) >
                    240)
                    ++n;
            }
        return double(n) / (a.width() * a.height());
    }

    QString pdftoppm_, pdftotext_;
    QTemporaryDir dir_;
    int n_ = 0;
};

struct Board {
    hissan::DisplayList ops;
    QSize size;
};

// A calculation typed on a board measured on `device`, in the whiteboard's colours.
Board boardOf(const std::string& expr, const app::QtMetrics& metrics) {
    hissan::TJouken jk;
    jk.DSP_CL_TYPE = 1;
    app::Keisan k(jk, metrics);
    tools::ToolHost host;
    EXPECT_FALSE(tools::typeOnBoard(k, host, expr).has_value()) << expr;
    Board b;
    for (const hissan::Op& op : k.ops())
        if (!op.stepOnly) b.ops.push_back(op);
    const QRect extent = app::opsExtent(b.ops);
    b.size = QSize(extent.right() + k.grid().CellW, extent.bottom() + k.grid().LineH / 2);
    return b;
}

TEST_F(PdfPages, BoardsLookAsOnAnImageAndTheirTextCanBeFound) {
    app::PdfWriter measure(nullptr);
    const app::QtMetrics metrics(app::boardFontFamily("ＭＳゴシック"), &measure);
    struct Case {
        const char* expr;
        const char* found;  // in the text of the page
    };
    for (const Case& c : std::initializer_list<Case>{
             {"123*45", "5535"}, {"1000-372", "628"}, {"14/4", "あまり"}, {"3.7*2.45", "9.065"}}) {
        const Board b = boardOf(c.expr, metrics);
        auto paint = [&](QPainter& p) {
            p.fillRect(QRect(QPoint(0, 0), b.size), app::backgroundColour(1));
            app::renderOps(p, b.ops, metrics, {1, false, size_t(-1), 0});
        };
        const QByteArray pdf = pdfOf(b.size, paint);
        const QImage page = picture(pdf);
        const QImage painted = image(b.size, paint);
        EXPECT_EQ(page.size(), painted.size()) << c.expr;
        EXPECT_LT(differing(page, painted), 0.005) << c.expr;
        EXPECT_TRUE(text(pdf).contains(QString::fromUtf8(c.found))) << c.expr;
    }
}

TEST_F(PdfPages, ShapesTransformsClipsDashesAndImagesLookAsOnAnImage) {
    QImage stamp(8, 6, QImage::Format_RGB32);
    stamp.fill(QColor(200, 30, 30));
    auto paint = [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.fillRect(QRect(10, 10, 80, 40), QColor(30, 120, 200));
        QPen dashed(QColor(0, 120, 0), 2, Qt::DashLine, Qt::FlatCap);
        p.setPen(dashed);
        p.drawLine(10, 70, 290, 70);
        p.save();
        p.translate(150, 20);
        p.scale(2, 1.5);
        p.setClipRect(QRect(0, 0, 30, 20));  // in the scaled coordinates
        p.fillRect(QRect(-20, -20, 100, 100), QColor(240, 160, 0));
        p.restore();
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(120, 0, 160));
        p.drawEllipse(QRectF(20, 90, 60, 40));
        const QPointF tri[] = {{120, 130}, {160, 90}, {200, 130}};
        p.drawPolygon(tri, 3);
        p.drawImage(QRect(230, 90, 48, 36), stamp);
    };
    const QSize size(300, 150);
    const QImage page = picture(pdfOf(size, paint));
    const QImage painted = image(size, paint);
    EXPECT_LT(differing(page, painted), 0.01);
    // The clip holds: the orange square ends where it was cut.
    EXPECT_EQ(page.pixelColor(200, 40), QColor(240, 160, 0));
    EXPECT_EQ(page.pixelColor(220, 40), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(250, 110), QColor(200, 30, 30));
}

TEST_F(PdfPages, MoreGlyphsThanOneFontHoldsStayReadable) {
    // 300 different ideographs: more than the 255 codes of one font.
    QString many;
    for (char16_t c = 0x4E00; c < 0x4E00 + 300; ++c) many += QChar(c);
    const app::QtMetrics metrics(app::boardFontFamily("ＭＳゴシック"));
    QFont font = metrics.font(12);
    font.setPixelSize(12);
    const QByteArray pdf = pdfOf(QSize(4000, 40), [&](QPainter& p) {
        p.setFont(font);
        p.drawText(QPointF(4, 24), many);
    });
    QString found = text(pdf);
    found.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_EQ(found, many);
    EXPECT_EQ(pdf.count("/Subtype /Type3"), 2);
}

// A disk that takes `room` bytes, then no more.
class FullDisk : public QIODevice {
  public:
    explicit FullDisk(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 n) override {
        if (n > room_) return -1;
        room_ -= n;
        return n;
    }

  private:
    qint64 room_;
};

TEST_F(PdfPages, AFullDiskOrAClosedFileIsReportedAsAFailure) {
    // Two pages; a disk with room for all of them but the last byte, or
    // less, fails the page or the end, never both succeed.
    auto write = [](QIODevice& out) {
        app::PdfWriter pdf(&out);
        QPainter p;
        if (!p.begin(&pdf)) return false;
        p.fillRect(QRect(0, 0, 100, 100), Qt::red);
        p.drawText(QPointF(10, 50), QStringLiteral("１２３"));
        const bool paged = pdf.newPage();
        p.drawText(QPointF(10, 50), QStringLiteral("答え"));
        return p.end() && paged;
    };
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    ASSERT_TRUE(write(whole));
    const qint64 size = whole.size();
    for (qint64 room : {qint64(0), qint64(20), size / 3, size / 2, size - 1}) {
        FullDisk disk(room);
        EXPECT_FALSE(write(disk)) << room << " of " << size;
    }
    QBuffer closed;
    app::PdfWriter pdf(&closed);
    QPainter p;
    EXPECT_FALSE(p.begin(&pdf));
}

}  // namespace
