// Worksheets: many calculations on A4 pages, COLS x ROWS a page, each board
// drawn by the program's own entry and layouts and scaled to its cell, the
// same scale for every cell. As practice problems, each cell shows only the
// operands, the sign and the first rule (the bracket, divisor and dividend of
// a division) with the room for the working left blank, and the answer pages
// with the full working follow.
#pragma once

#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "core/worksheet_pattern.h"
#include "core/worksheet_sheet.h"
#include "hissan/board.h"
#include "hissan/display_list.h"
#include "hissan/jouken.h"
#include "ui/renderer.h"

class QPainter;

namespace app {
class PdfWriter;
}

namespace worksheet {

struct Grid {
    int cols = 0, rows = 0;
    int perPage() const { return cols * rows; }
};

// "3x4" (columns x rows, 1 to 10 each; "3×4" too); nothing when malformed.
std::optional<Grid> parseGrid(const std::string& text);

// An expression for the sheet and where it came from, for messages:
// "sheet.txt:3", "argument 2", "--random 5".
struct Source {
    std::string expression;
    std::string where;
};

// Appends the expressions of a text file: one a line, "#" starts a comment,
// blank lines are skipped, a CR before the line end is dropped. The text is
// UTF-8, or UTF-16 with a byte-order mark; a byte-order mark is skipped.
// Returns false with `error` when the file cannot be read, is a folder, a
// pipe or larger than 1 MB, or is not text in its encoding.
bool readExpressions(const QString& path, std::vector<Source>& out, std::string& error);

// One calculation laid out for the sheet, in board pixels.
struct Calculation {
    std::string expression;           // as the board took it, with its "="
    std::string answer;               // as written after "="
    hissan::DisplayList full;         // the finished board outside step mode
    hissan::DisplayList problem;      // the practice problem: no answer, no working
    QRect extent;                     // everything the finished board draws
    int lineMiddle = 0;               // the middle of the expression line's height
    int lineTop = 0, lineBottom = 0;  // the band of the expression line
    Squares squares;                  // where the digits of the working stand
};

// The squares of a finished board laid out on `grid`.
Squares squaresOf(const Calculation& c, const hissan::Grid& grid);

// Whether an op of a finished board belongs to its expression line (the
// expression, its "=" and the answer after it) rather than to the working.
bool onExpressionLine(const hissan::Op& op, const Calculation& c);

// Types `expression` on a fresh board with the conditions `jk` and lays the
// finished board out on `metrics`. The program's refusal, in its own words,
// when it does not accept the expression.
std::variant<Calculation, std::string> layOut(const std::string& expression,
                                              const hissan::TJouken& jk,
                                              const app::QtMetrics& metrics);

struct Style {
    bool problems = false;        // practice problems instead of finished boards
    bool answers = false;         // answer pages with the full working after the problems
    QString title;                // on every page's header
    bool squares = false;         // a light squared grid behind each board
    bool circled = false;         // numbers ① ② ... instead of (1) (2) ...
    bool expressionOnly = false;  // problems as the expression line alone
};

class GlyphCache;
class Ink;

// The pages of a sheet. Sizes are device pixels of a page at 96 dots per
// inch, the resolution the boards were measured at. Each cell has its
// number and the expression line at the top and the working below it, each
// at one scale for the whole sheet: the working as large as the cells allow
// up to squares of about 1 cm.
class Sheet {
  public:
    Sheet(QSizeF pageSize, Grid grid, std::vector<Calculation> calculations, Style style,
          const app::QtMetrics& metrics);
    Sheet(Sheet&&) noexcept;
    ~Sheet();

