// hissan-render: draws one calculation as the board shows it and exports it
// for worksheets (PNG, SVG, PDF) or prints it as rows of text; it also gives
// what the board reads aloud after "=", as text or as a WAV file.
//
// The expression goes through the program's own entry (MojiInput for each
// character, then "="), evaluation and layout code, measured with the board
// font on the output device.
#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/conditions.h"
#include "core/keisan.h"
#include "hissan/rows.h"
#include "tools/speech_loader.h"
#include "ui/board_entry.h"
#include "ui/data_paths.h"
#include "ui/output_file.h"
#include "ui/pdf_writer.h"
#include "ui/renderer.h"
#include "ui/worksheet.h"

namespace {

constexpr int kExitRefused = 2;     // the program does not accept the expression
constexpr int kExitUsage = 64;      // a malformed command line
constexpr int kExitCantWrite = 73;  // the output file could not be written
constexpr int kExitNoSpeech = 69;   // the speech synthesiser cannot be used

const char* const kUsage =
    "usage: hissan-render [-o FILE.png|.svg|.pdf] [--scheme black|white|contrast]\n"
    "                     [--font-size N] [--set KEY=VALUE]... [--rows] [--reading]\n"
    "                     [--speak FILE.wav] EXPRESSION\n"
    "       hissan-render --sheet COLSxROWS -o FILE.pdf [--problems [--answers]] [--title T]\n"
    "                     [--from FILE] [--random PATTERN [--count N] [--seed S] [CHOICE]...]\n"
    "                     [--squares] [--numbering paren|circle] [--expression-only]\n"
    "                     [--font-size N] [--set KEY=VALUE]... [EXPRESSION...]\n";

const char* const kHelp =
    "Draws a column calculation (筆算) exactly as the blackboard program does and\n"
    "prints its answer on the first line of standard output.\n"
    "\n"
    "  EXPRESSION          as typed on the board: 12+9, 1.25+3.75, 230*30, 7-2= ;\n"
    "                      '*' is ×, '/' is ÷; a final '=' may be given;\n"
    "                      full-width digits and ＋ － × ÷ ＝ ． are read as\n"
    "                      the keys they stand for\n"
    "  -o FILE             write the finished board; the format follows the\n"
    "                      extension: .png, .svg or .pdf\n"
    "  --scheme S          black (blackboard), white (whiteboard, default) or\n"
    "                      contrast (見やすい色: strong colours on a deep green,\n"
    "                      for projectors and for pupils who see red and green alike)\n"
    "  --font-size N       board font size in points, 5..50 (default 40)\n"
    "  --set KEY=VALUE     a calculation condition, repeatable:\n"
    "                        KURIAGARI, KURISAGARI, QQ_FLAG, KAIGYO_FLAG, SYOUPTLNDSP,\n"
    "                        SHOU0_DSP, MatsubiZeroKake, MatsubiZeroWari, BubunWa: 0 or 1\n"
    "                        POINTMAX: 0..10   SHOU_ITI: 0, 1 or 2\n"
    "  --rows              print the board as rows of text after the answer\n"
    "  --reading           print what is read aloud after \"=\" (the expression,\n"
    "                      then the answer), one line each, as the speech\n"
    "                      synthesiser is given it, after the answer\n"
    "  --speak FILE.wav    write that reading as a WAV file (16-bit mono), at the\n"
    "                      usual rate and full volume; needs no sound device\n"
    "\n"
    "Worksheets (A4 PDF, whiteboard colours, every board at the same scale):\n"
    "  --sheet COLSxROWS   COLS x ROWS calculations a page (1..10 each), e.g. 3x4;\n"
    "                      each calculation and its answer are listed on stdout\n"
    "  --from FILE         expressions from FILE, one a line, '#' starts a comment\n"
    "                      (UTF-8, or UTF-16 with a byte-order mark; at most 1 MB)\n"
    "  --random PATTERN    random expressions like ddd*dd, dd.d+d.dd, dddd/dd, d0d-dd,\n"
    "                      2d*n (d is a digit, n a digit but 0, 0..9 that digit;\n"
    "                      a difference never goes negative)\n"
    "  --count N           how many (default: one page); --seed S repeats a sheet\n"
    "  choices of the random problems (refused when no problem meets them):\n"
    "  --carry yes|no|any  a carry (+ and *) or a borrow (-) in the working\n"
    "  --remainder yes|no|any  a division leaves a remainder where its quotient stops\n"
    "  --quotient-digits N the quotient's whole part has N digits (1..12)\n"
    "  --zero-in-quotient  a 0 stands in the quotient after its first digit\n"
    "  --no-trivial        no operand 0, no multiplication by 1, no division by 1\n"
    "  --decimals N        the answer has N decimal places (trailing zeros dropped)\n"
    "  --unique            no problem twice on the sheet\n"
    "  --squares           a light squared grid behind each board, its digits in the squares\n"
    "  --numbering S       paren: (1) (2) ... (default), circle: ① ② ...\n"
    "  --expression-only   with --problems: only the expression line, not set out in columns\n"
    "  --problems          only the numbers, the sign and the first rule (a division's\n"
    "                      bracket, divisor and dividend), room left for the working\n"
    "  --answers           answer pages with the full working after the problems\n"
    "  --title TEXT        the title on every page's header\n"
    "  --help              show this help\n"
    "  --version           show the version and the folders the program's data\n"
    "                      is looked up in\n"
    "\n"
    "Exit status: 0 drawn; 2 the program refuses the expression (its message\n"
    "is printed on standard error; a sheet names where each refused one came\n"
    "from and writes no file); 64 a malformed command line; 66 an expression\n"
    "file cannot be read; 73 an output file could not be written (a file\n"
    "already there is left as it was); 69 the speech synthesiser cannot be used.\n";

struct Options {
    std::string expression;
    std::string output;
    int scheme = 1;
    int fontSize = 40;
    bool rows = false;
    bool reading = false;
    std::string speakFile;
    hissan::TJouken jk;
    bool sheet = false;             // --sheet: a worksheet of many calculations
    std::vector<std::string> more;  // the expressions after the first, for a sheet
    worksheet::Request request;
    std::vector<std::string> sheetOnly;  // sheet options given, to refuse them without --sheet
    bool schemeGiven = false;
    bool version = false;
};

[[noreturn]] void usageError(const std::string& what) {
    std::cerr << "hissan-render: " << what << "\n" << kUsage;
    std::exit(kExitUsage);
}

std::optional<int> parseInt(const std::string& text) {
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || text.empty()) return std::nullopt;
    return v;
}

