// Expression entry, evaluation of "=" and the choice of layout, without Qt.
//
// How the main window uses it
// ---------------------------
// The window owns one TJouken and one Keisan (which holds the expression
// TShiki, the grid metrics, the entry state and the last layout's result).
// Keisan never calls the screen, the speaker or the other windows: every
// entry operation returns an EntryReport, the events of what happened in
// order, and the window applies them one after another:
//
//   Keisan keisan(jouken, qtMetrics);   // the board is cleared
//   apply(keisan.MojiInput('7'));
//
// * Keys: FormKeyDown passes '0'..'9', '.', '+', '-', '*', '/', '=' to
//   MojiInput; the editing keys call BackSpace, VK_DeleteKey, Hukkatu,
//   ReCalcButtonClick, TypePi and R1Click. The keypad calls the same.
// * Drawing is recorded, never slept. ops() is the whole board since the
//   last clear: the red "◆" prompt, the echo of every typed character and,
//   after "=", the run of the layout with its pause and step marks. After
//   every change the report holds a Board event of its kind:
//     - Cleared: a new list (R1Click); the window scrolls back to the top.
//     - Typed:   ops were appended by typing; show them at once.
//     - Run:     "=" recorded a run: ops()[0, runStart()) are shown at once,
//                ops()[runStart(), end) are played by the player with their
//                pacing. Busy() is false again by then; "a layout is being
//                drawn" is the player's state, not Keisan's.
//     - Relaid:  relayout() rebuilt the list; show all of it at once.
//   A repaint re-renders ops() (up to what the player has revealed) with
//   the current scheme; a scheme change needs nothing from Keisan. The list
//   is laid out with ScrollY = 0; the window shifts it by its scroll
//   position when rendering.
// * After a change of a display condition (KURIAGARI, QQ_FLAG, KAIGYO_FLAG,
//   ...) the window calls relayout(); after a font change relayout(metrics)
//   with the new metrics (MojiSize is jk.FONTSIZE). Both rebuild the board
//   from the entry state with no animation, no messages and no speech: their
//   report holds only Board(Relaid).
// * printLayout(printerMetrics) lays out the expression line and the
//   finished calculation on a printed page's metrics without touching the
//   live board.
// * Messages: Keisan's own checks (digit limits, zero divisor, larger
//   subtrahend) and the layouts' messages (result().messages, forwarded after
//   a run, just after Board(Run)) are ShowMessage events; the window shows
//   each as a modal box before it applies the next event. relayout() and printLayout()
//   show none: the calculation's messages were shown at its "=". A message
//   with then == Message::ClearAndRestore asks the window to inject Delete
//   and then Insert after the box is closed (its key map then runs
//   VK_DeleteKey and Hukkatu).
// * The cursor: cursorX()/cursorY() give the block cursor cell, cursorOn()
//   its blink phase, which the window's timer toggles with blinkCursor().
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "hissan/board.h"
#include "hissan/canvas.h"
#include "hissan/display_list.h"
#include "hissan/jouken.h"

namespace app {

// What changed on the board; see the comment block above.
enum class BoardChange { Cleared, Typed, Run, Relaid };

// One thing an entry operation asks the front end to do, in the order it
// happened. A front end applies the events of a report one after another:
// a message box is shown (and closed) before the events after it.
struct EntryEvent {
    enum Kind {
        Board,              // the board changed: `change`
        ShowMessage,        // a modal message box: `message`
        Speak,              // read `text` aloud (a typed character, the
                            // expression followed by "イコール", the answer)
        InputWindows,       // enable (`on`) or disable the keypad and the
                            // conditions dialog: disabled at "=" in manual step
                            // mode, enabled again after the evaluation
        WordProblem,        // after an accepted "=": show the word problem;
                            // `answerMode` is 4 when the answer has a remainder
        WordProblemRedraw,  // after a recalculation: draw the example again
        Busy,               // the busy cursor on (`on`) or off around a layout
        Hint,               // a typed key could not act now: `text` says what
                            // to type instead, for the board's status line
    };
    Kind kind = Board;
    BoardChange change = BoardChange::Typed;
    hissan::Message message;
    std::string text;
    bool on = false;
    int answerMode = 0;
};

// What one entry operation did, as events in order.
struct EntryReport {
    std::vector<EntryEvent> events;

