#include "ui/speech_module_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef HISSAN_MODULE_DIR
#define HISSAN_MODULE_DIR "../lib/hissan"
#endif

namespace ui {

QFunctionPointer speechModuleFunction(const char* file, const char* symbol, std::string& why) {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(file);
    const QString moduleDir = QDir::cleanPath(exeDir + QStringLiteral("/" HISSAN_MODULE_DIR));
    for (const QString& path :
         {exeDir + QLatin1Char('/') + name, moduleDir + QLatin1Char('/') + name}) {
        if (!QFileInfo::exists(path)) continue;
        auto* lib = new QLibrary(path);  // never unloaded
        if (QFunctionPointer f = lib->resolve(symbol)) return f;
        why = "the speech module " + path.toStdString() +
              " cannot be loaded: " + lib->errorString().toStdString();
        return nullptr;
    }
    why = "the speech module " + name.toStdString() + " is not installed beside the tool or in " +
          moduleDir.toStdString();
    return nullptr;
}

}  // namespace ui
