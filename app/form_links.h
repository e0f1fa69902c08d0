// The main window's side of its companion windows: the small interface the
// word-problem window talks through, and the answers to the signals of the
// conditions dialog and the keypad.
#pragma once

#include "app/companions.h"

namespace dialogs {
class TInputFormM;
class TJoukenSetFormM;
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

}  // namespace app
