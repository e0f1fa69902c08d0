#include "hissan/primitives.h"

#include <algorithm>
#include <array>

namespace hissan {

namespace {

bool isSingleAscii(std::string_view ch) {
    return ch.size() == 1 && static_cast<unsigned char>(ch[0]) < 0x80;
}

}  // namespace

std::string ZenkakuMoji(char ch) {
    if (ch >= '0' && ch <= '9') {
        // U+FF10.. are three UTF-8 bytes: EF BC 90 + digit.
        std::string s = "\xEF\xBC\x90";
        s[2] = static_cast<char>(0x90 + (ch - '0'));
        return s;
    }
    switch (ch) {
        case '=':
            return "＝";
        case '+':
            return "＋";
        case '-':
            return "－";
        case '*':
            return "×";
        case '/':
            return "÷";
        case ' ':
            return "\u3000";
        case ')':
            return ")";
        case '.':
            return ".";
        default:
            return "□";
    }
}

int MojiDsp(Run& b, int x, int y, Colour colour, int size, std::string_view ch, int strike,
            int delay) {
    Canvas& cv = b.canvas();
    if (delay > 0) cv.pause(1);
    if (ch == "z") {
        ch = "0";
        strike = 1;
    }
    if (ch == ".") {
        cv.setFontSize(Trunc(0.3 * size));
        cv.setFontColour(colour);
        cv.textOut(x, Trunc(y + 0.6 * b.CharH), "●");
        if (strike > 0) {
            PartScope mark(cv, Part::Mark);
            cv.setPen(2, Colour::of(Role::PointStrike));
            cv.moveTo(x, Trunc(y + 0.5 * b.CellW));
            cv.lineTo(Trunc(x + 0.3 * b.CellW), Trunc(y + 0.8 * b.CellW));
        }
        return 1;
    }
    const std::string glyph = isSingleAscii(ch) ? ZenkakuMoji(ch[0]) : std::string(ch);
    // The background square: a whole cell while typing, the glyph size while
    // a layout draws (so neighbouring small marks are not wiped).
    const int s = b.typing ? b.CellW : size;
    cv.setBrushColour(Colour::of(Role::Background));
    cv.fillRect(x, y, x + s, y + s);
    cv.setFontSize(size);
    cv.setFontColour(colour);
    cv.textOut(x, y, glyph);
    if (strike > 0) {
        PartScope mark(cv, Part::Mark);
        cv.setPen(2, Colour::of(Role::Strike));
        cv.moveTo(Trunc(x + 0.1 * b.CellW), Trunc(y + 0.1 * b.CellW));
        cv.lineTo(Trunc(x + size + 0.1 * b.CellW), Trunc(y + size + 0.1 * b.CellW));
    }
    return 1;
}

int MojiDsp(Run& b, int x, int y, Colour colour, int size, int digit, int strike, int delay) {
    if (digit < 0 || digit > 9) return MojiDsp(b, x, y, colour, size, "□", strike, delay);
    const char ch[2] = {static_cast<char>('0' + digit), 0};
    return MojiDsp(b, x, y, colour, size, std::string_view(ch, 1), strike, delay);
}

int SenDsp(Run& b, int x1, int y1, int x2, int y2, int width, Colour colour, bool dotted) {
    Canvas& cv = b.canvas();
    cv.setPen(width, colour, dotted);
    cv.moveTo(x1, y1);
    cv.lineTo(x2, y2);
    return 1;
}

int SenDspWait(Run& b, int x1, int y1, int x2, int y2, int width, Colour colour, int delay,
               bool dotted) {
    if (delay > 0) b.canvas().pause(1);
    return SenDsp(b, x1, y1, x2, y2, width, colour, dotted);
}

void Sleep(Run& b, int units) {
    b.canvas().pause(units);
}

int StepMachi(Run& b) {
    // The wait itself is the player's: it stops here in step mode.
    if (b.stepPoints) b.canvas().stepPoint();
    return 0;
}

std::string WarizanChuuki(int shouIti, int n, bool amariAri) {
    const std::string ns = std::to_string(n);
    switch (shouIti) {
        case 0:
            if (n == 0) return "(商は 整数 の位まで)";
            return "(商は 小数第 " + ns + "位まで求め、余りを出す)";
        case 1:
            if (n == 0) return "(商は 整数 の位まで)";
            if (n == 1) return "(商は 小数第1位を四捨五入し、整数の位まで求める)";
            return "(商は 小数第" + ns + "位を四捨五入し、小数第" + std::to_string(n - 1) +
                   "位まで求める)";
        case 2:
            return std::string("(商は 割り切れるまで［max小数第10位］)") +
                   (amariAri ? " …まだ割り切れません。。。" : " …割り切れました。");
        default:
            return {};
    }
}

int KotaeDsp(Run& b, int x, int /*y*/, std::string answer, const std::string& remainder) {
    Canvas& cv = b.canvas();
    cv.setPart(Part::Answer);
    const TJouken& jk = *b.jk;
    const int y0 = b.OriginY - b.ScrollY + b.harufa();
    int row = y0;
    if (jk.KAIGYO_FLAG == 1) {
        row = Trunc(y0 + 1.2 * b.LineH);
        x = b.OriginX + b.CellW;
    }
    if (!answer.empty() && answer.back() == '.') answer.pop_back();

    cv.setBrushColour(Colour::of(Role::Background));
    cv.fillRect(x, row, x + static_cast<int>(answer.size()) * b.CellW, row + b.CellW);

    const int big = Trunc(1.2 * b.MojiSize);
    cv.setFontColour(Colour::of(Role::Answer));
    cv.setFontSize(big);
    cv.textOut(x, row, answer);

    if (remainder != "0") {
        cv.setFontSize(Trunc(0.6 * b.MojiSize));
        cv.textOut(Trunc(cv.penX() + 0.6 * b.DigitW), row + b.CharH / 3, "あまり");
        cv.setFontSize(big);
        cv.textOut(Trunc(cv.penX() + 0.6 * b.DigitW), row, remainder);
    }

    // The font height value is negative, so this lies one glyph height below.
    const int lineY = row - cv.fontHeightValue();
    const int endX = cv.penX();
    SenDsp(b, x, lineY, endX, lineY, 3, Colour::of(Role::Aux));

    // "[終わり]" belongs to step mode only; the player shows it then. Later
    // step points of this run no longer wait.
    cv.setStepOnly(true);
    cv.setPart(Part::StepOnly);
    cv.setFontColour(Colour::of(Role::Note));
    cv.setFontSize(Trunc(0.6 * b.MojiSize));
    cv.textOut(cv.penX() + 3 * b.DigitW, Trunc(row + 0.4 * b.CharH), "[終わり]");
    cv.setStepOnly(false);
    b.stepPoints = false;
    b.answered = true;

    if (b.w.EnzanshiNyuryoku == '/') {
        // Exact only when nothing remains: a quotient without decimals can
        // leave a whole remainder (1 / 30000000000 is 0 R 1).
        const std::string note =
            WarizanChuuki(jk.SHOU_ITI, jk.POINTMAX, KotaeSeiri(remainder) != "0");
        cv.setPart(Part::Note);
        cv.setFontSize(Trunc(0.6 * b.MojiSize));
        cv.setFontColour(Colour::of(Role::Note));
        cv.setFontStyle(true, true);
        cv.textOut(b.OriginX, Trunc(b.OriginY + b.harufa() - 0.7 * b.CharH), note);
    }
    cv.setFontSize(b.MojiSize);
    cv.setFontStyle(false, false);
    return 1;
}

std::string KotaeSeiri(std::string text) {
    if (text == ".0" || text == "0") return "0";
    if (text.empty() || text[0] == '.') text += '0';
    size_t lead = 0;
    while (text.size() - lead > 1 && text[lead] == '0' && text[lead + 1] != '.') ++lead;
    text.erase(0, lead);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    // A lone point tidies to nothing; an answer is never empty.
    if (text.empty()) text = "0";
    return text;
}

std::string SentouZeroKesi(const std::string& text) {
    if (text.find('.') != std::string::npos) return text;
    size_t lead = 0;
    while (lead + 1 < text.size() && text[lead] == '0') ++lead;
    return text.substr(lead);
}

int YuukouKeta(const std::string& text) {
    if (text.empty() || text == "." || text == "0") return -1;
    const size_t first = text.find_first_not_of("0.");
    if (first == std::string::npos) return static_cast<int>(text.size()) + 1;
    return static_cast<int>(text.size() - first);
}

int MatsubiZeroSuu(const std::string& text) {
    const size_t last = text.find_last_not_of('0');
    return static_cast<int>(last == std::string::npos ? text.size() : text.size() - 1 - last);
}

int SaishoHiZero(const std::string& text) {
    if (text.empty()) return -1;
    const size_t first = text.find_first_not_of('0');
    return static_cast<int>(first == std::string::npos ? text.size() + 1 : first + 1);
}

bool IsDigitText(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

bool AllZeros(const std::string& text) {
    return text.find_first_not_of('0') == std::string::npos;
}

std::string KuraiMei(int k) {
    static const std::array<const char*, 4> unit = {"一", "十", "百", "千"};
    static const std::array<const char*, 5> group = {"", "万", "億", "兆", "京"};
    if (k < 0 || k > 18) return {};
    return std::string(unit[k % 4]) + group[k / 4];
}

}  // namespace hissan