// The options of a worksheet, checked together once all are read.
void checkSheet(Options& o) {
    worksheet::Request& r = o.request;
    if (!o.expression.empty() || !o.more.empty()) {
        r.expressions.push_back(o.expression);
        r.expressions.insert(r.expressions.end(), o.more.begin(), o.more.end());
    }
    for (const std::string& e : r.expressions)
        if (e.empty()) usageError("an expression of the sheet is empty");
    if (o.output.empty()) usageError("--sheet needs -o FILE.pdf");
    if (QFileInfo(QString::fromStdString(o.output)).suffix().toLower() != "pdf")
        usageError("a sheet is written as PDF: -o FILE.pdf, not '" + o.output + "'");
    if (o.rows) usageError("--rows shows one board, not a sheet");
    if (o.schemeGiven && o.scheme != hissan::kSchemeWhiteboard)
        usageError("a sheet is printed in the whiteboard colours; leave out --scheme");
    if (r.style.answers && !r.style.problems)
        usageError(
            "--answers follows the problems of --problems; a sheet without it shows the "
            "working already");
    if (r.count > 0 && r.pattern.empty()) usageError("--count needs --random PATTERN");
    for (const char* choice : {"--carry", "--remainder", "--quotient-digits", "--zero-in-quotient",
                               "--no-trivial", "--decimals", "--unique"})
        if (r.pattern.empty() &&
            std::find(o.sheetOnly.begin(), o.sheetOnly.end(), choice) != o.sheetOnly.end())
            usageError(std::string(choice) + " chooses random problems: it needs --random PATTERN");
    if (r.style.expressionOnly && !r.style.problems)
        usageError("--expression-only sets out the problems of --problems");
    if (r.seed && r.pattern.empty()) usageError("--seed needs --random PATTERN");
    if (!r.pattern.empty() && r.count == 0) r.count = r.grid.perPage();
    if (r.expressions.empty() && r.files.empty() && r.pattern.empty())
        usageError("a sheet needs expressions, --from FILE or --random PATTERN");
    r.output = o.output;
}

