#include "wasm/json.h"

#include <cstdio>

namespace web {

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void Json::key(const char* name) {
    if (body_.size() > 1) body_ += ',';
    body_ += quoted(name);
    body_ += ':';
}

Json& Json::field(const char* name, std::string_view text) {
    key(name);
    body_ += quoted(text);
    return *this;
}

Json& Json::field(const char* name, int value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

Json& Json::field(const char* name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

Json& Json::raw(const char* name, const std::string& json) {
    key(name);
    body_ += json;
    return *this;
}

}  // namespace web
