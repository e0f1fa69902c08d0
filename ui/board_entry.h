// Typing an expression given as text on the program's own board: every
// character goes through MojiInput, then "=", exactly as a pupil types it.
// Shared by the single-board export and the worksheets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/keisan.h"

namespace tools {

// Collects what the board reported: its messages instead of boxes, and the
// texts it asks to read aloud.
class ToolHost {
  public:
    void take(const app::EntryReport& report) {
        for (hissan::Message& m : report.messages()) messages.push_back(std::move(m));
        for (std::string& text : report.readings())
            if (!text.empty()) readings.push_back(std::move(text));
    }
    std::vector<hissan::Message> messages;
    std::vector<std::string> readings;  // what "=" asks to read aloud
};

// Types `expr` (ASCII or the full-width digits and signs of a Japanese input
// method; a final "=" may be left out) on `k`; `host` collects its reports. Returns
// nothing when the board drew the calculation, else why it was refused, in
// the program's words.
std::optional<std::string> typeOnBoard(app::Keisan& k, ToolHost& host, const std::string& expr);

}  // namespace tools
