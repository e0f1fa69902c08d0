#include "dialogs/bun_ex.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include "hissan/primitives.h"

namespace dialogs {

namespace {

// Converts with iconv, dropping every byte that cannot be converted instead
// of giving up: a story line cut in the middle of a double-byte character by
// the 199-byte limit, or a stray byte in a hand-edited file, loses only that
// character.
std::string convertLenient(std::string_view in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    char buf[1024];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        if (errno == EINVAL) break;  // an incomplete character at the end
        ++src;                       // EILSEQ: skip the byte that cannot be converted
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    iconv_close(cd);
    return out;
}

// True for well-formed UTF-8 that holds at least one non-ASCII character: a
// Shift-JIS Japanese text practically never is.
bool isUtf8Text(std::string_view s) {
    bool wide = false;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n = 0;
        if (c >= 0x80) {
            if (c >= 0xC2 && c <= 0xDF)
                n = 1;
            else if ((c >> 4) == 0xE)
                n = 2;
            else if (c >= 0xF0 && c <= 0xF4)
                n = 3;
            else
                return false;
            if (i + n >= s.size()) return false;
            for (size_t k = 1; k <= n; ++k)
                if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
            wide = true;
        }
        i += n + 1;
    }
    return wide;
}

std::string fromSjis(std::string_view s) {
    return convertLenient(s, "UTF-8", "CP932");
}

// The two characters after "NUM:" as a decimal number, the way the record
// number has always been read: leading blanks and a sign are allowed, and
// both characters must belong to the number (so "5" followed by the line
// break is no number). kNoNumber when they are none.
constexpr int kNoNumber = -1000;
int recordNumber(std::string_view line) {
    std::string_view s = line.substr(std::min<size_t>(4, line.size()), 2);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return kNoNumber;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return kNoNumber;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

}  // namespace

void BunExRead(BunExTable& table, std::string_view raw) {
    std::string bytes(raw);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (isUtf8Text(bytes)) bytes = convertLenient(bytes, "CP932", "UTF-8");
    // A file written on Windows ends its lines with CR LF; read as text there,
    // each line ends with one line break, as here.
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];

    static constexpr std::string_view kKeys[] = {
        "NUM:", "Bun1:", "Bun2:", "Bun3:", "Kang:", "Ansr:", "Amri:", "END:"};
    int rec = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        // One line of at most 199 bytes, its line break included; the rest of
        // a longer line comes as the next line.
        const size_t limit = std::min(text.size(), pos + 199);
        size_t end = pos;
        while (end < limit && text[end] != '\n') ++end;
        if (end < limit) ++end;
        const std::string_view line(text.data() + pos, end - pos);
        pos = end;
        if (line.front() == '#') continue;
        int key = -1;
        for (int k = 0; k < 8 && key < 0; ++k)
            if (line.find(kKeys[k]) != std::string_view::npos) key = k;
        if (key < 0) continue;
        if (key == 7) return;  // END:
        if (key == 0) {
            const int n = recordNumber(line);
            if (n == kNoNumber)
                rec = 0;
            else if (n >= 0)
                rec = std::min(n, 20);
            // A negative number names no record: the line is ignored.
            continue;
        }
        std::string_view value = line.substr(std::min<size_t>(5, line.size()));
        BunExRec& r = table[static_cast<size_t>(rec)];
        if (key >= 5) {
            // The answer sentence keeps its line break, at most 200 bytes.
            (key == 5 ? r.Ansr : r.Amri) = fromSjis(value.substr(0, 200));
            continue;
        }
        // A story line without its line break. (A last line that has none
        // keeps its last character.)
        if (!value.empty() && value.back() == '\n') value.remove_suffix(1);
        std::string* field[] = {&r.Bun1, &r.Bun2, &r.Bun3, &r.Kang};
        *field[key - 1] = fromSjis(value);
    }
}

int ReiGet(BunExTable& table, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    BunExRead(table, bytes);
    return 1;
}

int SjisLength(std::string_view s) {
    int n = 0;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            n += 1;
            i += 1;
            continue;
        }
        const size_t len = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        // Half-width katakana U+FF61..U+FF9F (EF BD A1 .. EF BE 9F) take one byte.
        bool half = false;
        if (len == 3 && i + 2 < s.size()) {
            const unsigned cp = ((c & 0x0Fu) << 12) |
                                ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                                (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
            half = cp >= 0xFF61 && cp <= 0xFF9F;
        }
        n += half ? 1 : 2;
        i += len;
    }
    return n;
}

