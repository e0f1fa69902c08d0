// The export tool's speech, loaded when --speak or --reading asks for it.
#pragma once

#include <string>

#include "speech/speech_module.h"

namespace tools {

// The speech module from the tool's own folder (a build tree) or the
// installed module folder. Null, with the reason in `why`, when it cannot be
// loaded.
const speech::SpeechModule* loadSpeech(std::string& why);

}  // namespace tools
