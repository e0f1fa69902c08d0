// The settings file pkt_m41.ini as text, for a page that cannot open files
// by path: the teacher brings the desktop's file in and takes the page's out.
// The same sections, keys, order and mending of values as the desktop's file.
#pragma once

#include <string>
#include <string_view>

#include "hissan/jouken.h"

namespace web {

// The file's bytes for `jk`: CRLF lines, Shift-JIS texts, every kept
// condition under its section in the file's order.
std::string iniText(const hissan::TJouken& jk);

// Reads the kept conditions from a file's bytes (Shift-JIS, or UTF-8 or
// UTF-16LE with a byte order mark). A key that is missing or not a whole
// number takes its default; a value out of range is mended as the desktop
// mends it. A file that holds none of the program's sections is not read:
// `jk` stays as it is, false is returned and `why` says so.
bool readIniText(hissan::TJouken& jk, std::string_view bytes, std::string& why);

}  // namespace web
