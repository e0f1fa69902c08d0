// What the settings panel's clicks, the conditions dialog's changes and the
// keys that switch a condition do on the board: the toggles, the quotient
// places and mode, the stroke delay, manual and automatic stepping, the colour
// scheme, the line break, and the word-problem window that tells a story
// about the calculation.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "core/keisan.h"
#include "hissan/jouken.h"

namespace dialogs {
class TJoukenSetFormM;
}

namespace app {

class BoardScreen;
class Companions;
class RunQueue;
class SettingsPanel;

// What the controls ask of the window they serve.
struct WindowActions {
    std::function<void(const EntryReport&)> apply;  // carry out an entry report
    std::function<void(const QString& text, const QString& title)> message;
    std::function<void(const std::string&)> readAloud;  // a calculation text
    std::function<void(int key)> postKey;               // a key handled as if typed
};

class ConditionsControl : public QObject {
    Q_OBJECT
  public:
    ConditionsControl(hissan::TJouken& jk, Keisan& keisan, SettingsPanel& panel,
                      Companions& companions, BoardScreen& screen, RunQueue& runs,
                      WindowActions actions, QObject* parent = nullptr);

    // The word-problem panel is on; examples are loaded; the answer mode
    // last given to the word-problem window.
    int ReibunOn = 0;
    int ReibunAri = 0;
    int AmariMode = 0;

    // ---- the settings panel ------------------------------------------------
    void togglePanel();
    void toggleLineBreak();
    void toggleReferenceLine();
    void toggleRecalculation();
    void toggleWordProblem();
    void toggleShou0();
    // Reads the expression and its answer aloud.
    void readAnswer();
    void placesChosen(int position);
    // The division group and, with recalculation on, the board follow the
    // quotient mode.
    void showQuotientMode();
    void showPointMax();
    // One quotient place more or fewer (`by` = +1 / -1), and the stroke delay.
    void stepPlaces(int by);
    void stepStrokeDelay(int by);

    // ---- colours --------------------------------------------------------------
    // The panel's scheme selection was clicked: the first change of a run
    // goes to the whiteboard, later ones switch while the board allows.
    void schemeClicked();
    // M: the next scheme, through the panel's selection.
    void cycleScheme();
    // The dialog chose `item`.
    void selectScheme(int item);

    // ---- stepping --------------------------------------------------------------
    // Y: manual stepping on or off (during a run: the stepping ends).
    void toggleStepping();
    // Escape with manual stepping: it ends.
    void endStepping();
    // The panel, the menus' marks, the step box and the dialog show the step kind.
    void showStepMode();
    void stepTimeEnabled(bool on);

    // ---- what the conditions dialog changed -------------------------------------
    void relayout();
    void lineBreakChanged();
    void panelCaptions();
    void quotientModeChanged();

    // ---- the word-problem window -------------------------------------------------
    // Reads the examples into the window.
    void readExamples();
    // The entry laid out a calculation with a story in `answerMode`.
    void wordProblem(int answerMode);
    void redrawWordProblem();

    // The conditions dialog if it was built.
    dialogs::TJoukenSetFormM* conditionsBuilt() const;

  signals:
    // The menus' check marks of what they show.
    void panelMarked(bool shown);
    void stepMarked(bool manual);
    void trailingZerosMarked(bool kake, bool wari);

  private:
    void switchScheme(int scheme);
    void showStrokeDelay();

    hissan::TJouken& jk_;
    Keisan& keisan_;
    SettingsPanel& panel_;
    Companions& comp_;
    BoardScreen& screen_;
    RunQueue& runs_;
    WindowActions act_;
    int schemeChanged_ = 0;  // the scheme was changed once in this run
};

}  // namespace app
