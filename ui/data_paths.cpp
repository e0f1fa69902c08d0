#include "ui/data_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace app {

QStringList dataDirs() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    QStringList dirs{exeDir, QDir::cleanPath(exeDir + QStringLiteral("/../share/hissan"))};
#ifdef HISSAN_DATADIR
    dirs << QStringLiteral(HISSAN_DATADIR);
#endif
#ifdef HISSAN_SOURCE_RESOURCES
    dirs << QStringLiteral(HISSAN_SOURCE_RESOURCES);
#endif
    dirs.removeDuplicates();
    return dirs;
}

QString dataFile(const QString& name) {
    for (const QString& dir : dataDirs()) {
        const QFileInfo f(dir + QLatin1Char('/') + name);
        if (f.exists()) return f.absoluteFilePath();
    }
    return {};
}

}  // namespace app
