// The part of reading aloud that needs espeak-ng and Qt Multimedia: the
// synthesiser and the sound device. The program loads it as a module at its
// first reading (speechBackend()); the tests link it.
#include <espeak-ng/speak_lib.h>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "speech/speech_engine.h"

namespace speech {

// ---- espeak-ng ---------------------------------------------------------------------------

namespace {

std::mutex& espeakMutex() {
    static std::mutex m;
    return m;
}

int gSampleRate = 0;     // guarded by espeakMutex
bool gVoiceSet = false;  // the Japanese voice is chosen

struct Collect {
    const std::function<void(const int16_t*, size_t)>* chunk;
};

int onSynth(short* wav, int count, espeak_EVENT* events) {
    if (!wav || count <= 0 || !events) return 0;
    auto* c = static_cast<Collect*>(events->user_data);
    if (c && *c->chunk) (*c->chunk)(reinterpret_cast<const int16_t*>(wav), size_t(count));
    return 0;
}

// Initialises espeak-ng once; tried again on the next call after a failure.
bool ensureEspeak(std::string* error) {
    if (gSampleRate <= 0) {
        // DONT_EXIT: a missing data folder is reported, not a process exit.
        const int rate =
            espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (rate <= 0) {
            if (error)
                *error = "音声合成（espeak-ng）を始められません。espeak-ng-data が必要です。";
            return false;
        }
        gSampleRate = rate;
        espeak_SetSynthCallback(onSynth);
    }
    if (!gVoiceSet) {
        if (espeak_SetVoiceByName("ja") != EE_OK) {
            if (error) *error = "音声合成（espeak-ng）に日本語の声がありません。";
            return false;
        }
        gVoiceSet = true;
    }
    return true;
}

}  // namespace

int Synthesiser::wordsPerMinute(int rate) {
    rate = std::clamp(rate, -10, 10);
    // SAPI-like: ten steps triple or third the pace.
    const double wpm = 140.0 * std::pow(3.0, rate / 10.0);
    return std::clamp(static_cast<int>(std::lround(wpm)), espeakRATE_MINIMUM, espeakRATE_MAXIMUM);
}

int Synthesiser::amplitude(int volume) {
    return std::clamp(volume, 0, 100);
}

int Synthesiser::sampleRate() {
    std::lock_guard<std::mutex> lock(espeakMutex());
    return gSampleRate;
}

bool Synthesiser::synthesise(const std::string& spoken, int rate, int volume,
                             const std::function<void(const int16_t*, size_t)>& chunk,
                             std::string* error) {
    std::lock_guard<std::mutex> lock(espeakMutex());
    if (!ensureEspeak(error)) return false;
    if (spoken.empty()) return true;
    espeak_SetParameter(espeakRATE, wordsPerMinute(rate), 0);
    espeak_SetParameter(espeakVOLUME, amplitude(volume), 0);
    Collect c{&chunk};
    const espeak_ERROR e = espeak_Synth(spoken.c_str(), spoken.size() + 1, 0, POS_CHARACTER, 0,
                                        espeakCHARS_UTF8, nullptr, &c);
    if (e != EE_OK) {
        if (error) *error = "音声合成（espeak-ng）で読めませんでした。";
        return false;
    }
    return true;
}

bool Synthesiser::synthesise(const std::string& spoken, int rate, int volume,
                             std::vector<int16_t>& samples, std::string* error) {
    samples.clear();
    return synthesise(
        spoken, rate, volume,
        [&](const int16_t* s, size_t n) { samples.insert(samples.end(), s, s + n); }, error);
}

// ---- the sound device --------------------------------------------------------------------

namespace {

// Mono 16-bit samples at `from` Hz into `fmt` (rate, channels, sample type).
QByteArray convertPcm(const int16_t* s, size_t n, int from, const QAudioFormat& fmt) {
    const int to = fmt.sampleRate();
    const int channels = std::max(1, fmt.channelCount());
    const size_t frames = to == from ? n : static_cast<size_t>(double(n) * to / from);
    QByteArray out;
    out.resize(static_cast<qsizetype>(frames * channels * fmt.bytesPerSample()));
    char* p = out.data();
    for (size_t f = 0; f < frames; ++f) {
        const double at = to == from ? double(f) : double(f) * from / to;
        const size_t i = std::min(static_cast<size_t>(at), n - 1);
        const size_t j = std::min(i + 1, n - 1);
        const double frac = at - double(i);
        const float v = float((s[i] * (1.0 - frac) + s[j] * frac) / 32768.0);
        for (int c = 0; c < channels; ++c) {
            switch (fmt.sampleFormat()) {
                case QAudioFormat::UInt8: {
                    const auto b = static_cast<uint8_t>(std::lround(v * 127.0f + 128.0f));
                    std::memcpy(p, &b, 1);
                    break;
                }
                case QAudioFormat::Int32: {
                    const auto w = static_cast<int32_t>(v * 2147483647.0f);
                    std::memcpy(p, &w, 4);
                    break;
                }
                case QAudioFormat::Float:
                    std::memcpy(p, &v, 4);
                    break;
                default: {
                    const auto w = static_cast<int16_t>(std::lround(v * 32767.0f));
                    std::memcpy(p, &w, 2);
                    break;
                }
            }
            p += fmt.bytesPerSample();
        }
    }
    return out;
}

class DeviceOutput : public QObject, public PcmOutput {
  public:
    explicit DeviceOutput(QObject* parent) : QObject(parent) {
        feed_.setInterval(20);
        connect(&feed_, &QTimer::timeout, this, [this] { feed(); });
    }
    ~DeviceOutput() override { close(); }