    int pageCount() const;
    bool isAnswerPage(int page) const;
    // The calculation shown in `slot` (0 .. cols x rows - 1, row by row) of
    // `page`, or -1 when that cell is empty.
    int calculationAt(int page, int slot) const;
    // How many problems `page` has (its score box's total).
    int problemsOn(int page) const;
    // A cell's box on its page, and the part of it the board may fill.
    QRectF cellRect(int slot) const;
    QRectF boardRect(int slot) const;
    // Board pixels to page pixels: the working's scale, the line's scale.
    double scale() const { return workScale_; }
    double lineScale() const { return lineScale_; }
    // Where the expression line and the working of calculation `index` are
    // drawn in `slot`: board pixels to page pixels.
    QTransform lineTransform(int slot, int index) const;
    QTransform workTransform(int slot, int index) const;
    // "(3)" or "③".
    QString numberText(int index) const;
    const std::vector<Calculation>& calculations() const { return calculations_; }
    // What a cell draws of calculation `index`: on its expression line and
    // in its working, as printed.
    const hissan::DisplayList& lineOps(int index, bool answer) const;
    const hissan::DisplayList& workOps(int index, bool answer) const;
    // The squares drawn behind calculation `index`: its own rows, then empty
    // ones down to as many as the longest working of the sheet has, so that
    // the squares of a problem do not tell how long its working is.
    const Squares& squaresBehind(int index) const { return printed_[size_t(index)].squares; }

    void paintPage(QPainter& p, int page) const;
    // One cell's number and board only (no header, no frame).
    void paintCell(QPainter& p, int page, int slot) const;

  private:
    void paintHeader(QPainter& p, int page) const;
    void gatherCell(QPainter& p, Ink& ink, int page, int slot) const;
    void gatherSquares(Ink& ink, int slot, int index) const;

    struct Printed {
        hissan::DisplayList line[2], work[2];  // [0] the problem, [1] the finished board
        QRectF lineBox, workBox;               // their extents, board pixels
        Squares squares;                       // as many rows as the sheet's longest working
    };
    QSizeF page_;
    Grid grid_;
    std::vector<Calculation> calculations_;
    std::vector<Printed> printed_;
    Style style_;
    const app::QtMetrics& metrics_;
    QRectF area_;  // the cells' region below the header
    double workScale_ = 1, lineScale_ = 1;
    double numberPx_ = 15, numberW_ = 36, lineH_ = 0;
    std::unique_ptr<GlyphCache> glyphs_;
};

// A4 portrait, no margins, at the boards' 96 dots per inch: the page of a
// sheet, and of the device its boards are measured on.
void setUpPage(app::PdfWriter& pdf);

// A page that measures boards as the sheet's PDF will (A4 at 96 dots per
// inch), writing nowhere, with the board font of `fontName`.
class MeasuringPage {
  public:
    explicit MeasuringPage(const std::string& fontName);
    ~MeasuringPage();
    const app::QtMetrics& metrics() const { return *metrics_; }
    QSizeF size() const;

  private:
    std::unique_ptr<app::PdfWriter> pdf_;
    std::unique_ptr<app::QtMetrics> metrics_;
};

// Writes every page to a PDF file. The file is replaced only once the whole
// document is on the disk; false, with the reason in `why` when the system
// gave one, when it cannot be written (a file already there is left as it was).
bool writePdf(const Sheet& sheet, const QString& file, const QString& documentTitle, QString& why);

// Everything a sheet is made from, as given on the command line.
struct Request {
    Grid grid;
    Style style;
    std::vector<std::string> expressions;  // given as arguments
    std::vector<std::string> files;        // --from, one expression a line
    std::string pattern;                   // --random, checked by Pattern::parse
    Choices choices;                       // what the random problems' working must show
    int count = 0;                         // how many random expressions
    std::optional<uint64_t> seed;          // chosen at random when not given
    std::string output;                    // the PDF file
};

// The decimal places the board works a quotient to with the conditions `jk`.
int quotientPlaces(const hissan::TJouken& jk);

// Draws `count` problems of `pattern` meeting `choices` from `seed` and lays
// them out with the conditions `jk`, appending them to `out`; the refusal,
// and nothing appended, when they cannot all be drawn. `given` are the
// problems already on the sheet.
Refusal drawCalculations(const Pattern& pattern, const Choices& choices, int count, uint64_t seed,
                         const hissan::TJouken& jk, const app::QtMetrics& metrics,
                         std::vector<Calculation>& out, const std::set<std::string>& given = {});

// Lays out every calculation of the request with the conditions `jk`, then
// writes the PDF. Lists each calculation with its answer on `out`; reports
// every refused expression with where it came from on `err`. Returns the exit
// status: 0 written, 2 an expression was refused or there is none (no file is written), 66 an
// expression file cannot be read, 73 the PDF cannot be written.
int run(const Request& request, const hissan::TJouken& jk, std::ostream& out, std::ostream& err);

}  // namespace worksheet
