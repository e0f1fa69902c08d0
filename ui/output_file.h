// Files the tool writes (images, PDFs, worksheets, WAV) are replaced whole or
// not at all. The bytes go to a new file beside the target; every write, the
// flush to the disk and the close are checked, and only then does the new
// file take the target's name. On any failure the new file is removed and a
// file already there is left exactly as it was, so a full disk can never
// leave a truncated picture or an empty file behind a successful exit.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace tools {

// A write-only device for one output file. Painters and writers (QPdfWriter,
// QSvgGenerator, QImageWriter) write into it as into any QIODevice; nothing
// is created on disk before open(), and the target changes only in commit()
// (closing the device, as some writers do when they finish, neither commits
// nor loses anything). The first failed write is kept: every later write
// fails too, and commit() reports it.
class OutputFile : public QIODevice {
  public:
    explicit OutputFile(const QString& path);
    ~OutputFile() override;  // an uncommitted file is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file beside the target, for writing only.
    bool open(OpenMode mode) override;
    bool open() { return open(QIODevice::WriteOnly); }
    // Writes out what is buffered, syncs it to the disk, closes it and gives
    // it the target's name (a symbolic link keeps pointing at the new file;
    // a file replaced keeps its permissions). False when any step failed,
    // with the temporary file removed.
    bool commit();
    // Gives the file up: the temporary file is removed, the target untouched.
    void discard();
    bool isSequential() const override { return true; }

    // Why the file could not be written, in the system's words ("No space
    // left on device"); empty while nothing failed.
    QString failure() const { return failure_; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    bool flushBuffer();
    void fail(int error);

    QString target_;   // the file replaced, a symbolic link followed
    QByteArray temp_;  // the temporary file's name, local encoding
    int fd_ = -1;
    bool failed_ = false;
    QString failure_;
    QByteArray buffer_;
};

// Writes `bytes` as the whole file `path` through an OutputFile. False, with
// the reason in `why`, when the file could not be written.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString& why);

}  // namespace tools
