// Output files replaced whole or not at all: a failed write, a file given up
// and a missing folder leave the old file as it was and nothing beside it; a
// finished file keeps the old one's permissions and a symbolic link to it.
#include "ui/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

namespace {

class OutputFileTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QByteArray read(const char* name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    void makeOld() const {
        QFile f(path("old.pdf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the old sheet");
        f.close();
        ASSERT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }
};

// Writes of at most `limit` bytes to any file succeed, as on a disk with that
// much room; the writes beyond fail with EFBIG instead of a signal.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = old_;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(OutputFileTest, AFailureLeavesTheOldFileAndNothingBeside) {
    makeOld();
    const QByteArray piece(40 * 1024, 'x');
    {
        // A write fails part way: every later write fails too, even one that
        // would fit, and so does commit().
        tools::OutputFile out(path("old.pdf"));
        ASSERT_TRUE(out.open());
        FileSizeLimit limit(100 * 1024);
        bool failed = false;
        for (int i = 0; i < 8; ++i) failed = out.write(piece) != piece.size() || failed;
        EXPECT_TRUE(failed);
        EXPECT_EQ(out.write("1", 1), -1);
        EXPECT_FALSE(out.commit());
        EXPECT_FALSE(out.failure().isEmpty());
    }
    EXPECT_EQ(read("old.pdf"), "the old sheet");
    EXPECT_EQ(entries(), QStringList{"old.pdf"});

    {
        // Given up, or never committed: the same.
        tools::OutputFile out(path("old.pdf"));
        ASSERT_TRUE(out.open());
        out.write(piece);
    }
    EXPECT_EQ(read("old.pdf"), "the old sheet");
    EXPECT_EQ(entries(), QStringList{"old.pdf"});

    QString why;
    EXPECT_FALSE(tools::writeWholeFile(path("no/folder/x.wav"), piece, why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(entries(), QStringList{"old.pdf"});
}

TEST_F(OutputFileTest, AFinishedFileTakesTheNameWithItsPermissionsAndLink) {
    makeOld();
    ASSERT_TRUE(QFile::link(path("old.pdf"), path("link.pdf")));
    const QByteArray big(300 * 1024, 'y');  // more than one block
    QString why;
    ASSERT_TRUE(tools::writeWholeFile(path("link.pdf"), big, why)) << why.toStdString();
    EXPECT_EQ(read("old.pdf"), big);
    EXPECT_TRUE(QFileInfo(path("link.pdf")).isSymLink());
    EXPECT_EQ(QFile::permissions(path("old.pdf")), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ReadUser | QFile::WriteUser |
                                                       QFile::ReadGroup);

    // A new file gets the permissions any new file gets.
    ASSERT_TRUE(tools::writeWholeFile(path("new.png"), "png", why));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(path("new.png").toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(entries(), (QStringList{"link.pdf", "new.png", "old.pdf"}));
}

}  // namespace
