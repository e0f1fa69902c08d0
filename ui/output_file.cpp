#include "ui/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

namespace tools {

namespace {

// Writers hand over many small pieces; they reach the disk in blocks of this size.
constexpr qsizetype kBlock = 64 * 1024;

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename itself on the disk; not every file system can
    ::close(fd);
}

}  // namespace

OutputFile::OutputFile(const QString& path) : target_(path) {
    // A link stays a link: the file it points at is the one replaced.
    const QFileInfo info(path);
    if (info.isSymLink() && !info.canonicalFilePath().isEmpty()) target_ = info.canonicalFilePath();
}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::open(OpenMode mode) {
    if (fd_ >= 0 || failed_ || (mode & QIODevice::ReadOnly) || !(mode & QIODevice::WriteOnly)) {
        setErrorString(QStringLiteral("not a new file for writing"));
        return false;
    }
    const QFileInfo info(target_);
    const QByteArray target = QFile::encodeName(target_);
    struct stat old {};
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        fail(EISDIR);
        return false;
    }
    // A hidden name beside the target, so the rename stays on one file system.
    const QByteArray stem = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                              info.fileName() + QLatin1Char('.'));
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = stem + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        fail(errno);
        temp_.clear();
        return false;
    }
    // A file replaced keeps its permissions; a new one gets the usual ones.
    if (replacing && ::fchmod(fd_, old.st_mode & 07777) != 0) {
        fail(errno);
        discard();
        return false;
    }
    return QIODevice::open(QIODevice::WriteOnly);
}

qint64 OutputFile::readData(char*, qint64) {
    return -1;
}

qint64 OutputFile::writeData(const char* data, qint64 size) {
    if (failed_ || fd_ < 0) return -1;
    buffer_.append(data, qsizetype(size));
    if (buffer_.size() >= kBlock && !flushBuffer()) return -1;
    return size;
}

bool OutputFile::flushBuffer() {
    const char* p = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(n < 0 ? errno : EIO);
            return false;
        }
        p += n;
        left -= n;
    }
    buffer_.clear();
    return true;
}

void OutputFile::fail(int error) {
    if (failed_) return;
    failed_ = true;
    failure_ = QString::fromLocal8Bit(std::strerror(error));
    setErrorString(failure_);
}

bool OutputFile::commit() {
    if (fd_ < 0) {
        if (!failed_) fail(EBADF);
        discard();
        return false;
    }
    bool ok = !failed_ && flushBuffer();
    // The data on the disk before the name: a crash then leaves the old file
    // or the whole new one. A device that cannot sync (EINVAL) has nothing to wait for.
    if (ok && ::fsync(fd_) != 0 && errno != EINVAL) {
        fail(errno);
        ok = false;
    }
    // Some file systems (NFS) report a failed write only when the file is closed.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (ok && closed != 0 && errno != EINTR) {
        fail(errno);
        ok = false;
    }
    const QByteArray target = QFile::encodeName(target_);
    if (ok && ::rename(temp_.constData(), target.constData()) != 0) {
        fail(errno);
        ok = false;
    }
    if (!ok) {
        discard();
        return false;
    }
    temp_.clear();
    QIODevice::close();
    syncFolder(QFile::encodeName(QFileInfo(target_).absolutePath()));
    return true;
}

void OutputFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
    buffer_.clear();
    if (isOpen()) QIODevice::close();
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString& why) {
    OutputFile out(path);
    if (out.open() && out.write(bytes) == bytes.size() && out.commit()) return true;
    why = out.failure();
    return false;
}

}  // namespace tools
