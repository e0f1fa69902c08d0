// Reading a whole file that anyone may have put under a known name: the
// settings file, the word-problem patterns.
#pragma once

#include <cstddef>
#include <string>

namespace app {

// Reads the whole file at `path` into `out`, safely for a file that anyone may
// have put there: only a regular file of at most `maxSize` bytes is read, and
// the file is opened without blocking, so a pipe under that name never hangs
// the program and a device is never read. Missing when there is no such file,
// Failed for anything else that is not read (with `followLinks` false, also
// a symbolic link).
enum class ReadStatus { Ok, Missing, Failed };
ReadStatus readFile(const std::string& path, std::string& out, std::size_t maxSize,
                    bool followLinks = true);

}  // namespace app
