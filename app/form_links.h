// The main window's side of its companion windows: the read-only interface
// the word-problem window reads the calculation through, and the answers to
// the signals of the conditions dialog, the keypad and the word-problem
// window.
#pragma once

#include "app/companions.h"

namespace dialogs {
class TInputFormM;
class TJoukenSetFormM;
class TSenExForm;
}  // namespace dialogs

namespace app {

class TKokubanFormM;

// Makes the links of `form` (owned by the form) for the companion owner.
CompanionLinks linkCompanions(TKokubanFormM& form);

// Connects the conditions dialog's signals to `form`, once, when the dialog
// is built. The connections are direct: the dialog's handlers go on only
// after the window has answered, as their order of effects needs.
void wireConditions(TKokubanFormM& form, dialogs::TJoukenSetFormM& dlg);
void wireKeypad(TKokubanFormM& form, dialogs::TInputFormM& pad);
void wireWordProblem(TKokubanFormM& form, dialogs::TSenExForm& w);

}  // namespace app
