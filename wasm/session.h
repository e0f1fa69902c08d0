// The browser board's session: one conditions record and one Keisan, driven
// by the page through a narrow text interface (JSON out, plain values in).
// The page translates its key events into the core's key names and draws the
// display list; every rule (which key does what, what a condition changes,
// what the board reads aloud, the status text) is decided here, from the core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/bun_ex.h"
#include "core/keisan.h"
#include "core/keymap.h"
#include "hissan/jouken.h"
#include "wasm/sheet.h"
#include "wasm/web_metrics.h"

namespace web {

class Session {
  public:
    Session();

    // A key of the keyboard (a core::Key value and core::Mods flags) while
    // no drawing plays, or while one plays and whileDrawing() said "atonce":
    // the command of the key table is carried out; returns the report.
    std::string key(int key, unsigned mods, bool drawing);
    // What a key does while a drawing plays: "later", "atonce", "escape", "go".
    std::string whileDrawing(int key, unsigned mods) const;

    // The expression and its answer read aloud (the page's read button).
    std::string readAloud();

    // The touch keypad: its buttons as JSON [{caption, hint}], and pressing one.
    std::string keypad() const;
    std::string press(int button);

    // The board's ops from index `from` on, as JSON arrays (see session.cpp).
    std::string ops(size_t from) const;
    // The same as 15 numbers per op (in the order of ops()) and the ops'
    // texts joined by '\x1F', for the page, which reads them without parsing.
    void opsPacked(size_t from, std::vector<int32_t>& numbers, std::string& texts) const;
    size_t opCount() const { return keisan_.ops().size(); }
    size_t runStart() const { return keisan_.runStart(); }
    // The expression and its answer as one line of text, "14÷4＝3あまり2"
    // (the expression alone while it is typed).
    std::string status() const;

    // Every condition: name, value, range, default, whether the settings
    // file keeps it, as JSON.
    std::string conditions() const;
    // Sets one (brought into its range); the board follows at once.
    std::string setCondition(std::string_view name, int value);
    // Stepping ended by Escape at a step point: stepping and pacing off.
    std::string stepEscaped();

    // One scheme's colours as JSON [background, role 1, ...] in 0xRRGGBB.
    static std::string scheme(int index);

    // The settings file pkt_m41.ini: its text from the conditions, and the
    // conditions from a file's bytes (a report; a message when it is none).
    std::string iniExport() const;
    std::string iniImport(std::string_view bytes);

    // What a speech synthesiser is given for a reading text.
    static std::string speechText(const std::string& reading);

    // The word-problem stories from the pattern file's bytes; an empty text
    // when they were read, else the message why not.
    std::string loadStories(std::string_view bytes);
    // The word problem of the calculation on the board, as JSON (null when
    // there is none).
    std::string wordProblem(int answerMode);

    // A browser key event (KeyboardEvent.code and .key) as the core's key:
    // a core::Key value, plus 0x100 when it is on the numeric pad.
    static int domKey(std::string_view code, std::string_view key);
    // What the player and the speech read at each mark, as JSON: the stroke
    // delay, stepping, the step beep, the scheme, the speech rate and volume.
    std::string pacing() const;

    // The block cursor as JSON: its rectangle {x, y, w, h}, colour {rgb},
    // whether it shows now {on}, and the board's line height {line}.
    std::string cursor() const;

    // A worksheet's problems with the board's conditions (see makeSheet).
    std::string sheet(const SheetRequest& request) const {
        return makeSheet(jk_, metrics_, request);
    }
    bool blink() { return keisan_.blinkCursor(); }

  private:
    core::KeyState keyState(bool drawing) const;
    std::string run(const app::EntryReport& report, std::string extra = {}) const;
    std::string afterChange(const char* name);

    hissan::TJouken jk_;
    WebMetrics metrics_;
    app::Keisan keisan_;
    dialogs::BunExTable stories_{};
    bool storiesRead_ = false;
    int enzanIndex_ = 0;
};

}  // namespace web
