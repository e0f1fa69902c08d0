// Typing an expression given as text on the program's own board: every
// character goes through MojiInput, then "=", exactly as a pupil types it.
// Shared by the single-board export and the worksheets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/keisan.h"

namespace tools {

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

// Types `expr` (ASCII or the full-width digits and signs of a Japanese input
// method; a final "=" may be left out) on `k`, whose host is `host`. Returns
// nothing when the board drew the calculation, else why it was refused, in
// the program's words.
std::optional<std::string> typeOnBoard(app::Keisan& k, ToolHost& host, const std::string& expr);

}  // namespace tools