Options parseArgs(int argc, char** argv) {
    Options o;
    bool haveExpression = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // "-5+3" is an expression (which the board refuses), not an option.
        const bool negative =
            arg.size() > 1 && arg[0] == '-' && ((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-" || negative) {
            if (haveExpression) {
                o.more.push_back(arg);
                continue;
            }
            o.expression = arg;
            haveExpression = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value" and "--name value" are both accepted.
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.erase(eq);
                inlineValue = true;
            }
        }
        auto takeValue = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= argc) usageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << "\n" << kHelp;
            std::exit(0);
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "-o" || arg == "--output") {
            o.output = takeValue();
            if (o.output.empty()) usageError("-o needs a file name");
        } else if (arg == "--scheme") {
            const std::string s = takeValue();
            if (s == "black")
                o.scheme = hissan::kSchemeBlackboard;
            else if (s == "white")
                o.scheme = hissan::kSchemeWhiteboard;
            else if (s == "contrast")
                o.scheme = hissan::kSchemeContrast;
            else
                usageError("--scheme must be black, white or contrast, not '" + s + "'");
            o.schemeGiven = true;
        } else if (arg == "--font-size") {
            const std::string s = takeValue();
            const auto n = parseInt(s);
            if (!n || *n < 5 || *n > 50)
                usageError("--font-size must be a whole number from 5 to 50, not '" + s + "'");
            o.fontSize = *n;
        } else if (arg == "--set") {
            const std::string s = takeValue();
            const size_t eq = s.find('=');
            if (eq == std::string::npos) usageError("--set needs KEY=VALUE, not '" + s + "'");
            const std::string key = s.substr(0, eq);
            const core::Condition* c = core::findCondition(key);
            if (!c || !c->settable) usageError("unknown condition '" + key + "'");
            const auto n = parseInt(s.substr(eq + 1));
            if (!n || *n < c->lo || *n > c->hi)
                usageError(key + " must be a whole number from " + std::to_string(c->lo) + " to " +
                           std::to_string(c->hi) + ", not '" + s.substr(eq + 1) + "'");
            o.jk.*(c->field) = *n;
        } else if (arg == "--sheet") {
            const std::string s = takeValue();
            const auto grid = worksheet::parseGrid(s);
            if (!grid)
                usageError("--sheet needs COLSxROWS, 1 to 10 each, like 3x4, not '" + s + "'");
            o.request.grid = *grid;
            o.sheet = true;
        } else if (arg == "--from" || arg == "--random" || arg == "--count" || arg == "--seed" ||
                   arg == "--title") {
            const std::string s = takeValue();
            o.sheetOnly.push_back(arg);
            if (arg == "--from") {
                o.request.files.push_back(s);
            } else if (arg == "--random") {
                std::string why;
                if (!worksheet::Pattern::parse(s, why)) usageError("--random '" + s + "': " + why);
                o.request.pattern = s;
            } else if (arg == "--count") {
                const auto n = parseInt(s);
                if (!n || *n < 1 || *n > 1000)
                    usageError("--count must be a whole number from 1 to 1000, not '" + s + "'");
                o.request.count = *n;
            } else if (arg == "--seed") {
                uint64_t v = 0;
                const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
                if (s.empty() || ec != std::errc() || p != s.data() + s.size())
                    usageError(
                        "--seed must be a whole number from 0 to 18446744073709551615, not '" + s +
                        "'");
                o.request.seed = v;
            } else {
                o.request.style.title = QString::fromStdString(s);
            }
        } else if (arg == "--carry" || arg == "--remainder") {
            const std::string s = takeValue();
            o.sheetOnly.push_back(arg);
            worksheet::Choice c = worksheet::Choice::Any;
            if (s == "yes")
                c = worksheet::Choice::Yes;
            else if (s == "no")
                c = worksheet::Choice::No;
            else if (s != "any")
                usageError(arg + " must be yes, no or any, not '" + s + "'");
            (arg == "--carry" ? o.request.choices.carry : o.request.choices.remainder) = c;
        } else if (arg == "--quotient-digits" || arg == "--decimals") {
            const std::string s = takeValue();
            o.sheetOnly.push_back(arg);
            const bool digits = arg == "--quotient-digits";
            const int lo = digits ? 1 : 0, hi = digits ? worksheet::Pattern::kMaxDigits : 10;
            const auto n = parseInt(s);
            if (!n || *n < lo || *n > hi)
                usageError(arg + " must be a whole number from " + std::to_string(lo) + " to " +
                           std::to_string(hi) + ", not '" + s + "'");
            (digits ? o.request.choices.quotientDigits : o.request.choices.decimals) = *n;
        } else if (arg == "--numbering") {
            const std::string s = takeValue();
            o.sheetOnly.push_back(arg);
            if (s != "paren" && s != "circle")
                usageError("--numbering must be paren or circle, not '" + s + "'");
            o.request.style.circled = s == "circle";
        } else if (arg == "--zero-in-quotient" || arg == "--no-trivial" || arg == "--unique" ||
                   arg == "--squares" || arg == "--expression-only") {
            if (inlineValue) usageError(arg + " takes no value");
            o.sheetOnly.push_back(arg);
            worksheet::Request& r = o.request;
            if (arg == "--zero-in-quotient") r.choices.zeroInQuotient = true;
            if (arg == "--no-trivial") r.choices.noTrivial = true;
            if (arg == "--unique") r.choices.unique = true;
            if (arg == "--squares") r.style.squares = true;
            if (arg == "--expression-only") r.style.expressionOnly = true;
        } else if (arg == "--problems" || arg == "--answers") {
            if (inlineValue) usageError(arg + " takes no value");
            o.sheetOnly.push_back(arg);
            (arg == "--problems" ? o.request.style.problems : o.request.style.answers) = true;
        } else if (arg == "--rows") {
            if (inlineValue) usageError("--rows takes no value");
            o.rows = true;
        } else if (arg == "--reading") {
            if (inlineValue) usageError("--reading takes no value");
            o.reading = true;
        } else if (arg == "--speak") {
            o.speakFile = takeValue();
            if (o.speakFile.empty()) usageError("--speak needs a file name");
        } else {
            usageError("unknown option '" + arg + "'");
        }
    }
    if (o.version) {
        // answered once Qt knows the program's folder
    } else if (o.sheet) {
        checkSheet(o);
    } else {
        if (!o.sheetOnly.empty()) usageError(o.sheetOnly.front() + " needs --sheet COLSxROWS");
        if (!haveExpression) usageError("no expression given");
        if (!o.more.empty())
            usageError("only one expression can be drawn: '" + o.more.front() + "'");
        if (o.expression.empty()) usageError("the expression is empty");
    }
    // The program itself refuses rounding at the units place.
    if (o.jk.SHOU_ITI == 1 && o.jk.POINTMAX == 0)
        usageError("SHOU_ITI=1 needs POINTMAX of 1 or more: 整数の位では四捨五入できません。");
    return o;
}

