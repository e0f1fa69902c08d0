// hissan-render: draws one calculation as the board shows it and exports it
// for worksheets (PNG, SVG, PDF) or prints it as rows of text; it also gives
// what the board reads aloud after "=", as text or as a WAV file.
//
// The expression goes through the program's own entry (MojiInput for each
// character, then "="), evaluation and layout code, measured with the board
// font on the output device.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/keisan.h"
#include "app/renderer.h"
#include "hissan/rows.h"
#include "speech/speech_engine.h"
#include "speech/yomi.h"

namespace {

constexpr int kExitRefused = 2;     // the program does not accept the expression
constexpr int kExitUsage = 64;      // a malformed command line
constexpr int kExitCantWrite = 73;  // the output file could not be written
constexpr int kExitNoSpeech = 69;   // the speech synthesiser cannot be used

const char* const kUsage =
    "usage: hissan-render [-o FILE.png|.svg|.pdf] [--scheme black|white] [--font-size N]\n"
    "                     [--set KEY=VALUE]... [--rows] [--reading] [--speak FILE.wav]\n"
    "                     EXPRESSION\n";

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
    "  --scheme S          black (blackboard) or white (whiteboard, default)\n"
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
    "  --help              show this help\n"
    "\n"
    "Exit status: 0 drawn; 2 the program refuses the expression (its message\n"
    "is printed on standard error); 64 a malformed command line; 73 the output\n"
    "file could not be written; 69 the speech synthesiser cannot be used.\n";

struct Condition {
    int hissan::TJouken::*field;
    int lo, hi;
};

const std::map<std::string, Condition>& conditions() {
    using J = hissan::TJouken;
    static const std::map<std::string, Condition> table = {
        {"KURIAGARI", {&J::KURIAGARI, 0, 1}},
        {"KURISAGARI", {&J::KURISAGARI, 0, 1}},
        {"QQ_FLAG", {&J::QQ_FLAG, 0, 1}},
        {"KAIGYO_FLAG", {&J::KAIGYO_FLAG, 0, 1}},
        {"SYOUPTLNDSP", {&J::SYOUPTLNDSP, 0, 1}},
        {"POINTMAX", {&J::POINTMAX, 0, 10}},
        {"SHOU_ITI", {&J::SHOU_ITI, 0, 2}},
        {"SHOU0_DSP", {&J::SHOU0_DSP, 0, 1}},
        {"MatsubiZeroKake", {&J::MatsubiZeroKake, 0, 1}},
        {"MatsubiZeroWari", {&J::MatsubiZeroWari, 0, 1}},
        {"BubunWa", {&J::BubunWa, 0, 1}},
    };
    return table;
}

struct Options {
    std::string expression;
    std::string output;
    int scheme = 1;
    int fontSize = 40;
    bool rows = false;
    bool reading = false;
    std::string speakFile;
    hissan::TJouken jk;
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
            if (haveExpression) usageError("only one expression can be drawn: '" + arg + "'");
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
        } else if (arg == "-o" || arg == "--output") {
            o.output = takeValue();
            if (o.output.empty()) usageError("-o needs a file name");
        } else if (arg == "--scheme") {
            const std::string s = takeValue();
            if (s == "black")
                o.scheme = 0;
            else if (s == "white")
                o.scheme = 1;
            else
                usageError("--scheme must be black or white, not '" + s + "'");
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
            const auto it = conditions().find(key);
            if (it == conditions().end()) usageError("unknown condition '" + key + "'");
            const auto n = parseInt(s.substr(eq + 1));
            const Condition& c = it->second;
            if (!n || *n < c.lo || *n > c.hi)
                usageError(key + " must be a whole number from " + std::to_string(c.lo) + " to " +
                           std::to_string(c.hi) + ", not '" + s.substr(eq + 1) + "'");
            o.jk.*(c.field) = *n;
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
    if (!haveExpression) usageError("no expression given");
    if (o.expression.empty()) usageError("the expression is empty");
    // The program itself refuses rounding at the units place.
    if (o.jk.SHOU_ITI == 1 && o.jk.POINTMAX == 0)
        usageError("SHOU_ITI=1 needs POINTMAX of 1 or more: 整数の位では四捨五入できません。");
    return o;
}

// Collects the program's messages instead of showing boxes.
class ToolHost : public app::KeisanHost {
  public:
    void showMessage(const hissan::Message& m) override { messages.push_back(m); }
    void Yomiage(const std::string& text) override {
        if (!text.empty()) readings.push_back(text);
    }
    std::vector<hissan::Message> messages;
    std::vector<std::string> readings;  // what "=" asks to read aloud
};

[[noreturn]] void refuse(const std::string& text) {
    std::cerr << "hissan-render: " << text << "\n";
    std::exit(kExitRefused);
}

// One character of the expression as given on the command line: the key the
// board gets for it (0 when there is none) and the character itself.
struct Typed {
    char ch = 0;
    std::string given;
};

// The board's key for a full-width character, as a Japanese input method
// writes digits and signs: "１２×３" is typed as 12*3.
char keyOfWide(char32_t cp) {
    if (cp >= U'０' && cp <= U'９') return static_cast<char>('0' + (cp - U'０'));
    switch (cp) {
        case U'＋':
            return '+';
        case U'－':
        case U'−':
            return '-';
        case U'×':
        case U'＊':
            return '*';
        case U'÷':
        case U'／':
            return '/';
        case U'＝':
            return '=';
        case U'．':
            return '.';
        default:
            return 0;
    }
}

std::string byteText(unsigned char c) {
    static const char hex[] = "0123456789ABCDEF";
    return std::string("\\x") + hex[c >> 4] + hex[c & 15];
}

// Splits the argument into its UTF-8 characters. A byte that does not belong
// to a UTF-8 character, and a control character, are shown by their value.
std::vector<Typed> splitExpression(const std::string& text) {
    std::vector<Typed> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            const bool control = c < 0x20 || c == 0x7F;
            out.push_back({static_cast<char>(c), control ? byteText(c) : std::string(1, c)});
            ++i;
            continue;
        }
        const size_t len = c >= 0xC2 && c <= 0xDF   ? 2
                           : c >= 0xE0 && c <= 0xEF ? 3
                           : c >= 0xF0 && c <= 0xF4 ? 4
                                                    : 0;
        char32_t cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        bool valid = len != 0 && i + len <= text.size();
        for (size_t j = 1; valid && j < len; ++j) {
            const unsigned char cc = static_cast<unsigned char>(text[i + j]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (valid) {
            valid = (len == 3 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) ||
                    (len == 4 && cp >= 0x10000 && cp <= 0x10FFFF) || len == 2;
        }
        if (!valid) {
            out.push_back({0, byteText(c)});
            ++i;
            continue;
        }
        out.push_back({keyOfWide(cp), text.substr(i, len)});
        i += len;
    }
    return out;
}

// Why the board left a character out, in the program's words.
std::string whyIgnored(const app::Keisan& k, char ch) {
    const bool op = ch == '+' || ch == '-' || ch == '*' || ch == '/';
    if (!(op || ch == '.' || ch == '=' || (ch >= '0' && ch <= '9')))
        return "式に使えない文字です。使えるのは 0～9 . + - * / = です。";
    if (k.KotaeZumi == 1) return "「＝」の後には何も入力できません。";
    if (ch == '.' && k.ShikiNyuryoku.empty())
        return "式は小数点から始められません。0.5 のように 0 から入力します。";
    if (ch == '.') return "小数点は１つの数に１つだけです。";
    if (op && k.ZenkouKeta == 0) return "演算子の前に数を入力します。";
    if (op) return "演算子は１つだけです。";
    if (ch == '=') {
        if (k.ZenkouKeta == 0) return "式が入力されていません。12+9 のように入力します。";
        if (k.EnzanshiAri == 0) return "演算子 + - * / と、その後の数が必要です。";
        if (k.KoukouTen == 1) return "演算子の後の数は 0.5 のように 0 から入力します。";
        return "演算子の後に数が必要です。";
    }
    return "入力されませんでした。";
}

// Types the expression on the board; exits with the program's message when
// a character or the calculation is refused.
void typeExpression(app::Keisan& k, ToolHost& host, const std::string& expr) {
    std::vector<Typed> typed = splitExpression(expr);
    // The "=" that finishes the expression may be left out.
    const bool equalsGiven = !typed.empty() && typed.back().ch == '=';
    if (!equalsGiven) typed.push_back({'=', ""});
    for (size_t i = 0; i < typed.size(); ++i) {
        const char ch = typed[i].ch;
        const size_t typedBefore = k.ShikiNyuryoku.size();
        const std::string why = whyIgnored(k, ch);
        if (ch != 0) k.MojiInput(ch);
        if (!host.messages.empty()) {
            std::string text;
            for (const hissan::Message& m : host.messages)
                text += (text.empty() ? "" : "\n") + m.text;
            refuse(text);
        }
        const bool accepted = ch == 0     ? false
                              : ch == '=' ? k.KotaeZumi == 1
                                          : k.ShikiNyuryoku.size() == typedBefore + 1;
        if (accepted) continue;
        if (ch == '=' && typed[i].given.empty())
            refuse("式ができていないので計算できません: " + why);
        refuse(std::to_string(i + 1) + "文字目の「" + typed[i].given +
               "」は入力されませんでした: " +
               (ch == '=' ? "式ができていないので「＝」を受け付けません。" : "") + why);
    }
    if (k.Kotae().empty()) refuse("この式の筆算はまだ書けません。");
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

[[noreturn]] void cannotWrite(const std::string& file) {
    std::cerr << "hissan-render: cannot write " << file << "\n";
    std::exit(kExitCantWrite);
}

void paintBoard(QPainter& p, const app::Keisan& k, const app::QtMetrics& metrics, int scheme,
                QSize size) {
    p.fillRect(QRect(QPoint(0, 0), size), app::backgroundColour(scheme));
    app::RenderOptions opt;
    opt.scheme = scheme;
    app::renderOps(p, k.ops(), metrics, opt);
}

// A 16-bit mono PCM WAV file.
bool writeWav(const std::string& file, const std::vector<int16_t>& samples, int rate) {
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto u32 = [](quint32 v) {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        return QByteArray(b, 4);
    };
    const auto u16 = [](quint16 v) {
        const char b[2] = {char(v), char(v >> 8)};
        return QByteArray(b, 2);
    };
    const quint32 bytes = static_cast<quint32>(samples.size() * 2);
    QByteArray head;
    head += "RIFF" + u32(36 + bytes) + "WAVE";
    head += "fmt " + u32(16) + u16(1) + u16(1) + u32(quint32(rate)) + u32(quint32(rate) * 2) +
            u16(2) + u16(16);
    head += "data" + u32(bytes);
    QByteArray data(reinterpret_cast<const char*>(samples.data()), qsizetype(bytes));
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {  // little-endian on every machine
        const auto v = static_cast<quint16>(samples[size_t(i / 2)]);
        data[i] = char(v);
        data[i + 1] = char(v >> 8);
    }
    return f.write(head) == head.size() && f.write(data) == data.size() && f.flush();
}

// The readings one after another, with a short pause between them, as the
// board's speech would sound at its usual rate (level 5) and full volume.
void speakToFile(const std::string& file, const std::vector<std::string>& readings) {
    std::vector<int16_t> all, one;
    for (const std::string& r : readings) {
        std::string error;
        if (!speech::Synthesiser::synthesise(speech::YomiSeiki(speech::YomiHenkan(r)), 0, 100, one,
                                             &error)) {
            std::cerr << "hissan-render: " << error << "\n";
            std::exit(kExitNoSpeech);
        }
        if (!all.empty()) all.insert(all.end(), speech::Synthesiser::sampleRate() / 4, 0);
        all.insert(all.end(), one.begin(), one.end());
    }
    if (!writeWav(file, all, speech::Synthesiser::sampleRate())) cannotWrite(file);
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
    // Only the reading of "=" is wanted, not that of every key.
    jk.YOMIAGEFLAG1 = 0;
    jk.YOMIAGEFLAG2 = o.reading || !o.speakFile.empty() ? 1 : 0;
    const QString family = app::boardFontFamily(jk.FONTNAME);
    const QString file = QString::fromStdString(o.output);

    // The board is measured on the device it is drawn on; every device works
    // at the screen's 96 dots per inch so the three formats look alike.
    QImage probe(1, 1, QImage::Format_RGB32);
    std::unique_ptr<QSvgGenerator> svg;
    std::unique_ptr<QPdfWriter> pdf;
    const QPaintDevice* device = &probe;
    if (format == Format::Svg) {
        svg = std::make_unique<QSvgGenerator>();
        svg->setFileName(file);
        svg->setResolution(96);
        svg->setTitle(QString::fromStdString(o.expression));
        device = svg.get();
    } else if (format == Format::Pdf) {
        pdf = std::make_unique<QPdfWriter>(file);
        pdf->setResolution(96);
        pdf->setTitle(QString::fromStdString(o.expression));
        device = pdf.get();
    }
    const app::QtMetrics metrics(family, device);

    ToolHost host;
    app::Keisan keisan(jk, metrics, &host);
    typeExpression(keisan, host, o.expression);

    // The board's own size: everything drawn, with a cell of margin.
    const hissan::Board& b = keisan.board();
    hissan::DisplayList shown;  // what a board outside step mode shows
    for (const hissan::Op& op : keisan.ops())
        if (!op.stepOnly) shown.push_back(op);
    const QRect extent = app::opsExtent(shown);
    const QSize size(std::max(extent.right(), 1) + b.CellW,
                     std::max(extent.bottom(), 1) + b.LineH / 2);

    if (format == Format::None) {
        // nothing to write
    } else if (format == Format::Png) {
        QImage image(size, QImage::Format_RGB32);
        {
            QPainter p(&image);
            paintBoard(p, keisan, metrics, o.scheme, size);
        }
        if (!image.save(file, "PNG")) cannotWrite(o.output);
    } else if (format == Format::Svg) {
        svg->setSize(size);
        svg->setViewBox(QRect(QPoint(0, 0), size));
        QPainter p;
        if (!p.begin(svg.get())) cannotWrite(o.output);
        paintBoard(p, keisan, metrics, o.scheme, size);
        if (!p.end()) cannotWrite(o.output);
    } else {
        pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf->setPageSize(QPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96),
                                   QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter p;
        if (!p.begin(pdf.get())) cannotWrite(o.output);
        paintBoard(p, keisan, metrics, o.scheme, size);
        if (!p.end()) cannotWrite(o.output);
    }
    if (format != Format::None && QFileInfo(file).size() <= 0) cannotWrite(o.output);

    if (!o.speakFile.empty()) speakToFile(o.speakFile, host.readings);

    std::cout << keisan.Kotae() << "\n";
    if (o.reading)
        for (const std::string& r : host.readings)
            std::cout << speech::YomiSeiki(speech::YomiHenkan(r)) << "\n";
    if (o.rows)
        for (const std::string& row : hissan::boardRowTexts(keisan.ops(), keisan.board()))
            std::cout << row << "\n";
    return 0;
}
