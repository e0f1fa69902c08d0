// Only one copy of the program runs per user: the first start takes an
// exclusive lock on a file named after "PIKOTA_M3"; a later start finds it
// taken and leaves. The kernel drops the lock when the holder exits, also
// after a crash, so a dead first copy never blocks a new start.
#pragma once

#include <QString>

namespace app {

class SingleInstance {
  public:
    // Tries the lock in `dir`, or, when `dir` is empty, in $XDG_RUNTIME_DIR
    // (when set and usable) and else in the temporary folder.
    explicit SingleInstance(const QString& dir = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False only when another process holds the lock. When no lock file can
    // be created at all the program is allowed to run (a broken runtime
    // folder must not keep the pupils from their calculator).
    bool acquired() const { return !heldElsewhere_; }
    bool heldElsewhere() const { return heldElsewhere_; }
    // The lock file in use (empty when none could be created).
    const QString& path() const { return path_; }

    // The lock file name in a folder: per user, so that users of a shared
    // temporary folder do not block each other.
    static QString lockFileIn(const QString& dir);

  private:
    bool tryDir(const QString& dir);
    int fd_ = -1;
    bool heldElsewhere_ = false;
    QString path_;
};

}  // namespace app
