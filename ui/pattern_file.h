// The word-problem pattern file read from its path; the core reads only its
// bytes (core/bun_ex.h).
#pragma once

#include <string>

#include "core/bun_ex.h"

namespace dialogs {

// The file at `path` into `table`: 1 when it was read, -1 when not (the
// table is left as it was and `fault`, when given, says why). Only a regular
// file of at most kBunExMaxSize bytes is read, so a folder, a pipe or a
// device under the file's name neither hangs nor stops the program; nothing
// the file holds throws.
int ReiGet(BunExTable& table, const std::string& path, BunExFault* fault = nullptr);

}  // namespace dialogs
