#include "core/bun_ex.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

#include "core/text_codec.h"
#include "hissan/primitives.h"

namespace dialogs {

namespace {

// The 1-based line that holds byte `offset`.
int lineOf(std::string_view bytes, size_t offset) {
    const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(offset, bytes.size()));
    return 1 + static_cast<int>(std::count(bytes.begin(), end, '\n'));
}

// Where the bytes stop being Shift-JIS text: the offset of the first byte
// that is not, or npos. An EUC-JP file mostly decodes as Shift-JIS too (as
// half-width katakana), so text that is valid EUC-JP with non-ASCII
// characters counts as not Shift-JIS from its first such character on. A
// real Shift-JIS story never is: its kana and most kanji begin with bytes
// that EUC-JP does not use.
size_t notShiftJis(std::string_view bytes) {
    size_t bad = std::string::npos;
    core::convertLenient(bytes, "UTF-8", "CP932", &bad);
    if (bad != std::string::npos) return bad;
    const auto high = std::find_if(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (high == bytes.end()) return std::string::npos;
    size_t eucBad = 0;
    core::convertLenient(bytes, "UTF-8", "EUC-JP", &eucBad);
    return eucBad == std::string::npos ? static_cast<size_t>(high - bytes.begin())
                                       : std::string::npos;
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
    return core::convertLenient(s, "UTF-8", "CP932");
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

// ---- exact decimals for the check calculation ---------------------------------

// digits x 10^-scale; no leading zeros, no trailing zeros after the point
// ("" is 0).
struct Decimal {
    std::string digits;
    int scale = 0;
};

Decimal tidy(Decimal d) {
    while (d.scale > 0 && !d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        --d.scale;
    }
    d.digits.erase(0, std::min(d.digits.find_first_not_of('0'), d.digits.size()));
    if (d.digits.empty()) d.scale = 0;
    return d;
}

// A number text of digits with at most one point; nullopt for anything else.
std::optional<Decimal> toDecimal(std::string_view t) {
    Decimal d;
    bool point = false, digit = false;
    for (char c : t) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digit = true;
            d.digits += c;
            if (point) ++d.scale;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    return tidy(d);
}

bool isZero(const Decimal& d) {
    return d.digits.empty();
}

bool same(const Decimal& x, const Decimal& y) {
    const Decimal a = tidy(x), b = tidy(y);
    return a.digits == b.digits && a.scale == b.scale;
}

Decimal times(const Decimal& x, const Decimal& y) {
    if (isZero(x) || isZero(y)) return {};
    std::vector<int> acc(x.digits.size() + y.digits.size(), 0);
    for (size_t i = x.digits.size(); i-- > 0;)
        for (size_t j = y.digits.size(); j-- > 0;)
            acc[i + j + 1] += (x.digits[i] - '0') * (y.digits[j] - '0');
    for (size_t i = acc.size(); i-- > 1;) {
        acc[i - 1] += acc[i] / 10;
        acc[i] %= 10;
    }
    Decimal d;
    for (int v : acc) d.digits += static_cast<char>('0' + v);
    d.scale = x.scale + y.scale;
    return tidy(d);
}

Decimal plus(const Decimal& x, const Decimal& y) {
    const int scale = std::max(x.scale, y.scale);
    std::string a = x.digits + std::string(static_cast<size_t>(scale - x.scale), '0');
    std::string b = y.digits + std::string(static_cast<size_t>(scale - y.scale), '0');
    if (a.size() < b.size()) std::swap(a, b);
    b.insert(0, a.size() - b.size(), '0');
    std::string sum(a.size() + 1, '0');
    int carry = 0;
    for (size_t i = a.size(); i-- > 0;) {
        const int v = (a[i] - '0') + (b[i] - '0') + carry;
        sum[i + 1] = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    sum[0] = static_cast<char>('0' + carry);
    return tidy(Decimal{sum, scale});
}

std::string text(const Decimal& d) {
    std::string t = d.digits;
    if (t.size() <= static_cast<size_t>(d.scale))
        t.insert(0, static_cast<size_t>(d.scale) + 1 - t.size(), '0');
    if (d.scale > 0) t.insert(t.size() - static_cast<size_t>(d.scale), ".");
    return t.empty() ? "0" : t;
}

// ---- the expression --------------------------------------------------------------

// An operator or "=" in full width, as the expression is written out; other
// characters as they are.
std::string zenkaku(char c) {
    return std::string_view("+-*/=").find(c) != std::string_view::npos ? hissan::ZenkakuMoji(c)
                                                                       : std::string(1, c);
}

// A typed number as the board draws it: "007" is 7, "00.50" is 0.50, "12." is 12.
std::string boardNumber(std::string t) {
    if (!t.empty() && t.back() == '.') t.pop_back();
    const size_t point = t.find('.');
    if (point == std::string::npos) return hissan::SentouZeroKesi(t);
    std::string whole = hissan::SentouZeroKesi(t.substr(0, point));
    return (whole.empty() ? "0" : whole) + t.substr(point);
}

// The two operands of a typed expression "a op b =", as the board draws
// them; `op` is 0 when the text is not of that form (the operands are then
// taken as typed, as far as they go).
struct Operands {
    std::string first, second;
    char op = 0;
};

Operands operands(const std::string& s) {
    const int p = enzPos(s);
    const size_t eq = s.find('=');
    const int q = eq == std::string::npos ? 0 : static_cast<int>(eq) + 1;
    Operands o;
    o.first = p > 1 ? s.substr(0, static_cast<size_t>(p - 1)) : std::string();
    o.second =
        q - 1 - p > 0 ? s.substr(static_cast<size_t>(p), static_cast<size_t>(q - 1 - p)) : "";
    if (p > 1 && q - 1 - p > 0) {
        o.first = boardNumber(o.first);
        o.second = boardNumber(o.second);
        o.op = s[static_cast<size_t>(p - 1)];
    }
    return o;
}

}  // namespace

BunExFault BunExRead(BunExTable& table, std::string_view raw) {
    std::string bytes(raw);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (isUtf8Text(bytes)) {
        bytes = core::convertLenient(bytes, "CP932", "UTF-8");
    } else if (const size_t bad = notShiftJis(bytes); bad != std::string::npos) {
        return BunExFault{BunExFault::NotShiftJis, lineOf(bytes, bad)};
    }
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
        if (key == 7) break;  // END:
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
    return {};
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

    // The operands as the board draws them: before the operator, and
    // between it and "=".
    const std::string& s = in.ShikiNyuryoku;
    Operands o = operands(s);
    const std::string& first = o.first;
    const std::string& second = o.second;

    r.bun1 = ReplaceAll(rec.Bun1, "@[前数]", first);
    r.bun2 = ReplaceAll(rec.Bun2, "@[後数]", second);
    r.bun3 = rec.Bun3;
    r.bun3Size = SjisLength(rec.Bun3) > 56 ? 18 : 20;
    r.label = "考え方: " + rec.Kang;
    r.labelSize = SjisLength(rec.Kang) > 72 ? 13 : 16;

    std::string line;
    if (o.op != 0) {
        line = first + zenkaku(o.op) + second + "＝";
    } else {
        for (char c : s) line += zenkaku(c);
    }

    // Answer and remainder from a copy of the answer text.
    const size_t rPos = in.Kotae.find('R');
    const bool hasR = rPos != std::string::npos;
    std::string answer = hasR ? in.Kotae.substr(0, rPos) : in.Kotae;
    r.amari = hasR ? in.Kotae.substr(rPos + 1) : std::string();
    if (!answer.empty()) answer = hissan::KotaeSeiri(answer);
    r.kotae = answer;

    // The check, worked out exactly: shown only when it holds.
    const auto a = toDecimal(first), b = toDecimal(second), k = toDecimal(answer);
    const auto m = hasR ? toDecimal(r.amari) : std::optional<Decimal>(Decimal{});
    if (a && b && k && m) {
        if (r.type <= 4) {  // 12+34=46 checks as 46-34=12
            if (same(plus(*a, *b), *k)) r.check = answer + "－" + second + "＝" + first;
        } else if (r.type <= 8) {  // 46-34=12 checks as 12+34=46
            if (same(plus(*k, *b), *a)) r.check = answer + "＋" + second + "＝" + first;
        } else if (r.type <= 12) {  // 12x3=36 checks as 36÷3=12; never a division by 0
            if (same(times(*a, *b), *k)) {
                if (!isZero(*b))
                    r.check = answer + "÷" + second + "＝" + first;
                else if (!isZero(*a))
                    r.check = answer + "÷" + first + "＝" + second;
            }
        } else {  // 14÷4=3 R 2 checks as 4x3+2=14
            const Decimal back = plus(times(*b, *k), *m);
            const std::string lhs = second + "×" + answer + (hasR ? "＋" + r.amari : "");
            if (same(back, *a)) {
                r.check = lhs + "＝" + first;
            } else if (!hasR && !isZero(*b)) {
                // A rounded quotient: its product only comes near the dividend.
                r.oyoso = true;
                r.check = lhs + "＝" + text(back) + " ≒ " + first;
            }
        }
    }
    if (!r.check.empty()) r.check = "（検算式： " + r.check + " ）";
    if (r.oyoso && line.ends_with("＝")) line.replace(line.size() - 3, 3, "≒");

    r.expression = " " + line + answer + (hasR ? " あまり " + r.amari : std::string());
    const int exprLen = SjisLength(r.expression);
    r.expressionSize = exprLen > 38 ? 19 : exprLen > 32 ? 20 : 24;
    r.checkY = r.expressionSize + 235;

    r.answer = " " +
               ReplaceAll(ReplaceAll(rec.Ansr, "@[答数]", (r.oyoso ? "約" : "") + answer),
                          "@[余数]", r.amari) +
               " ";
    const int ansLen = SjisLength(r.answer);
    r.answerSize = ansLen <= 50 ? 24 : std::max(1, 1000 / ansLen);
    return r;
}

std::string KotaeYomi(const std::string& ShikiNyuryoku, const std::string& Kotae) {
    const Operands o = operands(ShikiNyuryoku);
    if (o.op != '/' || Kotae.find('R') != std::string::npos) return Kotae;
    const auto a = toDecimal(o.first), b = toDecimal(o.second), k = toDecimal(Kotae);
    if (!a || !b || !k || isZero(*b) || same(times(*b, *k), *a)) return Kotae;
    return "≒" + Kotae;
}

}  // namespace dialogs
