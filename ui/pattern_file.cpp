#include "ui/pattern_file.h"

#include <sys/stat.h>

#include <cstdint>
#include <exception>

#include "ui/read_file.h"

namespace dialogs {

int ReiGet(BunExTable& table, const std::string& path, BunExFault* fault) {
    BunExFault f;
    try {
        std::string bytes;
        switch (app::readFile(path, bytes, kBunExMaxSize)) {
            case app::ReadStatus::Ok:
                f = BunExRead(table, bytes);
                break;
            case app::ReadStatus::Missing:
                f.kind = BunExFault::Missing;
                break;
            case app::ReadStatus::Failed: {
                // Say why: what is there under the name, or how big it is.
                struct stat st;
                if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
                    f.kind = BunExFault::NotAFile;
                else if (::stat(path.c_str(), &st) == 0 &&
                         static_cast<std::uintmax_t>(st.st_size) > kBunExMaxSize)
                    f.kind = BunExFault::TooLarge;
                else
                    f.kind = BunExFault::Unreadable;
                break;
            }
        }
    } catch (const std::exception&) {
        // Out of memory while converting: no stories, and the program goes on.
        f.kind = BunExFault::Unreadable;
    }
    if (fault) *fault = f;
    return f.kind == BunExFault::None ? 1 : -1;
}

}  // namespace dialogs