[[noreturn]] void refuse(const std::string& text) {
    std::cerr << "hissan-render: " << text << "\n";
    std::exit(kExitRefused);
}

// Types the expression on the board; exits with the program's message when
// a character or the calculation is refused.
void typeExpression(app::Keisan& k, tools::ToolHost& host, const std::string& expr) {
    if (const auto why = tools::typeOnBoard(k, host, expr)) refuse(*why);
}

enum class Format { None, Png, Svg, Pdf };

Format formatOf(const std::string& file) {
    if (file.empty()) return Format::None;
    const QString suffix = QFileInfo(QString::fromStdString(file)).suffix().toLower();
    if (suffix == "png") return Format::Png;
    if (suffix == "svg") return Format::Svg;
    if (suffix == "pdf") return Format::Pdf;
    usageError("cannot tell the format of '" + file + "': use .png, .svg or .pdf");
}

// Exits after a failed write; `why` is the system's reason, when known.
[[noreturn]] void cannotWrite(const std::string& file, const QString& why) {
    std::cerr << "hissan-render: cannot write " << file;
    if (!why.isEmpty()) std::cerr << ": " << why.toStdString();
    std::cerr << "\n";
    std::exit(kExitCantWrite);
}

void paintBoard(QPainter& p, const app::Keisan& k, const app::QtMetrics& metrics, int scheme,
                QSize size) {
    p.fillRect(QRect(QPoint(0, 0), size), app::backgroundColour(scheme));
    app::RenderOptions opt;
    opt.scheme = scheme;
    app::renderOps(p, k.ops(), metrics, opt);
}

