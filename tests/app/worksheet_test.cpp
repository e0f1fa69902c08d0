// Worksheets: pages, cells, the practice problems cut from finished boards,
// the random patterns and the expression files, and the whole run that
// writes a PDF or nothing.
#include "ui/worksheet.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPicture>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTransform>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "tests/engine/exact_decimal.h"

namespace {

using hissan::Op;
using worksheet::Calculation;

// The boards are measured on a PDF page, as the tool does.
worksheet::MeasuringPage& page() {
    static worksheet::MeasuringPage p("ＭＳゴシック");
    return p;
}

Calculation calc(const std::string& expr, const hissan::TJouken& jk = {}) {
    auto laid = worksheet::layOut(expr, jk, page().metrics());
    if (auto* why = std::get_if<std::string>(&laid)) {
        ADD_FAILURE() << expr << ": " << *why;
        return {};
    }
    return std::get<Calculation>(laid);
}

std::vector<Calculation> calcs(const std::vector<std::string>& exprs,
                               const hissan::TJouken& jk = {}) {
    std::vector<Calculation> out;
    for (const std::string& e : exprs) out.push_back(calc(e, jk));
    return out;
}

worksheet::Sheet sheetOf(std::vector<Calculation> c, worksheet::Grid grid, bool problems,
                         bool answers) {
    worksheet::Style style;
    style.problems = problems;
    style.answers = answers;
    style.title = QStringLiteral("筆算の練習");
    return worksheet::Sheet(page().size(), grid, std::move(c), style, page().metrics());
}

// A digit, half- or full-width (the board writes both).
bool isDigitText(const Op& op) {
    if (op.kind != Op::Text) return false;
    if (op.text.size() == 1) return op.text[0] >= '0' && op.text[0] <= '9';
    return op.text.size() == 3 && op.text.compare(0, 2, "\xEF\xBC") == 0 &&
           uint8_t(op.text[2]) >= 0x90 && uint8_t(op.text[2]) <= 0x99;  // ０..９
}

// ---- pages and cells ------------------------------------------------------------------

TEST(Sheet, PagesHoldColsTimesRowsAndTheAnswerPagesFollow) {
    std::vector<std::string> exprs;
    for (int i = 1; i <= 25; ++i)
        exprs.push_back(std::to_string(100 + i * 7) + "*" + std::to_string(10 + i));
    const std::vector<Calculation> c = calcs(exprs);

    const worksheet::Sheet plain = sheetOf(c, {3, 4}, false, false);
    EXPECT_EQ(plain.pageCount(), 3);
    EXPECT_FALSE(plain.isAnswerPage(2));
    EXPECT_EQ(plain.calculationAt(2, 0), 24);
    EXPECT_EQ(plain.calculationAt(2, 1), -1);  // the last page has one calculation

    const worksheet::Sheet both = sheetOf(c, {3, 4}, true, true);
    EXPECT_EQ(both.pageCount(), 6);
    EXPECT_FALSE(both.isAnswerPage(2));
    EXPECT_TRUE(both.isAnswerPage(3));
    EXPECT_EQ(both.calculationAt(3, 0), 0);  // the answers start again at the first
    EXPECT_EQ(both.calculationAt(4, 11), 23);
    EXPECT_EQ(both.calculationAt(5, 0), 24);
    EXPECT_EQ(both.calculationAt(5, 1), -1);
    EXPECT_EQ(both.calculationAt(6, 0), -1);

    EXPECT_EQ(sheetOf(c, {5, 5}, true, false).pageCount(), 1);
    EXPECT_EQ(sheetOf({c[0]}, {1, 1}, true, true).pageCount(), 2);
}

// Whatever a cell draws, as recorded by a QPicture, lies inside the cell; the
// boards' own ops (the expression line and the working), mapped to the page,
// lie inside the part left for them and do not overlap each other.
void expectEveryBoardInsideItsCell(const worksheet::Sheet& sheet, worksheet::Grid grid) {
    for (int pg = 0; pg < sheet.pageCount(); ++pg) {
        for (int slot = 0; slot < grid.perPage(); ++slot) {
            const int index = sheet.calculationAt(pg, slot);
            if (index < 0) continue;
            const Calculation& c = sheet.calculations()[size_t(index)];
            const QRectF box = sheet.boardRect(slot);
            const QRectF cell = sheet.cellRect(slot);
            EXPECT_TRUE(cell.contains(box));
            const QRectF line = sheet.lineTransform(slot, index)
                                    .mapRect(QRectF(app::opsExtent(sheet.lineOps(index, true))));
            const QRectF work = sheet.workTransform(slot, index)
                                    .mapRect(QRectF(app::opsExtent(sheet.workOps(index, true))));
            for (const QRectF& drawn : {line, work})
                EXPECT_TRUE(box.adjusted(-0.5, -0.5, 0.5, 0.5).contains(drawn))
                    << c.expression << " on page " << pg << ": " << drawn.x() << "," << drawn.y()
                    << " " << drawn.width() << "x" << drawn.height() << " not in " << box.x() << ","
                    << box.y() << " " << box.width() << "x" << box.height();
            EXPECT_LE(line.bottom(), work.top() + 0.5)
                << c.expression << ": the working covers the line";

            QPicture picture;
            QPainter p(&picture);
            sheet.paintCell(p, pg, slot);
            p.end();
            const QRect recorded = picture.boundingRect();
            EXPECT_TRUE(cell.toAlignedRect().adjusted(-1, -1, 1, 1).contains(recorded))
                << c.expression << " on page " << pg << " draws outside its cell";
        }
    }
}

TEST(Sheet, EveryBoardStaysInsideItsCellAtOneScale) {
    hissan::TJouken labels;
    labels.QQ_FLAG = 1;  // part names widen the boards
    labels.KAIGYO_FLAG = 1;
    const std::vector<std::string> exprs = {"12+9",          "123456*654321",     "1000000-1",
                                            "99999.99+0.01", "3.14*2.5",          "1002-7.5",
                                            "7*8",           "98765432+12345678", "646/6"};
    for (const hissan::TJouken& jk : {hissan::TJouken{}, labels}) {
        const std::vector<Calculation> c = calcs(exprs, jk);
        for (worksheet::Grid grid : {worksheet::Grid{1, 1}, worksheet::Grid{2, 3},
                                     worksheet::Grid{3, 4}, worksheet::Grid{10, 10}}) {
            for (bool squares : {false, true}) {
                worksheet::Style style;
                style.problems = style.answers = true;
                style.squares = squares;
                const worksheet::Sheet sheet(page().size(), grid, c, style, page().metrics());
                EXPECT_GT(sheet.scale(), 0);
                EXPECT_LE(sheet.scale(), 1);  // never larger than on the blackboard
                expectEveryBoardInsideItsCell(sheet, grid);
            }
        }
    }
    // Small boards alone are drawn with squares of about 1 cm, not blown up.
    const double square = sheetOf(calcs({"1+2"}), {1, 1}, false, false).scale() *
                          calc("1+2").squares.size * 25.4 / 96;
    EXPECT_NEAR(square, 10, 0.5);
}

TEST(Sheet, CellsTileThePageBelowTheHeaderWithoutOverlapping) {
    const worksheet::Sheet sheet = sheetOf(calcs({"1+2"}), {3, 4}, false, false);
    const QRectF pageRect(QPointF(0, 0), page().size());
    for (int a = 0; a < 12; ++a) {
        EXPECT_TRUE(pageRect.contains(sheet.cellRect(a)));
        EXPECT_GT(sheet.cellRect(a).top(), 60);  // below the header
        for (int b = a + 1; b < 12; ++b)
            EXPECT_FALSE(sheet.cellRect(a).intersects(sheet.cellRect(b))) << a << " " << b;
    }
}

// ---- practice problems ---------------------------------------------------------------

struct Expect {
    std::string expr;
    int operandDigits;
};

TEST(Problems, ShowTheOperandsSignAndFirstRuleAndNoAnswerOrWorking) {
    hissan::TJouken zeros;
    zeros.MatsubiZeroKake = 1;
    const std::vector<std::pair<Expect, hissan::TJouken>> cases = {
        {{"95+7", 3}, {}},   {{"478+365", 6}, {}},  {{"12.5+3.75", 6}, {}}, {{"1002-7.5", 6}, {}},
        {{"1000-1", 5}, {}}, {{"123*45", 5}, {}},   {{"3.14*2.5", 5}, {}},  {{"230*30", 5}, zeros},
        {{"0*45", 3}, {}},   {{"5.05-0.5", 5}, {}},
    };
    for (const auto& [want, jk] : cases) {
        const Calculation c = calc(want.expr, jk);
        ASSERT_FALSE(c.problem.empty()) << want.expr;
        // The "=" of the expression line is drawn; nothing stands after it.
        int equalsX = -1;
        for (const Op& op : c.problem)
            if (op.kind == Op::Text && (op.text == "=" || op.text == "＝") && equalsX < 0)
                equalsX = op.x1;
        ASSERT_GE(equalsX, 0) << want.expr;
        const int lineY = c.problem.front().y1;
        int ruleY = -1;
        for (const Op& op : c.problem)
            if (op.kind == Op::Line && op.colour == hissan::kRule) ruleY = std::max(ruleY, op.y1);
        ASSERT_GT(ruleY, lineY) << want.expr << ": no rule under the operands";
        std::set<std::pair<int, int>> digitCells;
        for (const Op& op : c.problem) {
            EXPECT_NE(op.colour.role, hissan::Role::Answer) << want.expr << ": " << op.text;
            EXPECT_FALSE(op.kind == Op::Pause || op.kind == Op::Step || op.stepOnly);
            if (op.kind != Op::Text) continue;
            if (op.y1 == lineY) {
                EXPECT_LE(op.x1, equalsX) << want.expr << ": '" << op.text << "' after =";
                continue;
            }
            EXPECT_LT(op.y1, ruleY) << want.expr << ": '" << op.text << "' under the rule";
            if (isDigitText(op)) digitCells.insert({op.x1, op.y1});
        }
        // Exactly the operands' digits stand in the columns.
        EXPECT_EQ(int(digitCells.size()), want.operandDigits) << want.expr;
        // The finished board has the answer the problem leaves out.
        EXPECT_GT(c.full.size(), c.problem.size()) << want.expr;
    }
}

TEST(Problems, DivisionShowsItsBracketDivisorDividendAndNoteOnly) {
    hissan::TJouken tenths;
    tenths.POINTMAX = 1;
    hissan::TJouken zeros;
    zeros.MatsubiZeroWari = 1;
    struct Case {
        std::string expr;
        hissan::TJouken jk;
        int digits, points;  // of the divisor and the dividend
    };
    const std::vector<Case> cases = {
        {"5808/67", {}, 6, 0},      {"7/8", {}, 2, 0},    {"12/5", tenths, 3, 0},
        {"65.1/2.9", tenths, 5, 2}, {"3/0.25", {}, 4, 1}, {"1.23/0.4", {}, 5, 2},
        {"1200/300", zeros, 7, 0},
    };
    for (const Case& t : cases) {
        const Calculation c = calc(t.expr, t.jk);
        ASSERT_FALSE(c.problem.empty()) << t.expr;
        // The expression line's first digit gives its row and the text height.
        const Op& first = *std::find_if(c.problem.begin(), c.problem.end(), isDigitText);
        const int lineY = first.y1;
        const int lineH = first.y2 - first.y1;
        int bracketY = -1;
        for (const Op& op : c.problem)
            if (op.kind == Op::Line && op.colour == hissan::kRule && bracketY < 0) bracketY = op.y1;
        ASSERT_GT(bracketY, lineY) << t.expr << ": no bracket";
        std::set<std::pair<int, int>> digits, points;
        bool note = false;
        for (const Op& op : c.problem) {
            if (op.kind != Op::Text) continue;
            EXPECT_NE(op.colour.role, hissan::Role::Answer) << t.expr;
            if (op.bold && op.underline) {
                note = true;  // how far the quotient is to be worked
                continue;
            }
            if (op.y1 < lineY + lineH) continue;  // the expression line, its points lower
            // Only the dividend's row and the bracket: no quotient above, no working below.
            EXPECT_LT(std::abs(op.y1 - bracketY), lineH) << t.expr << ": '" << op.text << "'";
            if (isDigitText(op)) digits.insert({op.x1, op.y1});
            // A typed point drawn again as moved stands within a few pixels of itself.
            if (op.colour.role == hissan::Role::Point) points.insert({op.x1 / 16, op.y1 / 16});
        }
        EXPECT_TRUE(note) << t.expr;
        EXPECT_EQ(int(digits.size()), t.digits) << t.expr;
        EXPECT_EQ(int(points.size()), t.points) << t.expr;
        EXPECT_GT(c.full.size(), c.problem.size()) << t.expr;
    }
}

// A division sets up its frame (dividend, bracket, divisor, and the marks of
// its decimal places) before its first step, and writes its note with the
// answer. The problem keeps the frame's digits and bracket and the note, by
// the parts the layout gave them.
TEST(Problems, DivisionKeepsTheBracketDivisorDividendAndTheNote) {
    using hissan::Part;
    auto text = [](int x, int y, const char* t, hissan::Colour c, Part part, bool note = false) {
        Op op;
        op.part = part;
        op.kind = Op::Text;
        op.x1 = x;
        op.y1 = y;
        op.x2 = x + 26;
        op.y2 = y + 57;
        op.size = note ? 24 : 40;
        op.bold = op.underline = note;
        op.text = t;
        op.colour = c;
        return op;
    };
    auto line = [](int x1, int y, int x2, hissan::Colour c, Part part) {
        Op op;
        op.part = part;
        op.kind = Op::Line;
        op.x1 = x1;
        op.y1 = op.y2 = y;
        op.x2 = x2;
        op.width = 4;
        op.colour = c;
        return op;
    };
    auto square = [](int x, int y, Part part) {  // a glyph's background square
        Op op;
        op.part = part;
        op.kind = Op::Rect;
        op.x1 = x;
        op.y1 = y;
        op.x2 = x + 52;
        op.y2 = y + 57;
        op.colour = hissan::Colour::of(hissan::Role::Background);
        op.text = "square";
        return op;
    };
    Op step;
    step.kind = Op::Step;
    Op pause;
    pause.kind = Op::Pause;
    hissan::DisplayList board = {
        // expression line 12/5=
        text(100, 57, "1", hissan::kDigit, Part::Expression),
        text(152, 57, "2", hissan::kDigit, Part::Expression),
        text(204, 57, "÷", hissan::kPoint, Part::Expression),
        text(256, 57, "5", hissan::kDigit, Part::Expression),
        text(308, 57, "=", hissan::kSign, Part::Expression),
        // frame
        pause, text(300, 285, "1", hissan::kDigit, Part::Operand),
        text(352, 285, "2", hissan::kDigit, Part::Operand),
        text(250, 270, ")", hissan::kRule, Part::DivisionFrame),
        line(250, 280, 404, hissan::kRule, Part::DivisionFrame), square(144, 285, Part::Operand),
        text(144, 285, "5", hissan::kDigit, Part::Operand),
        text(296, 285, ".", hissan::kPoint, Part::Operand),
        // no digit after it: the mark where a whole dividend's point goes
        text(396, 285, ".", hissan::kPoint, Part::Working),
        // a mark over a digit
        square(352, 285, Part::Working), text(352, 285, "2", hissan::kAux, Part::Working),
        text(404, 285, "0", hissan::kSilver, Part::Working),
        line(404, 280, 456, hissan::kAquaLine, Part::Working),
        // the working
        step, text(404, 200, "2", hissan::kDigit, Part::Answer), step,
        text(352, 350, "1", hissan::kDigit, Part::Working),
        line(300, 400, 456, hissan::kRule, Part::Working),
        text(404, 420, "2", hissan::kDigit, Part::Working),
        text(360, 57, "2.4", hissan::kAnswer, Part::Answer),
        text(100, 20, "(商は 小数第 1位まで求め、余りを出す)", hissan::kNote, Part::Note, true)};
    const hissan::DisplayList p = worksheet::problemOps(board, 5, '/');
    std::vector<std::string> kept;
    for (const Op& op : p) kept.push_back(op.kind == Op::Line ? "line" : op.text);
    const std::vector<std::string> want = {"1",
                                           "2",
                                           "÷",
                                           "5",
                                           "=",
                                           "1",
                                           "2",
                                           ")",
                                           "line",
                                           "square",
                                           "5",
                                           ".",
                                           "(商は 小数第 1位まで求め、余りを出す)"};
    EXPECT_EQ(kept, want);
    EXPECT_EQ(p[8].colour, hissan::kRule);
}

// ---- the sheet's sources ----------------------------------------------------------------

TEST(Sources, GridsArePositiveAndAtMostTen) {
    EXPECT_EQ(worksheet::parseGrid("3x4")->cols, 3);
    EXPECT_EQ(worksheet::parseGrid("3x4")->rows, 4);
    EXPECT_EQ(worksheet::parseGrid("10x1")->perPage(), 10);
    EXPECT_EQ(worksheet::parseGrid("2×5")->perPage(), 10);
    for (const char* bad :
         {"", "3", "3x", "x4", "0x4", "3x0", "11x1", "3x4x5", "-1x4", "3 x 4", "a3x4", "003x4"})
        EXPECT_FALSE(worksheet::parseGrid(bad)) << bad;
}

TEST(Sources, PatternsDrawNumbersOfExactlyTheirShape) {
    std::string why;
    for (const char* bad :
         {"", "ddd", "d+", "+d", "dd.+d", "d.d.d+d", "dx+d", "d+d+d", "0d+d", "dd-ddd"}) {
        why.clear();
        EXPECT_FALSE(worksheet::Pattern::parse(bad, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
    const auto pattern = worksheet::Pattern::parse("dd.d+d.dd", why);
    ASSERT_TRUE(pattern);
    std::mt19937_64 rng(42);
    for (int i = 0; i < 200; ++i) {
        const std::string e = pattern->draw(rng);
        ASSERT_EQ(e.size(), 9u) << e;
        EXPECT_TRUE(e[0] != '0' && e[5] != '0') << e;  // no leading zero
        EXPECT_TRUE(e[3] != '0' && e[8] != '0') << e;  // no trailing decimal zero
        EXPECT_EQ(e[2], '.');
        EXPECT_EQ(e[4], '+');
        EXPECT_EQ(e[6], '.');
    }
}

TEST(Sources, DifferencesNeverGoNegativeAndASeedRepeatsItsSheet) {
    std::string why;
    const auto sub = worksheet::Pattern::parse("ddd-ddd", why);
    ASSERT_TRUE(sub);
    std::mt19937_64 rng(7);
    for (int i = 0; i < 500; ++i) {
        const std::string e = sub->draw(rng);
        EXPECT_GE(e.substr(0, 3), e.substr(4)) << e;
    }
    const auto mul = worksheet::Pattern::parse("dddd/dd", why);
    ASSERT_TRUE(mul);
    auto series = [&](uint64_t seed) {
        std::mt19937_64 r(seed);
        std::string s;
        for (int i = 0; i < 20; ++i) s += mul->draw(r) + " ";
        return s;
    };
    EXPECT_EQ(series(2026), series(2026));
    EXPECT_NE(series(2026), series(2027));
}

class Files : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void write(const char* name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(Files, OneExpressionALineWithCommentsAndTheirLineNumbers) {
    write("list.txt", "# たし算\n12+9\n\n  1.5+2.25  # 小数\r\n#\n\t7-2=\r\n１２×３");
    std::vector<worksheet::Source> got;
    std::string error;
    ASSERT_TRUE(worksheet::readExpressions(path("list.txt"), got, error)) << error;
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].expression, "12+9");
    EXPECT_EQ(got[1].expression, "1.5+2.25");
    EXPECT_EQ(got[2].expression, "7-2=");
    EXPECT_EQ(got[3].expression, "１２×３");
    const std::string name = path("list.txt").toStdString();
    EXPECT_EQ(got[0].where, name + ":2");
    EXPECT_EQ(got[1].where, name + ":4");
    EXPECT_EQ(got[3].where, name + ":7");

    write("sjis.txt", "12+9 # \x82\xa0\n");  // Shift-JIS, not UTF-8
    EXPECT_FALSE(worksheet::readExpressions(path("sjis.txt"), got, error));
    EXPECT_NE(error.find("UTF-8"), std::string::npos);
    EXPECT_FALSE(worksheet::readExpressions(path("missing.txt"), got, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
}

TEST_F(Files, AByteOrderMarkIsSkippedAndUtf16WithOneIsRead) {
    const QString text = QStringLiteral("12+9\r\n# 小数\n１２×３\n");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"UTF-16LE",
         QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)(text)},
        {"UTF-16BE",
         QStringEncoder(QStringConverter::Utf16BE, QStringEncoder::Flag::WriteBom)(text)},
    };
    for (const auto& c : cases) {
        write("list.txt", c.bytes);
        std::vector<worksheet::Source> got;
        std::string error;
        ASSERT_TRUE(worksheet::readExpressions(path("list.txt"), got, error)) << c.name << error;
        ASSERT_EQ(got.size(), 2u) << c.name;
        EXPECT_EQ(got[0].expression, "12+9") << c.name;
        EXPECT_EQ(got[1].expression, "１２×３") << c.name;
        EXPECT_EQ(got[1].where, path("list.txt").toStdString() + ":3") << c.name;
    }
}

TEST_F(Files, FoldersAndFilesLargerThanAnyListAreRefused) {
    write("big.txt", QByteArray(1024 * 1024, '\n') + "12+9\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    const struct {
        QString file;
        const char* says;
    } cases[] = {
        {path("big.txt"), "larger than 1 MB"},
        {path("folder"), "is a folder"},
    };
    for (const auto& c : cases) {
        std::vector<worksheet::Source> got;
        std::string error;
        EXPECT_FALSE(worksheet::readExpressions(c.file, got, error)) << c.file.toStdString();
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(got.empty());
    }
}

// ---- the whole run ------------------------------------------------------------------------

TEST_F(Files, ARefusedExpressionWritesNoFileAndNamesWhereItCameFrom) {
    write("list.txt", "12+9\n7-9\n1.2.3+1\n");
    worksheet::Request r;
    r.grid = {2, 2};
    r.files = {path("list.txt").toStdString()};
    r.output = path("sheet.pdf").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(worksheet::run(r, {}, out, err), 2);
    const std::string file = path("list.txt").toStdString();
    EXPECT_NE(err.str().find(file + ":2: 7-9: 引く数の方が大きい．"), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(file + ":3: 1.2.3+1: 4文字目"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"list.txt"});

    // The same list without the refused lines is written, every calculation listed.
    write("list.txt", "12+9\n# 7-9\n");
    r.expressions = {"123*45"};
    std::ostringstream out2, err2;
    EXPECT_EQ(worksheet::run(r, {}, out2, err2), 0) << err2.str();
    EXPECT_EQ(out2.str(), "123*45=5535\n12+9=21\n");
    QFile pdf(path("sheet.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));
}

TEST_F(Files, AFileThatCannotBeWrittenLeavesNothingBehind) {
    worksheet::Request r;
    r.grid = {1, 1};
    r.expressions = {"12+9"};
    r.output = path("no/such/folder/sheet.pdf").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(worksheet::run(r, {}, out, err), 73);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
    EXPECT_TRUE(
        QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(Files, RandomSheetsRepeatWithTheirSeedAndSkipRepeatedProblems) {
    worksheet::Request r;
    r.grid = {3, 4};
    r.pattern = "d+d";
    r.count = 30;
    r.seed = 5;
    r.output = path("a.pdf").toStdString();
    std::ostringstream a, b, err;
    ASSERT_EQ(worksheet::run(r, {}, a, err), 0) << err.str();
    r.output = path("b.pdf").toStdString();
    ASSERT_EQ(worksheet::run(r, {}, b, err), 0) << err.str();
    EXPECT_EQ(a.str(), b.str());
    std::set<std::string> lines;
    std::istringstream in(a.str());
    for (std::string line; std::getline(in, line);) lines.insert(line);
    EXPECT_EQ(lines.size(), 30u);                 // 81 sums to choose from: no problem twice
    EXPECT_TRUE(err.str().empty()) << err.str();  // a given seed is not announced

    // Divisions of the pattern go through the board's own entry and checks.
    r.pattern = "dddd/dd";
    r.count = 3;
    std::ostringstream c, err2;
    ASSERT_EQ(worksheet::run(r, {}, c, err2), 0) << err2.str();
    const std::string listed = c.str();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 3);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '/'), 3);
}

// ---- the printed page ---------------------------------------------------------------------

namespace exact = hissan::test::exact;

// The five kinds of sheet a teacher hands out most.
struct Kind {
    const char* pattern;
    worksheet::Choices choices;
};
std::vector<Kind> kinds() {
    worksheet::Choices carry, noBorrow, remainder, any;
    carry.carry = worksheet::Choice::Yes;
    noBorrow.carry = worksheet::Choice::No;
    remainder.remainder = worksheet::Choice::Yes;
    return {{"ddd+ddd", carry}, {"ddd-ddd", noBorrow}, {"dd*d", any},    {"ddd/d", remainder},
            {"d.d*d.d", any},   {"d0d0-ddd", any},     {"dd.d-d.d", any}};
}

std::vector<Calculation> drawn(const Kind& k, int count, uint64_t seed,
                               const hissan::TJouken& jk = {}) {
    std::string why;
    const auto pattern = worksheet::Pattern::parse(k.pattern, why);
    worksheet::Choices c = k.choices;
    c.quotientPlaces = worksheet::quotientPlaces(jk);
    const worksheet::Drawn d = worksheet::drawProblems(*pattern, c, count, seed);
    EXPECT_EQ(d.refusal.kind, worksheet::Refusal::None) << k.pattern;
    return calcs(d.expressions, jk);
}

// A row of printed digits and points, left to right, as text ("0.5", "628").
std::string rowText(const std::vector<const Op*>& row) {
    std::vector<const Op*> sorted = row;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Op* a, const Op* b) { return a->x1 < b->x1; });
    std::string s;
    for (const Op* op : sorted) {
        if (op->text == "●" || op->text == ".") {
            s += '.';
        } else if (isDigitText(*op)) {
            s += char('0' +
                      (op->text.size() == 1 ? op->text[0] - '0' : uint8_t(op->text[2]) - 0x90));
        }
    }
    return s;
}

// The answer rows of a printed answer, top to bottom.
std::vector<std::string> answerRows(const hissan::DisplayList& work) {
    // Rows by their digits; a point (drawn small, lower) joins the row it is in.
    std::map<int, std::vector<const Op*>> rows;
    for (const Op& op : work)
        if (op.kind == Op::Text && op.part == hissan::Part::Answer && isDigitText(op))
            rows[op.y1].push_back(&op);
    for (const Op& op : work) {
        if (op.kind != Op::Text || op.part != hissan::Part::Answer || op.text != "●") continue;
        for (auto& [y, row] : rows)
            if (op.y1 >= y && op.y1 < row.front()->y2) row.push_back(&op);
    }
    std::vector<std::string> out;
    for (const auto& [y, row] : rows) out.push_back(rowText(row));
    return out;
}

TEST(Printed, EveryAnswerIsTheExactResultWithoutLeadingZeros) {
    hissan::TJouken places;
    places.POINTMAX = 2;
    for (const hissan::TJouken& jk : {hissan::TJouken{}, places}) {
        for (const Kind& k : kinds()) {
            const std::vector<Calculation> c = drawn(k, 60, 5, jk);
            worksheet::Style style;
            style.problems = style.answers = true;
            const worksheet::Sheet sheet(page().size(), {3, 4}, c, style, page().metrics());
            const int p = worksheet::quotientPlaces(jk);
            for (size_t i = 0; i < c.size(); ++i) {
                const std::string e = c[i].expression.substr(0, c[i].expression.size() - 1);
                const size_t at = e.find_first_of("+-*/");
                const exact::Dec a = exact::dec(e.substr(0, at)), b = exact::dec(e.substr(at + 1));
                const std::vector<std::string> rows = answerRows(sheet.workOps(int(i), true));
                ASSERT_FALSE(rows.empty()) << e;
                // The row the pupil writes the answer in: the last one, or
                // above the bracket a division's quotient.
                const std::string row = e[at] == '/' ? rows.front() : rows.back();
                std::string want;
                if (e[at] == '/') {
                    // Quotient to p places, cut; the remainder is what is left.
                    auto p10 = [](int k) {
                        long long v = 1;
                        while (k-- > 0) v *= 10;
                        return v;
                    };
                    const long long num = std::stoll(a.digits) * p10(b.scale + p);
                    const long long den = std::stoll(b.digits) * p10(a.scale);
                    exact::Dec q = exact::dec(std::to_string(num / den));
                    q.scale = p;
                    want = exact::tidy(q);
                    const exact::Dec r = exact::sub(a, exact::mul(q, b));
                    EXPECT_EQ(c[i].answer, want + "R" + exact::tidy(r)) << e;
                } else {
                    const exact::Dec r = e[at] == '+'   ? exact::add(a, b)
                                         : e[at] == '-' ? exact::sub(a, b)
                                                        : exact::mul(a, b);
                    want = exact::tidy(r);
                    EXPECT_EQ(c[i].answer, want) << e;
                }
                // The printed row has the answer's value, its trailing
                // decimal zeros struck through but kept, and no leading zero.
                EXPECT_EQ(exact::compare(exact::dec(row), exact::dec(want)), 0)
                    << e << ": printed " << row << ", exact " << want;
                EXPECT_FALSE(row.size() > 1 && row[0] == '0' && row[1] != '.')
                    << e << ": printed " << row;
            }
        }
    }
}

TEST(Printed, LeadingZerosOfTheBoardAreLeftOutAndBackgroundsNotFilled) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"1000-372", "628"}, {"1000-999.5", "0.5"}, {"100-100", "0"},
        {"1002-997", "5"},   {"10.5-9.75", "0.75"}, {"0.25*0.2", "0.050"},
    };
    for (const auto& [e, want] : cases) {
        const Calculation c = calc(e);
        const hissan::DisplayList printed = worksheet::paperOps(c.full, true);
        hissan::DisplayList work;
        for (const Op& op : printed)
            if (!worksheet::onExpressionLine(op, c)) work.push_back(op);
        const std::vector<std::string> rows = answerRows(work);
        ASSERT_FALSE(rows.empty()) << e;
        EXPECT_EQ(rows.back(), want) << e;
        for (const Op& op : printed)
            EXPECT_FALSE(op.kind == Op::Rect &&
                         op.colour == hissan::Colour::of(hissan::Role::Background))
                << e << ": a background square is filled";
    }
}

