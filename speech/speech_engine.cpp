#include "speech/speech_engine.h"

#include <QThread>
#include <algorithm>

#include "core/yomi.h"
#include "ui/speech_module_file.h"

namespace speech {

QString speechTitle() {
    return QStringLiteral("読み上げ");
}

// ---- where the synthesiser and the sound device come from -------------------------------

namespace {

const SpeechBackend* gBackend = nullptr;

// Said when neither the linked backend nor the module is there.
QString noBackend() {
    return QStringLiteral("音声合成のモジュール（%1）が見あたらないため、読み上げできません。")
        .arg(QString::fromLatin1(kSpeechModuleFile));
}

}  // namespace

void useSpeechBackend(const SpeechBackend* backend) {
    gBackend = backend;
}

const SpeechBackend* speechBackend() {
    static bool tried = false;
    if (gBackend || tried) return gBackend;
    tried = true;
    std::string why;  // the message for a missing module is the program's own
    if (const auto entry = reinterpret_cast<SpeechBackendEntry>(
            ui::speechModuleFunction(kSpeechModuleFile, kSpeechBackendEntry, why)))
        gBackend = entry();
    return gBackend;
}

// ---- worker thread -----------------------------------------------------------------------

class SynthWorker : public QObject {
    Q_OBJECT
  public:
    explicit SynthWorker(const SpeechBackend* backend) : backend_(backend) {}

    void synth(int id, const std::string& reading, int rate, int volume) {
        if (!backend_) {
            emit done(id, false, noBackend());
            return;
        }
        const std::string spoken = YomiSeiki(reading);
        std::string error;
        const bool ok = backend_->synthesise(
            spoken, rate, volume,
            [&](const int16_t* s, size_t n) {
                emit chunk(id,
                           QByteArray(reinterpret_cast<const char*>(s),
                                      static_cast<qsizetype>(n * sizeof(int16_t))),
                           backend_->sampleRate());
            },
            &error);
        emit done(id, ok, QString::fromStdString(error));
    }

  private:
    const SpeechBackend* backend_;

  signals:
    void chunk(int id, const QByteArray& pcm, int sampleRate);
    void done(int id, bool ok, const QString& error);
};

// Without the module there is no sound device to play on.
class NoOutput : public PcmOutput {
  public:
    bool ready(QString* why) override {
        if (why) *why = noBackend();
        return false;
    }
    void push(const int16_t*, size_t, int) override {}
    bool playing() const override { return false; }
};

// ---- the engine --------------------------------------------------------------------------

SpeechEngine::SpeechEngine(std::unique_ptr<PcmOutput> output, QObject* parent)
    : QObject(parent), output_(std::move(output)) {
    const SpeechBackend* backend = speechBackend();
    if (!output_) output_ = backend ? backend->deviceOutput(nullptr) : std::make_unique<NoOutput>();
    output_->failed = [this](const QString& m) {
        dropUntil_ = lastId_;
        fail(m);
    };
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("speech"));
    worker_ = new SynthWorker(backend);
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &SynthWorker::chunk, this, &SpeechEngine::onChunk, Qt::QueuedConnection);
    connect(worker_, &SynthWorker::done, this, &SpeechEngine::onDone, Qt::QueuedConnection);
    thread_->start();
    // A sound device that appears may make the next reading work.
    if (backend) backend->watchDevices(this, [this] { rearm(); });
}

SpeechEngine::~SpeechEngine() {
    thread_->quit();
    thread_->wait();
    output_.reset();
}

void SpeechEngine::setRate(int rate) {
    rate_ = std::clamp(rate, -10, 10);
}

void SpeechEngine::setVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
}

int SpeechEngine::speak(const std::string& reading) {
    if (reading.empty()) return 0;
    QString why;
    if (!output_->ready(&why)) {
        fail(why);
        return 0;
    }
    const int id = ++lastId_;
    ++pending_;
    const int r = rate_, v = volume_;
    SynthWorker* w = worker_;
    QMetaObject::invokeMethod(
        worker_, [w, id, reading, r, v] { w->synth(id, reading, r, v); }, Qt::QueuedConnection);
    return id;
}

bool SpeechEngine::busy() const {
    return pending_ > 0 || output_->playing();
}

void SpeechEngine::onChunk(int id, const QByteArray& pcm, int sampleRate) {
    if (id <= dropUntil_) return;
    if (id != startedId_) {
        startedId_ = id;
        emit started(id);
    }
    output_->push(reinterpret_cast<const int16_t*>(pcm.constData()),
                  static_cast<size_t>(pcm.size()) / sizeof(int16_t), sampleRate);
}

void SpeechEngine::onDone(int id, bool ok, const QString& error) {
    pending_ = std::max(0, pending_ - 1);
    if (!ok) {
        fail(error);
        return;
    }
    if (id > dropUntil_) emit finished(id);
}

void SpeechEngine::fail(const QString& message) {
    if (reported_) return;
    reported_ = true;
    emit failure(message);
}

}  // namespace speech

#include "speech_engine.moc"
