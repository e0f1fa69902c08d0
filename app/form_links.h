// The main window's side of the keypad and the word-problem window: the two
// small interfaces those windows talk through, served by the main window.
#pragma once

#include "app/companions.h"

namespace app {

class TKokubanFormM;

// Makes the links of `form` (owned by the form) for createCompanions.
CompanionLinks linkCompanions(TKokubanFormM& form);

}  // namespace app
