// The core's text conversions in the browser, where there is no iconv and no
// kakasi: Shift-JIS (code page 932) and EUC-JP to and from UTF-8 with a
// table made from the code page at build time; kanji stay kanji, because the
// browser's Japanese voices read them themselves.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/text_codec.h"

namespace core {

namespace {

#include "cp932_table.inc"

bool isLead(unsigned c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The character of a double-byte code, 0 when it has none.
char32_t fromDouble(unsigned lead, unsigned trail) {
    if (!isLead(lead) || trail < 0x40 || trail > 0xFC || trail == 0x7F) return 0;
    const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    return kCp932[row * kTrailCount + (trail - 0x40)];
}

void putUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One UTF-8 character from `in` at `i`; 0 (and one byte) when malformed.
char32_t nextUtf8(std::string_view in, size_t& i) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    const size_t n = c >= 0xF0 && c <= 0xF4   ? 3
                     : c >= 0xE0 && c <= 0xEF ? 2
                     : c >= 0xC2 && c <= 0xDF ? 1
                                              : 0;
    if (n == 0 || i + n >= in.size()) {
        ++i;
        return 0;
    }
    char32_t cp = c & (0x3F >> n);
    for (size_t k = 1; k <= n; ++k) {
        const auto cc = static_cast<unsigned char>(in[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += n + 1;
    return cp;
}

// Shift-JIS bytes of a character (1 or 2 bytes, high byte first), 0 when
// the code page has none.
unsigned toSjis(char32_t cp) {
    static const std::vector<std::pair<char16_t, uint16_t>> reverse = [] {
        std::vector<std::pair<char16_t, uint16_t>> r;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLead(lead)) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
                if (const char32_t c = fromDouble(lead, trail))
                    r.emplace_back(static_cast<char16_t>(c),
                                   static_cast<uint16_t>(lead << 8 | trail));
        }
        // The first code of a character wins, as the code page's own mapping has it.
        std::stable_sort(r.begin(), r.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        return r;
    }();
    if (cp < 0x80) return cp;
    if (cp >= 0xFF61 && cp <= 0xFF9F) return cp - 0xFF61 + 0xA1;
    if (cp == 0xA5) return 0x5C;  // the yen sign of JIS X 0201
    if (cp == 0x203E) return 0x7E;
    if (cp > 0xFFFF) return 0;
    const auto it = std::lower_bound(reverse.begin(), reverse.end(), cp,
                                     [](const auto& a, char32_t c) { return a.first < c; });
    return it != reverse.end() && it->first == cp ? it->second : 0;
}

// Decoders: each returns the character at `i` and advances, or 0 (advancing
// by one byte) for a byte that starts no character.
char32_t nextSjis(std::string_view in, size_t& i, bool& incomplete) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) return in[i++];
    if (c >= 0xA1 && c <= 0xDF) {
        ++i;
        return 0xFF61 + (c - 0xA1);
    }
    if (isLead(c) && i + 1 >= in.size()) {
        incomplete = true;
        ++i;
        return 0;
    }
    if (isLead(c))
        if (const char32_t cp = fromDouble(c, static_cast<unsigned char>(in[i + 1]))) {
            i += 2;
            return cp;
        }
    ++i;
    return 0;
}

// EUC-JP's JIS X 0208 row and cell turned into their Shift-JIS code.
char32_t nextEuc(std::string_view in, size_t& i, bool& incomplete) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) return in[i++];
    if (i + 1 >= in.size()) {
        incomplete = true;
        ++i;
        return 0;
    }
    const auto c2 = static_cast<unsigned char>(in[i + 1]);
    if (c == 0x8E && c2 >= 0xA1 && c2 <= 0xDF) {
        i += 2;
        return 0xFF61 + (c2 - 0xA1);
    }
    if (c >= 0xA1 && c <= 0xFE && c2 >= 0xA1 && c2 <= 0xFE) {
        const unsigned j1 = c - 0x80, j2 = c2 - 0x80;  // JIS 0x21..0x7E each
        const unsigned lead = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
        const unsigned trail = (j1 & 1) ? j2 + (j2 >= 0x60 ? 0x20 : 0x1F) : j2 + 0x7E;
        if (const char32_t cp = fromDouble(lead, trail)) {
            i += 2;
            return cp;
        }
    }
    ++i;
    return 0;
}

// UTF-16LE: a pair of surrogates is one character.
char32_t nextUtf16(std::string_view in, size_t& i, bool& incomplete) {
    const auto unit = [&](size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(in[at]) |
                                     static_cast<unsigned char>(in[at + 1]) << 8);
    };
    if (i + 1 >= in.size()) {
        incomplete = true;
        ++i;
        return 0;
    }
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < in.size()) {
        const char32_t lo = unit(i + 2);
        if (lo >= 0xDC00 && lo <= 0xDFFF) {
            i += 4;
            return 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        }
    }
    i += 2;
    return u >= 0xD800 && u <= 0xDFFF ? 0 : u;
}

bool named(const char* name, const char* a, const char* b = nullptr) {
    return std::strcmp(name, a) == 0 || (b && std::strcmp(name, b) == 0);
}

}  // namespace

std::string convertLenient(std::string_view in, const char* to, const char* from,
                           size_t* firstBad) {
    if (firstBad) *firstBad = std::string::npos;
    const bool fromUtf8 = named(from, "UTF-8", "UTF8");
    const bool fromSjis = named(from, "CP932", "SHIFT_JIS");
    const bool fromEuc = named(from, "EUC-JP", "EUCJP");
    const bool fromUtf16 = named(from, "UTF-16LE");
    const bool toUtf8 = named(to, "UTF-8", "UTF8");
    const bool toSjisCode = named(to, "CP932", "SHIFT_JIS");
    if (!(fromUtf8 || fromSjis || fromEuc || fromUtf16) || !(toUtf8 || toSjisCode))
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 3 / 2);
    for (size_t i = 0; i < in.size();) {
        const size_t at = i;
        bool incomplete = false;
        const char32_t cp = fromUtf8    ? nextUtf8(in, i)
                            : fromSjis  ? nextSjis(in, i, incomplete)
                            : fromUtf16 ? nextUtf16(in, i, incomplete)
                                        : nextEuc(in, i, incomplete);
        bool bad =
            cp == 0 && (fromUtf16 ? in.substr(at, 2) != std::string_view("\0\0", 2) : in[at] != 0);
        if (!bad) {
            if (toUtf8) {
                putUtf8(out, cp);
            } else if (const unsigned code = toSjis(cp); code || cp == 0) {
                if (code > 0xFF) out += static_cast<char>(code >> 8);
                out += static_cast<char>(code & 0xFF);
            } else {
                bad = true;
            }
        }
        if (bad && firstBad && *firstBad == std::string::npos) *firstBad = at;
        if (incomplete) break;
    }
    return out;
}

std::string kanjiRunToHiragana(const std::string& run) {
    return run;
}

}  // namespace core
