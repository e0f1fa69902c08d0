// The main window's side of its companion windows: the read-only interface
// the word-problem window reads the calculation through, and the answers to
// the signals of the conditions dialog, the keypad and the word-problem
// window.
#pragma once

#include <functional>

#include "app/companions.h"
#include "app/conditions_control.h"

namespace dialogs {
class TInputFormM;
class TJoukenSetFormM;
class TSenExForm;
}  // namespace dialogs

namespace app {

class BoardScreen;
class KeyCommands;

// What the companion windows' signals reach.
struct FormParts {
    QWidget* window = nullptr;
    Keisan* keisan = nullptr;
    Companions* companions = nullptr;
    ConditionsControl* controls = nullptr;
    BoardScreen* screen = nullptr;
    KeyCommands* keys = nullptr;
    WindowActions actions;
    std::function<void()> help;
    std::function<void()> speechSettings;
    hissan::TJouken* jouken = nullptr;  // the keypad's size is kept with the conditions
};

// Makes the links (owned by `parts.window`) for the companion owner.
CompanionLinks linkCompanions(const FormParts& parts);

// Connects a companion window's signals, once, when it is built. The
// connections are direct: the dialog's handlers go on only after the window
// has answered, as their order of effects needs.
void wireConditions(const FormParts& parts, dialogs::TJoukenSetFormM& dlg);
void wireKeypad(const FormParts& parts, dialogs::TInputFormM& pad);
void wireWordProblem(const FormParts& parts, dialogs::TSenExForm& w);

}  // namespace app
