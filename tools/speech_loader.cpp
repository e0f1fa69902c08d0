#include "tools/speech_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#ifndef HISSAN_MODULE_DIR
#define HISSAN_MODULE_DIR "../lib/hissan"
#endif

namespace tools {

const speech::SpeechModule* loadSpeech(std::string& why) {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(speech::kSpeechModuleFile);
    const QStringList paths{
        exeDir + QLatin1Char('/') + name,
        QDir::cleanPath(exeDir + QStringLiteral("/" HISSAN_MODULE_DIR "/") + name)};
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) continue;
        // Kept loaded until the process ends.
        auto* lib = new QLibrary(path);
        const auto entry =
            reinterpret_cast<speech::SpeechModuleEntry>(lib->resolve(speech::kSpeechModuleEntry));
        if (entry) return entry();
        why = "the speech module " + path.toStdString() +
              " cannot be loaded: " + lib->errorString().toStdString();
        return nullptr;
    }
    why = "the speech module " + name.toStdString() + " is not installed beside the tool or in " +
          QDir::cleanPath(exeDir + QStringLiteral("/" HISSAN_MODULE_DIR)).toStdString();
    return nullptr;
}

}  // namespace tools
