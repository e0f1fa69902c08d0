// The main window's side of its companion windows: the two small interfaces
// the keypad and the word-problem window talk through, and the answers to
// the conditions dialog's signals.
#pragma once

#include "app/companions.h"

namespace dialogs {
class TJoukenSetFormM;
}

namespace app {

class TKokubanFormM;

// Makes the links of `form` (owned by the form) for createCompanions.
CompanionLinks linkCompanions(TKokubanFormM& form);

// Connects the conditions dialog's signals to `form`, once, when the dialog
// is built. The connections are direct: the dialog's handlers go on only
// after the window has answered, as their order of effects needs.
void wireConditions(TKokubanFormM& form, dialogs::TJoukenSetFormM& dlg);

}  // namespace app
