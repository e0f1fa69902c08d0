#include "wasm/ini_text.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <vector>

#include "core/conditions.h"
#include "core/text_codec.h"

namespace web {

namespace {

using core::Condition;
using core::Stored;

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// A whole decimal number with an optional sign, within 32 bits.
bool wholeNumber(std::string_view v, int& out) {
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return false;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && end == v.data() + v.size();
}

}  // namespace

std::string iniText(const hissan::TJouken& jk) {
    std::vector<std::string> sections;
    std::map<std::string, std::string> lines;
    for (const Condition& c : core::storedConditions()) {
        std::string value;
        switch (c.stored) {
            case Stored::FontName:
                value = core::convertLenient(jk.FONTNAME, "CP932", "UTF-8");
                break;
            case Stored::PointCopy:
                value = std::to_string(jk.POINTMAX);
                break;
            default:
                value = std::to_string(jk.*c.field);
        }
        if (!lines.count(c.section)) sections.push_back(c.section);
        lines[c.section] += std::string(c.name) + "=" + value + "\r\n";
    }
    std::string out;
    for (const std::string& s : sections) out += "[" + s + "]\r\n" + lines[s];
    return out;
}

bool readIniText(hissan::TJouken& jk, std::string_view bytes, std::string& why) {
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text = std::string(bytes.substr(3));
    else if (bytes.substr(0, 2) == "\xFF\xFE")
        text = core::convertLenient(bytes.substr(2), "UTF-8", "UTF-16LE");
    else
        text = core::convertLenient(bytes, "UTF-8", "CP932");

    // (SECTION, KEY) in capitals -> value; the first occurrence counts.
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::string section;
    bool ours = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = upper(trim(line.substr(1, line.size() - 2)));
            for (const Condition& c : core::storedConditions())
                if (section == c.section) ours = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (section.empty() || eq == std::string_view::npos) continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        values.emplace(std::make_pair(section, upper(trim(line.substr(0, eq)))), value);
    }
    if (!ours) {
        why = "このファイルは条件の設定ファイル（pkt_m41.ini）ではありません。";
        return false;
    }
    const hissan::TJouken defaults;
    for (const Condition& c : core::storedConditions()) {
        if (!c.field) continue;
        const auto it = values.find({c.section, upper(c.name)});
        int v = defaults.*c.field;
        if (it != values.end() && wholeNumber(it->second, v)) {
            if (v < c.lo || v > c.hi) v = c.choice ? defaults.*c.field : std::clamp(v, c.lo, c.hi);
        } else {
            v = defaults.*c.field;
        }
        jk.*c.field = v;
    }
    return true;
}

}  // namespace web