int enzPos(std::string_view text) {
    for (char op : {'+', '-', '*', '/'}) {
        const size_t p = text.find(op);
        if (p != std::string_view::npos) return static_cast<int>(p) + 1;
    }
    return 0;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    if (from.empty()) return text;
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
    return text;
}

Reibun ReibunCompose(const BunExTable& table, const ReibunInput& in, int& EnzanIndex) {
    switch (in.EnzanshiNyuryoku) {
        case '+':
            EnzanIndex = 0;
            break;
        case '-':
            EnzanIndex = 1;
            break;
        case '*':
            EnzanIndex = 2;
            break;
        case '/':
            EnzanIndex = 3;
            break;
        default:
            break;
    }
    EnzanIndex = std::clamp(EnzanIndex, 0, 3);
    const bool zenShosu = in.ZenkouShosuKeta != 0;
    const bool kouShosu = in.KoukouShosuKeta != 0;
    Reibun r;
    r.type = std::clamp(1 + 4 * EnzanIndex + (zenShosu ? 1 : 0) + (kouShosu ? 2 : 0) + in.AmariMode,
                        1, 20);
    const BunExRec& rec = table[static_cast<size_t>(r.type)];
    static const char* const kOpName[] = {"＋", "－", "×", "÷"};
    r.title = "★タイプ [" + std::to_string(r.type) + "]：《" + (zenShosu ? "小数" : "整数") +
              kOpName[EnzanIndex] + (kouShosu ? "小数" : "整数") +
              (r.type > 16 ? "（余り有り)》の問題例" : "》の問題例");

    // The operands as typed: before the operator, and between it and "=".
    const std::string& s = in.ShikiNyuryoku;
    const int p = enzPos(s);
    const size_t eq = s.find('=');
    const int q = eq == std::string::npos ? 0 : static_cast<int>(eq) + 1;
    const std::string first = p > 1 ? s.substr(0, static_cast<size_t>(p - 1)) : std::string();
    const std::string second =
        q - 1 - p > 0 ? s.substr(static_cast<size_t>(p), static_cast<size_t>(q - 1 - p)) : "";

    r.bun1 = ReplaceAll(rec.Bun1, "@[前数]", first);
    r.bun2 = ReplaceAll(rec.Bun2, "@[後数]", second);
    r.bun3 = rec.Bun3;
    r.bun3Size = SjisLength(rec.Bun3) > 56 ? 18 : 20;
    r.label = "考え方: " + rec.Kang;
    r.labelSize = SjisLength(rec.Kang) > 72 ? 13 : 16;

    std::string line;
    for (char c : s) {
        switch (c) {
            case '+':
                line += "＋";
                break;
            case '-':
                line += "－";
                break;
            case '*':
                line += "×";
                break;
            case '/':
                line += "÷";
                break;
            case '=':
                line += "＝";
                break;
            default:
                line += c;
        }
    }

    // Answer and remainder from a copy of the answer text.
    const size_t rPos = in.Kotae.find('R');
    const bool hasR = rPos != std::string::npos;
    std::string answer = hasR ? in.Kotae.substr(0, rPos) : in.Kotae;
    r.amari = hasR ? in.Kotae.substr(rPos + 1) : std::string();
    if (!answer.empty()) answer = hissan::KotaeSeiri(answer);
    r.kotae = answer;

    r.expression = " " + line + answer + (hasR ? " あまり " + r.amari : std::string());
    const int exprLen = SjisLength(r.expression);
    r.expressionSize = exprLen > 38 ? 19 : exprLen > 32 ? 20 : 24;

    if (r.type <= 12) {
        static const char* const kCheckOp[] = {"－", "＋", "÷"};
        r.check =
            "（検算式： " + answer + kCheckOp[(r.type - 1) / 4] + second + "＝" + first + " ）";
    } else {
        r.check = "（検算式： " + second + "×" + answer + (hasR ? "＋" + r.amari : std::string()) +
                  "＝" + first + " ）";
    }
    r.checkY = r.expressionSize + 235;

    r.answer = " " + ReplaceAll(ReplaceAll(rec.Ansr, "@[答数]", answer), "@[余数]", r.amari) + " ";
    const int ansLen = SjisLength(r.answer);
    r.answerSize = ansLen <= 50 ? 24 : std::max(1, 1000 / ansLen);
    return r;
}

}  // namespace dialogs
