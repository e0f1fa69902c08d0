#include "core/yomi.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text_codec.h"

namespace speech {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length in bytes of the UTF-8 character that starts with `lead`.
size_t charLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;  // a stray byte stands for itself
}

// The code point of the UTF-8 character at text[i] (0 for a broken one).
char32_t codePoint(std::string_view text, size_t i, size_t len) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (i + len > text.size()) return 0;
    switch (len) {
        case 1:
            return b(0);
        case 2:
            return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3:
            return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        default:
            return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) |
                   (b(3) & 0x3F);
    }
}

// Replaces every occurrence of `code` (left to right, not rescanning what
// was put in).
void replaceAll(std::string& text, std::string_view code, std::string_view reading) {
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at; (at = text.find(code, from)) != std::string::npos; from = at + code.size()) {
        out.append(text, from, at - from);
        out.append(reading);
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

// The reading table. Every code is one ASCII character, and in UTF-8 an
// ASCII byte never occurs inside a multi-byte character, so a byte match is
// a whole-character match. The last code, "≒", stands before an answer that
// is rounded, not exact; UTF-8 is self-synchronising, so its three bytes too
// match only the whole character.
constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kYomiTable = {{
    {"Q", "とい"},
    {">", "だいなり"},
    {"<", "しょうなり"},
    {":", "たい"},
    {"R", "あまり"},
    {"_", "。"},
    {"+", "たす"},
    {"-", "ひく"},
    {"*", "かける"},
    {"/", "わる"},
    {"x", "エックス"},
    {"^", "の累乗,"},
    {"!", "のかいじょう"},
    {"p", "プラス"},
    {"m", "マイナス"},
    {"u", "。以下省略"},
    {"&", "。答えは"},
    {"≒", "やく"},
}};

constexpr std::array<std::string_view, 10> kDigit = {"れい", "いち", "に",   "さん", "よん",
                                                     "ご",   "ろく", "なな", "はち", "きゅう"};
constexpr std::array<std::string_view, 10> kThousands = {
    "",       "せん",     "にせん",   "さんぜん", "よんせん",
    "ごせん", "ろくせん", "ななせん", "はっせん", "きゅうせん"};
constexpr std::array<std::string_view, 10> kHundreds = {
    "",         "ひゃく",     "にひゃく",   "さんびゃく", "よんひゃく",
    "ごひゃく", "ろっぴゃく", "ななひゃく", "はっぴゃく", "きゅうひゃく"};

bool endsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A final いち, はち or じゅう is clipped before a sound that makes it short
// (いってん, はっちょう, じゅっけい); ろく and ひゃく too when `more`.
void clip(std::string& s, bool more) {
    static const std::pair<std::string_view, std::string_view> kClip[] = {{"いち", "いっ"},
                                                                          {"はち", "はっ"},
                                                                          {"じゅう", "じゅっ"},
                                                                          {"ろく", "ろっ"},
                                                                          {"ひゃく", "ひゃっ"}};
    for (size_t i = 0; i < std::size(kClip); ++i) {
        if (i >= 3 && !more) break;
        const auto& [tail, clipped] = kClip[i];
        if (endsWith(s, tail)) {
            s.replace(s.size() - tail.size(), tail.size(), clipped);
            return;
        }
    }
}

// 1..9999; `beforeUnit` when 万, 億, ... follows (1000万 is いっせんまん).
std::string groupReading(int g, bool beforeUnit) {
    std::string r;
    const int th = g / 1000, h = g / 100 % 10, t = g / 10 % 10, o = g % 10;
    if (th == 1 && beforeUnit)
        r += "いっせん";
    else
        r += kThousands[th];
    r += kHundreds[h];
    if (t > 0) {
        if (t > 1) r += kDigit[t];
        r += "じゅう";
    }
    if (o > 0) r += kDigit[o];
    return r;
}

bool isKanji(char32_t c) {
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005;
}

// Kana, kanji, Japanese punctuation and full-width forms: what kakasi is
// given in one piece, so that it sees a word with its okurigana.
bool isJapanese(char32_t c) {
    return (c >= 0x3000 && c <= 0x30FF) || isKanji(c) || (c >= 0xFF00 && c <= 0xFFEF);
}

}  // namespace

