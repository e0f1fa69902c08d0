// The settings file pkt_m41.ini: reading it into the conditions record at start
// and writing it back at close, in the Windows private-profile (INI) format so
// that the same file works on a Japanese Windows machine and here.
//
// File format, as read:
//  - "[SECTION]" lines and "KEY=VALUE" lines; section and key names match
//    without regard to ASCII case; spaces and tabs around names and values are
//    ignored; a value in matching quotes ("..." or '...') loses the quotes.
//  - LF or CRLF line ends; a leading UTF-8 or UTF-16LE byte order mark is
//    honoured (texts are then taken in that encoding), otherwise texts are
//    Shift-JIS (code page 932).
//  - Lines starting with ';', blank lines, lines before the first section and
//    lines without '=' are ignored. When a key occurs twice the first one counts.
//  - Integers are decimal: an optional sign and at least one digit, nothing
//    else. Any other value ("24pt", "1e3", "500 ms", empty) or a number
//    outside the 32-bit range gives the key's default.
//  - A number outside its field's range is mended as it is read: a 0/1 flag
//    (KURIAGARI, PANELFLAG, ...) and the quotient mode SHOU_ITI (0..2) take
//    their default; FONTSIZE is brought into 10..72 (the largest size the
//    font dialog offers), ENZANSPEED into 0..99, POINTMAX and PNTDSPFLAG00
//    into 0..10, CUR_SEC into 200..1000, YOMIAGEHAYASA into 0..10. Window
//    positions and sizes are taken as they are (the window keeps itself on a
//    screen).
//  - A FONTNAME that is empty or not valid in its encoding gives the default.
//
// File format, as written: CRLF line ends, Shift-JIS texts, no byte order mark,
// "KEY=value" without spaces. Lines of an existing file that are not ours
// (other keys, comments, other sections) are kept in place; our keys are
// updated where they stand, and a key that is new to the file goes after the
// last key of its section (a new section goes at the end).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "hissan/jouken.h"
#include "ui/read_file.h"

namespace app {

// Name of the settings file.
inline constexpr const char* kSettingsFileName = "pkt_m41.ini";

// Fills every persisted field of `jk` from the file at `path`, in the file's
// key order, each key falling back to its default (the initial value of a
// fresh TJouken). A missing or unreadable file gives every field its default.
// Fields that are not persisted are left alone. Values outside their range
// are mended as described above.
void IniRead(hissan::TJouken& jk, const std::string& path);

// Writes every persisted field of `jk` to the file at `path`; BLEFT and BTOP
// come from `bLeft` and `bTop` (the word-problem window's position), and
// SPEED PNTDSPFLAG is written right after POINTMAX with POINTMAX's value.
// The file is replaced atomically: a temporary file beside it, every write and
// the flush to disk checked, then renamed over it; so a failure leaves the old
// file as it was, and temporary files that an interrupted save left behind are
// removed. A missing folder is created. Nothing is written, and false is
// returned, when `path` is a symbolic link (its target is never written), is
// not a regular file, is a file that cannot be read, or one that holds none of
// the program's sections (another program's file; an empty file is ours), or
// is read-only. A font name that Shift-JIS cannot hold is stored as the
// default name. Reading and writing take time in proportion to the file's size.
bool IniWrite(const hissan::TJouken& jk, const std::string& path, int bLeft, int bTop);

// Where the settings live, given the program's folder `exeDir` (with or without
// a trailing '/'):
//  - settingsFilePath: the file to write. The program's folder when that folder
//    is writable and the file there is missing or is a settings file (not a
//    link, not unreadable, not another program's file: see IniWrite; a
//    read-only one stays the file to write, so its settings stay as they
//    are), unless the program is installed (its folder is the bin/ beside
//    ../share/hissan); otherwise
//    $XDG_CONFIG_HOME/hissan/pkt_m41.ini (or ~/.config/hissan/pkt_m41.ini when
//    XDG_CONFIG_HOME is unset or not absolute). IniWrite creates that folder.
//  - settingsReadPath: the file to read: the first of these that exists: the
//    file to write, the file in the program's folder, the file in the
//    configuration folder. When none exists, the file to write (which reads as
//    all defaults).
// So a shared, read-only program folder with a settings file gives everyone
// that file's settings until the first close stores a personal copy.
std::string settingsFilePath(const std::string& exeDir);
std::string settingsReadPath(const std::string& exeDir);

// Shift-JIS (code page 932, as on Japanese Windows) to UTF-8 and back, with
// glibc's iconv; nullopt for bytes that are not valid in the source encoding
// or text that the target encoding cannot hold.
std::optional<std::string> shiftJisToUtf8(std::string_view sjis);
std::optional<std::string> utf8ToShiftJis(std::string_view utf8);

}  // namespace app