    bool empty() const { return events.empty(); }
    // The messages, the texts to read aloud and the board changes, each in order.
    std::vector<hissan::Message> messages() const;
    std::vector<std::string> readings() const;
    std::vector<BoardChange> changes() const;
    // The hint of the report, empty when there is none (a report holds one
    // at most).
    std::string hint() const;
};

class Keisan {
  public:
    // `jk` and `metrics` must outlive the Keisan (or metrics until the next
    // relayout(metrics)). The board starts cleared, with the prompt drawn.
    Keisan(hissan::TJouken& jk, const hissan::Metrics& metrics);
    ~Keisan();
    Keisan(const Keisan&) = delete;
    Keisan& operator=(const Keisan&) = delete;

    // ---- entry ----------------------------------------------------------
    // The one entry for a character: '0'..'9', '.', '+', '-', '*', '/' and
    // '=' (which evaluates the expression). Anything else is ignored.
    EntryReport MojiInput(char ch);
    // Removes the last typed character and rebuilds the expression line.
    EntryReport BackSpace();
    // Clears the board; the expression is kept in MaeShiki for Hukkatu.
    EntryReport VK_DeleteKey();
    // Types the previous expression (MaeShiki, without its "=") again on an
    // empty board.
    EntryReport Hukkatu();
    // Clears the board and feeds MaeShiki, "=" included, to MojiInput: the
    // calculation is drawn again under the current conditions.
    EntryReport ReCalcButtonClick();
    // π: "3", or "3.1" and further digits of PaiText up to PaiKeta digits.
    EntryReport TypePi();
    // Clears the board and starts a new expression; MaeShiki := the typed text.
    EntryReport R1Click();
    // Clears the board and the expression record for a new expression,
    // keeping MaeShiki (the previous expression) as it is.
    EntryReport reopenEmpty();

    // The text of the last failing digit limit of an expression; empty when
    // every limit holds.
    static std::string KetaOver(const hissan::TShiki& s);

    // ---- expression record ------------------------------------------------
    void ShikiSave();   // TShiki from the entry state, at "="
    void ShikiClear();  // TShiki emptied

    // ---- the board --------------------------------------------------------
    const hissan::DisplayList& ops() const;
    // Index of the first op of the newest "=" run; equals ops().size() after
    // a clear, typing or a relayout.
    size_t runStart() const { return runStart_; }
    // Rebuilds the board from state, without animation, speech or messages.
    EntryReport relayout();
    // The same after a font change: new metrics, carries at half the size.
    EntryReport relayout(const hissan::Metrics& metrics);
    // The expression line and the finished layout laid out on a printed
    // page's metrics (empty when nothing is typed) (origin 2 CharH, 3 CharH / 2; ScrollY 0).
    // `pageGrid` receives the grid of that drawing when given, `layoutStart`
    // the index of the first op after the expression line.
    hissan::DisplayList printLayout(const hissan::Metrics& printerMetrics,
                                    hissan::Grid* pageGrid = nullptr,
                                    size_t* layoutStart = nullptr) const;

    hissan::TJouken& jouken() { return jk_; }
    // The board's grid metrics.
    const hissan::Grid& grid() const { return grid_; }
    // The expression as accepted (operands as typed, leading zeros kept).
    const hissan::TShiki& shiki() const { return shiki_; }
    // Its work copy as a layout starts from it.
    hissan::WorkCopy workCopy() const { return hissan::workCopyOf(shiki_); }
    // What the last layout run reported (empty after a clear).
    const hissan::LayoutResult& result() const { return result_; }
    // The layout of the last "=": 1-4 integers (+ - * /), 5-8 decimals.
    int hissanKind() const { return hissanKind_; }
    // The answer as written after "=" (without the leading zeros that the
    // columns of an integer difference keep in result().Kotae).
    std::string Kotae() const;
    // True only while a layout is being laid out.
    bool Busy() const { return busy_; }
    // 1 while the board accepts typed input.
    int NyuryokuKa() const { return nyuryokuKa_; }

    // ---- the block cursor -------------------------------------------------
    int cursorX() const { return cursorX_; }
    int cursorY() const { return cursorY_; }
    int cursorOn() const { return cursorOn_; }
    // One blink: the phase turns over. With input off the cursor, once on,
    // stays on and nothing changes: returns false then.
    bool blinkCursor();

