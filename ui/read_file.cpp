#include "ui/read_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace app {

ReadStatus readFile(const std::string& path, std::string& out, std::size_t maxSize,
                    bool followLinks) {
    // O_NONBLOCK: opening a FIFO placed under our name must not hang the program.
    int fd =
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uintmax_t>(st.st_size) > maxSize) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    out.clear();
    out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || out.size() + static_cast<size_t>(n) > maxSize) {
            ::close(fd);
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

}  // namespace app