// A 16-bit mono PCM WAV file's bytes.
QByteArray wavBytes(const std::vector<int16_t>& samples, int rate) {
    const auto u32 = [](quint32 v) {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        return QByteArray(b, 4);
    };
    const auto u16 = [](quint16 v) {
        const char b[2] = {char(v), char(v >> 8)};
        return QByteArray(b, 2);
    };
    const quint32 bytes = static_cast<quint32>(samples.size() * 2);
    QByteArray wav;
    wav.reserve(qsizetype(44 + bytes));
    wav += "RIFF" + u32(36 + bytes) + "WAVE";
    wav += "fmt " + u32(16) + u16(1) + u16(1) + u32(quint32(rate)) + u32(quint32(rate) * 2) +
           u16(2) + u16(16);
    wav += "data" + u32(bytes);
    for (const int16_t s : samples) {  // little-endian on every machine
        const auto v = static_cast<quint16>(s);
        wav.append(char(v)).append(char(v >> 8));
    }
    return wav;
}

// The readings one after another, with a short pause between them, as the
// board's speech would sound at its usual rate (level 5) and full volume, as
// a WAV file's bytes. Exits when the synthesiser cannot be used.
QByteArray spokenWav(const speech::SpeechModule& voice, const std::vector<std::string>& readings) {
    std::vector<int16_t> all, one;
    for (const std::string& r : readings) {
        std::string error;
        if (!voice.synthesise(voice.reading(r), 0, 100, one, &error)) {
            std::cerr << "hissan-render: " << error << "\n";
            std::exit(kExitNoSpeech);
        }
        if (!all.empty()) all.insert(all.end(), voice.sampleRate() / 4, 0);
        all.insert(all.end(), one.begin(), one.end());
    }
    return wavBytes(all, voice.sampleRate());
}

QtMessageHandler qtDefaultHandler = nullptr;

// The runtime-directory notice of QStandardPaths is noise on a tool's
// standard error (the offscreen platform needs no runtime directory);
// everything else Qt reports is passed on.
void toolMessageHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (type == QtWarningMsg && msg.startsWith(QLatin1String("QStandardPaths: "))) return;
    if (qtDefaultHandler) qtDefaultHandler(type, ctx, msg);
}

}  // namespace