std::string YomiHenkan(const std::string& text) {
    // Digits after a point get a blank each, up to the first other character.
    std::string s;
    s.reserve(text.size() * 2);
    bool behindPoint = false;
    for (size_t i = 0; i < text.size();) {
        const size_t len = charLength(static_cast<unsigned char>(text[i]));
        const char c = text[i];
        s.append(text, i, len);
        if (len == 1 && c == '.') {
            behindPoint = true;
        } else if (behindPoint && len == 1 && isDigit(c)) {
            s += ' ';
        } else {
            behindPoint = false;
        }
        i += len;
    }
    for (const auto& [code, reading] : kYomiTable) replaceAll(s, code, reading);
    if (s == ".") s = "てん";
    return s;
}

std::string SuujiYomi(char digit) {
    return isDigit(digit) ? std::string(kDigit[digit - '0']) : std::string();
}

std::string KazuYomi(const std::string& digits) {
    size_t first = digits.find_first_not_of('0');
    if (digits.empty() || first == std::string::npos) return std::string(kDigit[0]);
    const std::string d = digits.substr(first);
    for (char c : d)
        if (!isDigit(c)) return std::string();
    if (d.size() > 20) {
        std::string r;
        for (char c : d) r += (r.empty() ? "" : " ") + SuujiYomi(c);
        return r;
    }
    static constexpr std::array<std::string_view, 5> kUnit = {"", "まん", "おく", "ちょう", "けい"};
    std::string r;
    const size_t groups = (d.size() + 3) / 4;
    for (size_t gi = 0; gi < groups; ++gi) {
        const size_t unit = groups - 1 - gi;
        const size_t end = d.size() - unit * 4;
        const size_t begin = end >= 4 ? end - 4 : 0;
        const int g = std::stoi(d.substr(begin, end - begin));
        if (g == 0) continue;
        std::string part = groupReading(g, unit > 0);
        if (unit >= 3) clip(part, unit == 4);
        if (!r.empty()) r += ' ';
        r += part;
        r += kUnit[unit];
    }
    return r;
}

std::string KanjiKana(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        // Copy up to the next Japanese run; give kakasi only runs with kanji.
        size_t len = charLength(static_cast<unsigned char>(text[i]));
        if (!isJapanese(codePoint(text, i, len))) {
            out.append(text, i, len);
            i += len;
            continue;
        }
        const size_t start = i;
        bool kanji = false;
        while (i < text.size()) {
            len = charLength(static_cast<unsigned char>(text[i]));
            const char32_t c = codePoint(text, i, len);
            if (!isJapanese(c)) break;
            kanji = kanji || isKanji(c);
            i += len;
        }
        const std::string run = text.substr(start, i - start);
        out += kanji ? core::kanjiRunToHiragana(run) : run;
    }
    return out;
}

std::string YomiSeiki(const std::string& reading) {
    std::vector<std::string> words;
    std::string chunk;  // other characters, given to kakasi as one piece
    auto flush = [&] {
        if (chunk.empty()) return;
        words.push_back(KanjiKana(chunk));
        chunk.clear();
    };
    const std::string_view equalWord = "イコール";
    bool decimals = false;  // behind a point: digits are read one by one
    const std::string& s = reading;
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (isDigit(c)) {
            flush();
            if (decimals) {
                words.push_back(SuujiYomi(c));
                ++i;
                continue;
            }
            size_t end = i;
            while (end < s.size() && isDigit(s[end])) ++end;
            std::string number = KazuYomi(s.substr(i, end - i));
            i = end;
            if (i < s.size() && s[i] == '.') {
                clip(number, false);
                number += "てん";
                decimals = true;
                ++i;
            }
            words.push_back(number);
            continue;
        }
        if (c == '.') {
            flush();
            words.push_back("てん");
            decimals = true;
            ++i;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            flush();
            ++i;
            continue;  // blanks between decimal digits keep them decimals
        }
        decimals = false;
        if (c == '=') {
            flush();
            size_t next = s.find_first_not_of(' ', i + 1);
            if (next == std::string::npos || s.compare(next, equalWord.size(), equalWord) != 0)
                words.emplace_back(equalWord);
            ++i;
            continue;
        }
        const size_t len = charLength(static_cast<unsigned char>(c));
        chunk.append(s, i, len);
        i += len;
    }
    flush();
    std::string out;
    for (const std::string& w : words) {
        if (w.empty()) continue;
        if (!out.empty()) out += ' ';
        out += w;
    }
    return out;
}

}  // namespace speech
