#include "tools/speech_loader.h"

#include "ui/speech_module_file.h"

namespace tools {

const speech::SpeechModule* loadSpeech(std::string& why) {
    const auto entry = reinterpret_cast<speech::SpeechModuleEntry>(
        ui::speechModuleFunction(speech::kSpeechModuleFile, speech::kSpeechModuleEntry, why));
    return entry ? entry() : nullptr;
}

}  // namespace tools