    // ---- entry state (read by the window, the keypad and speech) ----------
    // The expression as typed, with "=" once accepted.
    const std::string& ShikiNyuryoku() const { return ShikiNyuryoku_; }
    // The previous expression, which Hukkatu and ReCalcButtonClick type again.
    const std::string& MaeShiki() const { return MaeShiki_; }
    char EnzanshiNyuryoku() const { return EnzanshiNyuryoku_; }
    char PrevEnzanshi() const { return PrevEnzanshi_; }
    int EnzanshiAri() const { return EnzanshiAri_; }
    int ZenkouKeta() const { return ZenkouKeta_; }
    int ZenkouShosuKeta() const { return ZenkouShosuKeta_; }
    int KoukouKeta() const { return KoukouKeta_; }
    int KoukouShosuKeta() const { return KoukouShosuKeta_; }
    int ZenkouTen() const { return ZenkouTen_; }
    int KoukouTen() const { return KoukouTen_; }
    int ZenkouTenX() const { return ZenkouTenX_; }
    int KoukouTenX() const { return KoukouTenX_; }
    // 1 while a finished calculation is on the board.
    int KotaeZumi() const { return KotaeZumi_; }
    // True while the first operand is typed and no operator yet.
    bool firstOperandOnly() const {
        return nyuryokuKa_ == 1 && KotaeZumi_ == 0 && ZenkouKeta_ > 0 && EnzanshiAri_ == 0;
    }
    // 1 when the last "=" was refused.
    int ErrorFlag() const { return ErrorFlag_; }
    // The expression on the board becomes the previous one, the one Hukkatu
    // and ReCalcButtonClick type again (after it was printed).
    void rememberExpression() { MaeShiki_ = ShikiNyuryoku_; }

  private:
    // The digit limits of the expression as it stands in TShiki; reports the
    // message of the last failing test and returns false when one fails.
    bool KetaCheck();
    void input(char ch);
    void Equal();
    // Draws the expression line and, when "=" was accepted, runs the layout
    // of the operator and kind of number on `cv`. Returns 0 when the
    // expression is not finished, else 1; the layout's report goes to result_.
    int HissanDispatch(hissan::Canvas& cv);
    // One character of the expression line, typed at (x, y); after a digit
    // or a sign the cursor moves to the next cell.
    void putChar(int x, int y, hissan::Colour colour, char ch);
    void clearBoard();
    void eraseCursor();
    void showMessage(const std::string& text, const std::string& title,
                     hissan::Message::Icon icon = hissan::Message::NoIcon);
    void notify(BoardChange change);
    // Tells why a typed key did nothing; once per report, never in a rebuild.
    void hint(const char* text);
    void record(EntryEvent event);
    class Reporting;
    void rebuild();

    hissan::TJouken& jk_;
    const hissan::Metrics* metrics_;
    EntryReport* report_ = nullptr;  // where the running operation's events go
    std::unique_ptr<hissan::RecordingCanvas> canvas_;
    hissan::Grid grid_;
    hissan::TShiki shiki_;
    hissan::LayoutResult result_;
    int hissanKind_ = 0;
    int nextX_ = 0, lineY_ = 0;    // where the next typed character goes
    int equalX_ = 0, equalY_ = 0;  // where the "=" of the expression line stands
    int nyuryokuKa_ = 0;
    int cursorX_ = 0, cursorY_ = 0, cursorOn_ = 0;
    bool busy_ = false;
    size_t runStart_ = 0;
    unsigned long changes_ = 0;  // counts notifications, to report typing once
    bool quiet_ = false;         // rebuilding: no speech, no messages, no notifications

    std::string ShikiNyuryoku_;
    std::string MaeShiki_;
    char EnzanshiNyuryoku_ = '!';
    char PrevEnzanshi_ = '!';
    int EnzanshiAri_ = 0;
    int ZenkouKeta_ = 0, ZenkouShosuKeta_ = 0;
    int KoukouKeta_ = 0, KoukouShosuKeta_ = 0;
    int ZenkouTen_ = 0, KoukouTen_ = 0;
    int ZenkouTenX_ = 0, KoukouTenX_ = 0;
    int KotaeZumi_ = 0;
    int ErrorFlag_ = 0;
};

}  // namespace app
