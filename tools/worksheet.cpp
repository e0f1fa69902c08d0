#include "tools/worksheet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <ostream>
#include <set>

#include "core/keisan.h"
#include "tools/board_entry.h"
#include "tools/output_file.h"

namespace worksheet {

namespace {

// Page geometry in pixels at 96 dots per inch (A4: 794 x 1123).
constexpr double kMargin = 45;    // about 12 mm round the page
constexpr double kHeaderH = 50;   // title, name field and page number
constexpr double kPad = 8;        // inside a cell, round its board
constexpr double kNumberW = 36;   // the cell's number "(12)" left of the board,
constexpr double kNumberH = 20;   // or above it
constexpr double kNumberPx = 15;  // its font, in pixels
constexpr double kTitlePx = 20;
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

namespace {

bool isPacing(const hissan::Op& op) {
    return op.kind == hissan::Op::Pause || op.kind == hissan::Op::Step;
}

bool isFirstRule(const hissan::Op& op) {
    return op.kind == hissan::Op::Line && op.part == hissan::Part::OperatorRule;
}

// The parts that state the problem: the operands, the operator and its rule,
// a division's frame, the part names beside them and what it asks for.
bool isProblemPart(hissan::Part part) {
    using hissan::Part;
    return part == Part::Operand || part == Part::OperatorRule || part == Part::DivisionFrame ||
           part == Part::Label || part == Part::Note;
}

}  // namespace

hissan::DisplayList problemOps(const hissan::DisplayList& board, size_t layoutStart, char op) {
    using hissan::Op;
    const size_t n = board.size();
    layoutStart = std::min(layoutStart, n);

    // The layout states its problem before the pupil's work begins: up to its
    // first rule with the pieces that continue it on its line, a division up
    // to its first step.
    size_t end = layoutStart;
    if (op == '/') {
        while (end < n && board[end].kind != Op::Step) ++end;
    } else {
        size_t rule = layoutStart;
        while (rule < n && !isFirstRule(board[rule])) ++rule;
        if (rule < n) {
            end = rule + 1;
            for (size_t j = rule + 1; j < n; ++j) {
                if (board[j].kind == Op::Pause) continue;
                if (!isFirstRule(board[j]) || board[j].y1 != board[rule].y1) break;
                end = j + 1;
            }
        }
    }

    hissan::DisplayList out;
    for (size_t i = 0; i < n; ++i) {
        const Op& o = board[i];
        if (o.stepOnly || isPacing(o)) continue;
        // Before the layout: the expression line. After the problem's end
        // only a note (how far a quotient is worked) still belongs to it.
        const bool kept = i < layoutStart ? true
                          : i < end       ? isProblemPart(o.part)
                                          : o.part == hissan::Part::Note;
        if (kept) out.push_back(o);
    }
    return out;
}

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
    const hissan::DisplayList board = k.printLayout(metrics, nullptr, &layoutStart);
    for (const hissan::Op& op : board)
        if (!op.stepOnly) c.full.push_back(op);
    c.problem = problemOps(board, layoutStart, k.shiki().Enzanshi);
    c.extent = app::opsExtent(c.full);
    for (const hissan::Op& op : c.full)
        if (op.kind == hissan::Op::Text) {
            c.lineMiddle = (op.y1 + op.y2) / 2;
            break;
        }
    return c;
}

// ---- the sheet ------------------------------------------------------------------------

Sheet::Sheet(QSizeF pageSize, Grid grid, std::vector<Calculation> calculations, Style style,
             const app::QtMetrics& metrics)
    : page_(pageSize),
      grid_(grid),
      calculations_(std::move(calculations)),
      style_(std::move(style)),
      metrics_(metrics) {
    area_ = QRectF(kMargin, kMargin + kHeaderH, page_.width() - 2 * kMargin,
                   page_.height() - 2 * kMargin - kHeaderH);
    // One scale for the whole sheet: the largest board fills its cell, and
    // no board is drawn larger than on the blackboard. The cells' numbers go
    // beside the boards or above them, whichever leaves them larger.
    auto fit = [&](bool above) {
        numberAbove_ = above;
        const QRectF room = boardRect(0);
        double s = 1;
        for (const Calculation& c : calculations_) {
            if (c.extent.width() > 0) s = std::min(s, room.width() / c.extent.width());
            if (c.extent.height() > 0) s = std::min(s, room.height() / c.extent.height());
        }
        return s;
    };
    const double beside = fit(false), above = fit(true);
    numberAbove_ = above > beside;
    scale_ = std::max(beside, above);
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

QRectF Sheet::cellRect(int slot) const {
    const double w = area_.width() / grid_.cols;
    const double h = area_.height() / grid_.rows;
    const int col = slot % grid_.cols, row = slot / grid_.cols;
    return QRectF(area_.left() + col * w, area_.top() + row * h, w, h);
}

QRectF Sheet::boardRect(int slot) const {
    if (numberAbove_) return cellRect(slot).adjusted(kPad, kPad + kNumberH, -kPad, -kPad);
    return cellRect(slot).adjusted(kPad + kNumberW, kPad, -kPad, -kPad);
}

void Sheet::paintHeader(QPainter& p, int page) const {
    const double top = kMargin;
    const double right = page_.width() - kMargin;
    const double baseline = top + kHeaderH * 0.55;
    p.setPen(Qt::black);

    QFont small(metrics_.family());
    small.setPixelSize(int(kHeaderPx));
    const QString number = QStringLiteral("%1 / %2").arg(page + 1).arg(pageCount());
    p.setFont(small);
    const double numberW = QFontMetricsF(small, p.device()).horizontalAdvance(number);
    p.drawText(QPointF(right - numberW, baseline), number);

    const QString name = QStringLiteral("なまえ＿＿＿＿＿＿＿＿＿＿");
    const double nameW = QFontMetricsF(small, p.device()).horizontalAdvance(name);
    const double nameX = right - numberW - 30 - nameW;
    p.drawText(QPointF(nameX, baseline), name);

    QString title = style_.title;
    if (isAnswerPage(page))
        title += title.isEmpty() ? QStringLiteral("答え") : QStringLiteral("　［答え］");
    if (!title.isEmpty()) {
        QFont big(metrics_.family());
        big.setPixelSize(int(kTitlePx));
        big.setBold(true);
        p.setFont(big);
        const QFontMetricsF fm(big, p.device());
        const double room = nameX - 24 - kMargin;
        p.drawText(QPointF(kMargin, baseline), fm.elidedText(title, Qt::ElideRight, room));
    }
    QPen rule(QColor(96, 96, 96));
    rule.setWidthF(1.0);
    p.setPen(rule);
    const double y = top + kHeaderH - 10;
    p.drawLine(QPointF(kMargin, y), QPointF(right, y));
}

void Sheet::paintCell(QPainter& p, int page, int slot) const {
    const int index = calculationAt(page, slot);
    if (index < 0) return;
    const Calculation& c = calculations_[size_t(index)];
    const QRectF cell = cellRect(slot);
    const QRectF box = boardRect(slot);

    QFont f(metrics_.family());
    f.setPixelSize(int(kNumberPx));
    p.setFont(f);
    p.setPen(Qt::black);
    const QFontMetricsF fm(f, p.device());
    // The number stands in the cell's corner, level with the expression line
    // when it is beside the board.
    const double middle = numberAbove_ ? cell.top() + kPad + kNumberH / 2
                                       : box.top() + scale_ * (c.lineMiddle - c.extent.top());
    p.drawText(QPointF(cell.left() + kPad, middle + (fm.ascent() - fm.descent()) / 2),
               QStringLiteral("(%1)").arg(index + 1));

    p.save();
    p.translate(box.topLeft());
    p.scale(scale_, scale_);
    p.translate(-c.extent.topLeft());
    app::RenderOptions opt;
    opt.scheme = 1;  // the whiteboard colours: dark on white paper
    app::renderOps(p, isAnswerPage(page) || !style_.problems ? c.full : c.problem, metrics_, opt);
    p.restore();
}

void Sheet::paintPage(QPainter& p, int page) const {
    p.fillRect(QRectF(QPointF(0, 0), page_), Qt::white);
    paintHeader(p, page);
    QPen frame(QColor(200, 200, 200));
    frame.setWidthF(0.75);
    for (int slot = 0; slot < grid_.perPage(); ++slot) {
        if (calculationAt(page, slot) < 0) continue;
        p.setPen(frame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cellRect(slot).adjusted(2, 2, -2, -2));
        paintCell(p, page, slot);
    }
}

void setUpPage(QPdfWriter& pdf) {
    pdf.setResolution(96);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Portrait);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
}

MeasuringPage::MeasuringPage(const std::string& fontName)
    : scratch_(std::make_unique<QBuffer>()), pdf_(std::make_unique<QPdfWriter>(scratch_.get())) {
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
        QPdfWriter pdf(&out);
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
        // The board lays each problem out as it is drawn: one it refuses (a
        // digit limit, a divisor that overflows) is drawn again.
        std::map<std::string, Calculation> laidOut;
        const Drawn drawn = drawProblems(
            *pattern, choices, request.count, seed,
            [&](const std::string& e) -> std::string {
                auto laid = layOut(e, jk, metrics);
                if (auto* no = std::get_if<std::string>(&laid)) return *no;
                laidOut.insert_or_assign(e, std::move(std::get<Calculation>(laid)));
                return {};
            },
            given);
        if (drawn.refusal.kind != Refusal::None) {
            err << "hissan-render: --random " << request.pattern << ": "
                << describe(drawn.refusal, *pattern, choices, request.count) << "\n";
            return kExitRefused;
        }
        for (const std::string& e : drawn.expressions) calculations.push_back(laidOut.at(e));
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
