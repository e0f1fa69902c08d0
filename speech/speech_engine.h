// Speaking reading texts aloud: espeak-ng's Japanese voice synthesises into
// memory on a worker thread, and the samples are played through Qt
// Multimedia's audio output, one text after another in the order asked.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "speech/speech_module.h"

class QThread;

namespace speech {

// espeak-ng used synchronously, into memory. espeak-ng keeps one global
// state per process, so every call holds one lock.
class Synthesiser {
  public:
    // espeak-ng's words per minute for the engine's rate -10..+10: 0 is a
    // teacher's calm pace, every step about 12 % faster or slower.
    static int wordsPerMinute(int rate);
    // espeak-ng's amplitude for the engine's volume 0..100.
    static int amplitude(int volume);

    // Synthesises `spoken` (a text for the synthesiser, see YomiSeiki).
    // `chunk` receives the 16-bit mono samples as they are made, at
    // sampleRate(). False with `error` in the program's words when espeak-ng
    // or its Japanese voice cannot be used.
    static bool synthesise(const std::string& spoken, int rate, int volume,
                           const std::function<void(const int16_t*, size_t)>& chunk,
                           std::string* error);
    // Everything at once.
    static bool synthesise(const std::string& spoken, int rate, int volume,
                           std::vector<int16_t>& samples, std::string* error);
    // The sample rate of the samples; 0 before the first successful use.
    static int sampleRate();
};

// Where the samples go: the sound device, or memory in the tests.
class PcmOutput {
  public:
    virtual ~PcmOutput() = default;
    // Whether samples can be played now; false with the reason otherwise.
    virtual bool ready(QString* why) = 0;
    // Appends mono 16-bit samples at `sampleRate` behind what is queued.
    virtual void push(const int16_t* samples, size_t count, int sampleRate) = 0;
    // True while queued samples are still to be heard.
    virtual bool playing() const = 0;
    // Set by the engine: a failure while playing.
    std::function<void(const QString&)> failed;
};

// The default output: QAudioSink on the desktop's default audio device,
// fed from the event loop.
std::unique_ptr<PcmOutput> makeDeviceOutput(QObject* parent);

// What reading aloud needs from espeak-ng and Qt Multimedia, in
// speech_backend.cpp: linked into the tests and the module hissan-speech.so,
// which the program loads at its first reading so that it starts without
// those libraries.
struct SpeechBackend {
    // Synthiser::synthesise in chunks.
    bool (*synthesise)(const std::string& spoken, int rate, int volume,
                       const std::function<void(const int16_t*, size_t)>& chunk,
                       std::string* error);
    // The sample rate of the chunks, asked from within a chunk.
    int (*sampleRate)();
    std::unique_ptr<PcmOutput> (*deviceOutput)(QObject* parent);
    // Runs `changed` (in `context`) when sound devices appear or go.
    void (*watchDevices)(QObject* context, std::function<void()> changed);
};

// The backend linked in, else the module's (loaded once, on the first call);
// null when neither is there.
const SpeechBackend* speechBackend();
// Makes `backend` the one speechBackend gives (the linked one does so itself).
void useSpeechBackend(const SpeechBackend* backend);
// The linked backend (defined by speech_backend.cpp).
const SpeechBackend* linkedSpeechBackend();
// The module's function that returns its backend.
inline constexpr const char* kSpeechBackendEntry = "hissan_speech_backend";
using SpeechBackendEntry = const SpeechBackend* (*)();

class SynthWorker;

class SpeechEngine : public QObject {
    Q_OBJECT
  public:
    // `output` null: the desktop's sound device.
    explicit SpeechEngine(std::unique_ptr<PcmOutput> output = nullptr, QObject* parent = nullptr);
    ~SpeechEngine() override;

    // The engine's rate -10..+10 and volume 0..100, used by later speak calls.
    void setRate(int rate);
    void setVolume(int volume);
    int rate() const { return rate_; }
    int volume() const { return volume_; }

    // Queues a reading text (what YomiHenkan gives) and returns at once.
    // Texts are heard one after another in the order given; nothing queued
    // is cut off. An empty text is ignored. Returns the request's number,
    // 0 when the reading was dropped because no sound can be made.
    int speak(const std::string& reading);

    // True while something asked for is still being made or heard.
    bool busy() const;
    // The requests made and not yet fully handed to the output.
    int pending() const { return pending_; }

    // After a failure only the first request reports it; this lets the
    // next failure be reported again (the settings window was used, a
    // sound device appeared).
    void rearm() { reported_ = false; }

  signals:
    // A reading could not be spoken; `message` is for the user. Given once
    // until rearm().
    void failure(const QString& message);
    // The first samples of request `id` were handed to the output.
    void started(int id);
    // All samples of request `id` were handed to the output.
    void finished(int id);

  private:
    void onChunk(int id, const QByteArray& pcm, int sampleRate);
    void onDone(int id, bool ok, const QString& error);
    void fail(const QString& message);

    std::unique_ptr<PcmOutput> output_;
    QThread* thread_ = nullptr;
    SynthWorker* worker_ = nullptr;
    int rate_ = 0;
    int volume_ = 100;
    int lastId_ = 0;
    int startedId_ = 0;
    int pending_ = 0;
    int dropUntil_ = 0;  // requests up to this one failed: their samples are not played
    bool reported_ = false;
};

// The program's caption on speech messages.
QString speechTitle();

}  // namespace speech
