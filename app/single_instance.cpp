#include "app/single_instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

namespace app {

QString SingleInstance::lockFileIn(const QString& dir) {
    return QDir(dir).filePath(QStringLiteral("PIKOTA_M3-%1.lock").arg(getuid()));
}

SingleInstance::SingleInstance(const QString& dir) {
    if (!dir.isEmpty()) {
        tryDir(dir);
        return;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && tryDir(runtime)) return;
    if (heldElsewhere_) return;
    tryDir(QDir::tempPath());
}

SingleInstance::~SingleInstance() {
    // Closing the descriptor releases the lock; the file stays, which is
    // harmless: a lock, not the file's existence, marks a running copy.
    if (fd_ >= 0) ::close(fd_);
}

// True when this folder decided the question (lock taken here, or held by
// another process); false when no lock file could be opened in it.
bool SingleInstance::tryDir(const QString& dir) {
    const QString file = lockFileIn(dir);
    const QByteArray native = QFile::encodeName(file);
    // O_NOFOLLOW: in a shared temporary folder nobody can point our lock at
    // another file of ours.
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        if (!busy) return false;
        heldElsewhere_ = true;
        path_ = file;
        return true;
    }
    fd_ = fd;
    path_ = file;
    return true;
}

}  // namespace app