namespace {

// Ends the process once everything is written: the streams are flushed and
// the kernel frees the rest. Taking Qt's font caches, the font files and the
// laid-out boards apart one by one first would add a few per cent to every
// export for nothing.
[[noreturn]] void leave(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    Options o = parseArgs(argc, argv);
    const Format format = formatOf(o.output);
    qtDefaultHandler = qInstallMessageHandler(toolMessageHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qapp(argc, argv);

    hissan::TJouken& jk = o.jk;
    jk.FONTSIZE = o.fontSize;
    jk.DSP_CL_TYPE = o.scheme;
    jk.PANELFLAG = 0;
    jk.STEPFLAG = 0;
    jk.AUTOSTEP = 0;
    jk.StrokeDelay = 0;
    if (o.version) {
        // The version, and the folders the program's data is looked up in,
        // in order, that exist here: an installed copy lists its share/hissan.
        std::cout << "hissan-render " << HISSAN_VERSION << "\n";
        for (const QString& dir : app::dataDirs())
            if (QFileInfo(dir).isDir()) std::cout << "data: " << dir.toStdString() << "\n";
        return 0;
    }
    if (o.sheet) leave(worksheet::run(o.request, jk, std::cout, std::cerr));
    // The speech libraries are loaded only when the readings are wanted, and
    // before anything is written.
    const speech::SpeechModule* voice = nullptr;
    if (o.reading || !o.speakFile.empty()) {
        std::string why;
        voice = tools::loadSpeech(why);
        if (!voice) {
            std::cerr << "hissan-render: " << why << "\n";
            return kExitNoSpeech;
        }
    }
    // Only the reading of "=" is wanted, not that of every key.
    jk.YOMIAGEFLAG1 = 0;
    jk.YOMIAGEFLAG2 = o.reading || !o.speakFile.empty() ? 1 : 0;
    const QString family = app::boardFontFamily(jk.FONTNAME);
    const QString file = QString::fromStdString(o.output);

    // The board is measured on the device it is drawn on; every device works
    // at the screen's 96 dots per inch so the three formats look alike. SVG
    // and PDF are drawn straight into the output file, which takes the file's
    // name only once all of it is on the disk.
    tools::OutputFile boardFile(file);
    QImage probe(1, 1, QImage::Format_RGB32);
    std::unique_ptr<QSvgGenerator> svg;
    std::unique_ptr<app::PdfWriter> pdf;
    const QPaintDevice* device = &probe;
    if (format == Format::Svg) {
        svg = std::make_unique<QSvgGenerator>();
        svg->setResolution(96);
        svg->setTitle(QString::fromStdString(o.expression));
        device = svg.get();
    } else if (format == Format::Pdf) {
        pdf = std::make_unique<app::PdfWriter>(&boardFile);
        pdf->setResolution(96);
        pdf->setTitle(QString::fromStdString(o.expression));
        device = pdf.get();
    }
    const app::QtMetrics metrics(family, device);

    tools::ToolHost host;
    app::Keisan keisan(jk, metrics);
    typeExpression(keisan, host, o.expression);

    // The board's own size: everything drawn, with a cell of margin.
    const hissan::Grid& b = keisan.grid();
    hissan::DisplayList shown;  // what a board outside step mode shows
    for (const hissan::Op& op : keisan.ops())
        if (!op.stepOnly) shown.push_back(op);
    const QRect extent = app::opsExtent(shown);
    const QSize size(std::max(extent.right(), 1) + b.CellW,
                     std::max(extent.bottom(), 1) + b.LineH / 2);

    // Spoken before any file is written: a synthesiser that cannot be used
    // leaves no file behind.
    const QByteArray wav = o.speakFile.empty() ? QByteArray() : spokenWav(*voice, host.readings);

    bool drawn = true;
    if (format == Format::Png) {
        // One board's PNG is small: encoded in memory, then written whole.
        QImage image(size, QImage::Format_RGB32);
        {
            QPainter p(&image);
            paintBoard(p, keisan, metrics, o.scheme, size);
        }
        QBuffer png;
        drawn = png.open(QIODevice::WriteOnly) && image.save(&png, "PNG") && boardFile.open() &&
                boardFile.write(png.data()) == png.data().size();
    } else if (format == Format::Svg) {
        svg->setSize(size);
        svg->setViewBox(QRect(QPoint(0, 0), size));
        svg->setOutputDevice(&boardFile);
        QPainter p;
        drawn = boardFile.open() && p.begin(svg.get());
        if (drawn) paintBoard(p, keisan, metrics, o.scheme, size);
        drawn = drawn && p.end();
    } else if (format == Format::Pdf) {
        pdf->setPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96));
        QPainter p;
        drawn = boardFile.open() && p.begin(pdf.get());
        if (drawn) paintBoard(p, keisan, metrics, o.scheme, size);
        drawn = drawn && p.end();
    }
    if (format != Format::None && !(drawn && boardFile.commit())) {
        boardFile.discard();
        cannotWrite(o.output, boardFile.failure());
    }
    QString why;
    if (!o.speakFile.empty() &&
        !tools::writeWholeFile(QString::fromStdString(o.speakFile), wav, why))
        cannotWrite(o.speakFile, why);

    std::cout << keisan.Kotae() << "\n";
    if (o.reading)
        for (const std::string& r : host.readings) std::cout << voice->reading(r) << "\n";
    if (o.rows)
        for (const std::string& row : hissan::boardRowTexts(keisan.ops(), keisan.grid()))
            std::cout << row << "\n";
    leave(0);
}