    bool ready(QString* why) override {
        if (sink_) return true;
        if (QMediaDevices::defaultAudioOutput().isNull()) {
            if (why)
                *why = QStringLiteral(
                    "音を出す装置が見つからないので、読み上げができません。\n"
                    "スピーカーやヘッドホンをつないでから、もう一度ためしてください。");
            return false;
        }
        return true;
    }

    void push(const int16_t* s, size_t n, int sampleRate) override {
        if (n == 0) return;
        if (!sink_ || sampleRate != fromRate_) {
            if (!open(sampleRate)) return;
        }
        pending_ += convertPcm(s, n, fromRate_, sink_->format());
        idleTicks_ = 0;
        feed();
        if (!feed_.isActive()) feed_.start();
    }

    bool playing() const override {
        return !pending_.isEmpty() || (sink_ && sink_->state() == QAudio::ActiveState);
    }

  private:
    bool open(int sampleRate) {
        // Whatever is still queued at another rate is heard first.
        if (sink_ && !pending_.isEmpty()) return !!sink_;
        close();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            report(QStringLiteral("音を出す装置が見つからないので、読み上げができません。"));
            return false;
        }
        QAudioFormat fmt;
        fmt.setSampleRate(sampleRate);
        fmt.setChannelCount(1);
        fmt.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(fmt)) fmt = device.preferredFormat();
        sink_ = new QAudioSink(device, fmt, this);
        // A little over a tenth of a second buffered: small enough to start at once.
        sink_->setBufferSize(fmt.bytesForDuration(200000));
        io_ = sink_->start();
        if (!io_ || sink_->error() != QAudio::NoError) {
            close();
            report(QStringLiteral("音を出す装置を開けないので、読み上げができません。"));
            return false;
        }
        fromRate_ = sampleRate;
        return true;
    }

    void close() {
        feed_.stop();
        if (sink_) {
            sink_->stop();
            delete sink_;
        }
        sink_ = nullptr;
        io_ = nullptr;
        pending_.clear();
        fromRate_ = 0;
    }

    void feed() {
        if (!sink_ || !io_) return;
        if (sink_->error() == QAudio::OpenError || sink_->error() == QAudio::FatalError) {
            close();
            report(QStringLiteral("音を出す装置が使えなくなったので、読み上げを止めました。"));
            return;
        }
        const qsizetype free = sink_->bytesFree();
        const qsizetype n = std::min(free, pending_.size());
        if (n > 0) {
            const qint64 written = io_->write(pending_.constData(), n);
            if (written > 0) pending_.remove(0, written);
        }
        // Let the device go after a few seconds of silence.
        if (pending_.isEmpty() && sink_->state() != QAudio::ActiveState && ++idleTicks_ > 150)
            close();
    }

    void report(const QString& m) {
        if (failed) failed(m);
    }

    QAudioSink* sink_ = nullptr;
    QIODevice* io_ = nullptr;
    QByteArray pending_;
    QTimer feed_;
    int fromRate_ = 0;
    int idleTicks_ = 0;
};

}  // namespace

std::unique_ptr<PcmOutput> makeDeviceOutput(QObject* parent) {
    return std::make_unique<DeviceOutput>(parent);
}

namespace {

void watchDevices(QObject* context, std::function<void()> changed) {
    QObject::connect(new QMediaDevices(context), &QMediaDevices::audioOutputsChanged, context,
                     std::move(changed));
}

bool synthesiseChunks(const std::string& spoken, int rate, int volume,
                      const std::function<void(const int16_t*, size_t)>& chunk,
                      std::string* error) {
    return Synthesiser::synthesise(spoken, rate, volume, chunk, error);
}

// Asked from within a chunk, while synthesise holds the lock.
int chunkSampleRate() {
    return gSampleRate;
}

constexpr SpeechBackend kLinked{synthesiseChunks, chunkSampleRate, makeDeviceOutput, watchDevices};

// Linked in: the engine uses it without loading the module.
[[maybe_unused]] const bool kRegistered = (useSpeechBackend(&kLinked), true);

}  // namespace

const SpeechBackend* linkedSpeechBackend() {
    return &kLinked;
}

}  // namespace speech
