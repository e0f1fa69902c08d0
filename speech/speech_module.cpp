#include "speech/speech_module.h"

#include "core/yomi.h"
#include "speech/speech_engine.h"

namespace {

std::string reading(const std::string& text) {
    return speech::YomiSeiki(speech::YomiHenkan(text));
}

bool synthesise(const std::string& spoken, int rate, int volume, std::vector<int16_t>& samples,
                std::string* error) {
    return speech::Synthesiser::synthesise(spoken, rate, volume, samples, error);
}

constexpr speech::SpeechModule kModule{reading, synthesise, speech::Synthesiser::sampleRate};

}  // namespace

extern "C" __attribute__((visibility("default"))) const speech::SpeechModule*
hissan_speech_module() {
    return &kModule;
}

extern "C" __attribute__((visibility("default"))) const speech::SpeechBackend*
hissan_speech_backend() {
    return speech::linkedSpeechBackend();
}
