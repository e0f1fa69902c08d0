// The speech the export tool loads as a module, only when it reads or speaks
// aloud: the synthesiser, the sound system and the kanji dictionary stay out
// of every other export.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace speech {

struct SpeechModule {
    // What the synthesiser is given for a calculation text:
    // YomiSeiki(YomiHenkan(text)), with kanji read by the dictionary.
    std::string (*reading)(const std::string& text);
    // Synthesiser::synthesise into memory.
    bool (*synthesise)(const std::string& spoken, int rate, int volume,
                       std::vector<int16_t>& samples, std::string* error);
    // Synthesiser::sampleRate.
    int (*sampleRate)();
};

// The module's file, and the one function it exports, which returns its table.
inline constexpr const char* kSpeechModuleFile = "hissan-speech.so";
inline constexpr const char* kSpeechModuleEntry = "hissan_speech_module";
using SpeechModuleEntry = const SpeechModule* (*)();

}  // namespace speech
