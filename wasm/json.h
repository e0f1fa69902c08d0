// A JSON object written field by field, for the page's side of the session.
#pragma once

#include <string>
#include <string_view>

namespace web {

// `text` (UTF-8) as a JSON string literal.
std::string quoted(std::string_view text);

class Json {
  public:
    Json& field(const char* name, std::string_view text);
    Json& field(const char* name, const char* text) { return field(name, std::string_view(text)); }
    Json& field(const char* name, const std::string& text) {
        return field(name, std::string_view(text));
    }
    Json& field(const char* name, int value);
    Json& field(const char* name, bool value);
    // A value that is JSON already.
    Json& raw(const char* name, const std::string& json);
    std::string str() const { return body_ + "}"; }

  private:
    void key(const char* name);
    std::string body_ = "{";
};

}  // namespace web