// The size of the board's digits on the page, in millimetres: the height of
// their character cell, the type size (a digit's ink is about 3/4 of it).
double digitMillimetres(const worksheet::Sheet& sheet, int mojiSize) {
    return page().metrics().textHeight(mojiSize) * sheet.scale() * 25.4 / 96;
}

TEST(Printed, DigitsAreLargeAndSitInTheirSquares) {
    struct Size {
        worksheet::Grid grid;
        double mm;
    };
    for (const Size& size : {Size{{2, 3}, 7.0}, Size{{3, 4}, 5.0}}) {
        for (const Kind& k : kinds()) {
            const std::vector<Calculation> c = drawn(k, size.grid.perPage(), 8);
            worksheet::Style style;
            style.problems = style.answers = style.squares = true;
            const worksheet::Sheet sheet(page().size(), size.grid, c, style, page().metrics());
            EXPECT_GE(digitMillimetres(sheet, 40), size.mm)
                << k.pattern << " on " << size.grid.cols << "x" << size.grid.rows;
            for (size_t i = 0; i < c.size(); ++i) {
                const worksheet::Squares& sq = c[i].squares;
                ASSERT_GT(sq.columns, 0) << c[i].expression;
                // The squares do not tell how long a problem's working is.
                EXPECT_EQ(sheet.squaresBehind(int(i)).rowTops.size(),
                          sheet.squaresBehind(0).rowTops.size())
                    << c[i].expression;
                // Each full-size digit of the working stands in a square.
                for (const Op& op : sheet.workOps(int(i), true)) {
                    if (!isDigitText(op) || op.size != 40) continue;
                    const double cx = (op.x1 + op.x2) / 2.0, cy = (op.y1 + op.y2) / 2.0;
                    bool inside = false;
                    for (int top : sq.rowTops)
                        inside |= cy >= top && cy <= top + sq.size && cx >= sq.left &&
                                  cx <= sq.left + sq.columns * sq.size;
                    EXPECT_TRUE(inside)
                        << c[i].expression << ": '" << op.text << "' at " << op.x1 << "," << op.y1;
                }
            }
        }
    }
}

TEST(Printed, NumbersInParenthesesOrCircled) {
    const std::vector<Calculation> c = calcs({"1+2"});
    worksheet::Style style;
    const worksheet::Sheet paren(page().size(), {3, 4}, c, style, page().metrics());
    style.circled = true;
    const worksheet::Sheet circled(page().size(), {3, 4}, c, style, page().metrics());
    const std::vector<std::tuple<int, QString, QString>> cases = {
        {0, "(1)", "①"},    {19, "(20)", "⑳"},  {20, "(21)", "㉑"},
        {35, "(36)", "㊱"}, {49, "(50)", "㊿"}, {50, "(51)", "(51)"}};
    for (const auto& [index, p, o] : cases) {
        EXPECT_EQ(paren.numberText(index), p);
        EXPECT_EQ(circled.numberText(index), o);
    }
    EXPECT_EQ(paren.problemsOn(0), 1);
}

}  // namespace
