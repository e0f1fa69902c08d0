// Reading and writing pkt_m41.ini (see settings.h for the file format).
#include "app/settings.h"

#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "core/conditions.h"

namespace app {
namespace {

using hissan::TJouken;

// A settings file larger than this is not ours; it is neither read nor replaced.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

// ---- text encodings -------------------------------------------------------------

// Converts `in` between encodings with iconv; nullopt when a byte sequence is
// invalid or cannot be represented in the target encoding.
std::optional<std::string> convert(std::string_view in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t done = 0;
    bool flushing = false;  // input consumed; emptying iconv's own state
    bool ok = true;
    for (;;) {
        char* dst = out.data() + done;
        size_t dstLeft = out.size() - done;
        size_t r = flushing ? iconv(cd, nullptr, nullptr, &dst, &dstLeft)
                            : iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        done = out.size() - dstLeft;
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            ok = false;  // EILSEQ, or EINVAL for a sequence cut off at the end
            break;
        }
        if (flushing) break;
        flushing = true;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(done);
    return out;
}

std::optional<std::string> validUtf8(std::string_view s) {
    return convert(s, "UTF-8", "UTF-8");
}

// ---- INI text model -------------------------------------------------------------

// The file as lines (bytes without line ends). `unicode` says that texts in it
// are UTF-8, because the file began with a byte order mark.
struct IniDoc {
    std::vector<std::string> lines;
    bool unicode = false;
};

enum class LineKind { Other, Header, Key };

struct LineInfo {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section name of a header, key name of a key line
    std::string_view value;  // value of a key line, trimmed and unquoted
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

LineInfo classify(std::string_view raw) {
    LineInfo info;
    std::string_view s = trim(raw);
    if (s.empty() || s.front() == ';') return info;
    if (s.front() == '[') {
        // The last ']' closes the name: a Shift-JIS trail byte may look like ']'.
        size_t close = s.rfind(']');
        if (close != std::string_view::npos) {
            info.kind = LineKind::Header;
            info.name = trim(s.substr(1, close - 1));
            return info;
        }
    }
    info.kind = LineKind::Key;
    size_t eq = s.find('=');
    if (eq == std::string_view::npos) {
        info.name = s;  // a key without a value reads as missing
        return info;
    }
    info.name = trim(s.substr(0, eq));
    std::string_view v = trim(s.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    info.value = v;
    return info;
}

// Splits file bytes into lines, honouring a byte order mark. nullopt when a
// UTF-16 file cannot be decoded.
std::optional<IniDoc> parseDoc(std::string_view bytes) {
    IniDoc doc;
    std::string decoded;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        doc.unicode = true;
    } else if (bytes.starts_with("\xFF\xFE")) {
        auto utf8 = convert(bytes.substr(2), "UTF-8", "UTF-16LE");
        if (!utf8) return std::nullopt;
        decoded = std::move(*utf8);
        bytes = decoded;
        doc.unicode = true;
    }
    while (!bytes.empty()) {
        size_t nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        doc.lines.emplace_back(line);
        if (nl == std::string_view::npos) break;
        bytes.remove_prefix(nl + 1);
    }
    return doc;
}

// Index of the first key line `key` in a section named `section`.
std::optional<size_t> findKey(const IniDoc& doc, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        LineInfo li = classify(doc.lines[i]);
        if (li.kind == LineKind::Header) {
            inSection = iequals(li.name, section);
        } else if (inSection && li.kind == LineKind::Key && iequals(li.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// Sets `key` in `section` to `value` the way the profile API does: an existing
// key line is replaced, a new key goes after the last key of the first section
// of that name, and a missing section is appended at the end.
void setValue(IniDoc& doc, std::string_view section, std::string_view key,
              const std::string& value) {
    std::string line = std::string(key) + "=" + value;
    if (auto at = findKey(doc, section, key)) {
        doc.lines[*at] = std::move(line);
        return;
    }
    std::optional<size_t> insertAt;
    bool inFirst = false;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        LineInfo li = classify(doc.lines[i]);
        if (li.kind == LineKind::Header) {
            if (insertAt) break;  // past the end of the first matching section
            inFirst = iequals(li.name, section);
            if (inFirst) insertAt = i + 1;
        } else if (inFirst && li.kind == LineKind::Key) {
            insertAt = i + 1;
        }
    }
    if (insertAt) {
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(*insertAt),
                         std::move(line));
    } else {
        doc.lines.push_back("[" + std::string(section) + "]");
        doc.lines.push_back(std::move(line));
    }
}

// Decimal integer with optional sign and nothing else: "24pt" or "1e3" is no
// integer, and a unit or exponent read as part of the number would give a
// value nobody meant (24 for a size in other units, 1 ms for 1000 ms).
// nullopt for anything else or outside 32 bits.
std::optional<int> parseInt(std::string_view v) {
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    if (i >= v.size()) return std::nullopt;
    std::int64_t n = 0;
    for (; i < v.size(); ++i) {
        if (v[i] < '0' || v[i] > '9') return std::nullopt;
        n = n * 10 + (v[i] - '0');
        if (n > std::int64_t{INT_MAX} + 1) return std::nullopt;
    }
    if (negative) n = -n;
    if (n < INT_MIN || n > INT_MAX) return std::nullopt;
    return static_cast<int>(n);
}

// ---- files ------------------------------------------------------------------------

}  // namespace

ReadStatus readFile(const std::string& path, std::string& out, std::size_t maxSize) {
    // O_NONBLOCK: opening a FIFO placed under our name must not hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uintmax_t>(st.st_size) > maxSize) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    out.clear();
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

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string dirName(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates `dir` and its missing parents (private to the user, like the
// configuration folders they live in).
bool makeDirs(const std::string& dir) {
    if (dir.empty() || isDirectory(dir)) return true;
    std::string parent = dirName(dir);
    if (parent != dir && !makeDirs(parent)) return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || (errno == EEXIST && isDirectory(dir));
}

void syncDir(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Overwrites `path` in place. Only used when the folder does not let us create
// the temporary file but the file itself is writable.
bool overwriteInPlace(const std::string& path, std::string_view data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data) && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 &&
              ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// Replaces `path` by `data`: temporary file beside it, fsync, rename.
bool replaceFile(const std::string& path, std::string_view data, const struct stat* old) {
    std::string tmp;
    int fd = -1;
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        if ((errno == EACCES || errno == EPERM) && old && ::access(path.c_str(), W_OK) == 0) {
            return overwriteInPlace(path, data);
        }
        return false;
    }
    bool ok = true;
    if (old) {
        // The new file keeps the old one's permissions and, where allowed, owner.
        ok = ::fchmod(fd, old->st_mode & 07777) == 0;
        if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
            // Only an administrator may give a file away; the user's own file
            // keeps its owner anyway.
        }
    }
    ok = ok && writeAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    syncDir(dirName(path));
    return true;
}

// The file that `path` names: a symbolic link is followed, so that the link
// stays and its target is updated.
std::string resolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target = real;
            ::free(real);
            return target;
        }
    }
    return path;
}

// The font name as stored: Shift-JIS, or the default name when the name is
// empty, holds line breaks or control characters, or has no Shift-JIS form.
std::string storedFontName(const std::string& utf8) {
    bool usable = !utf8.empty();
    for (unsigned char c : utf8) usable = usable && c >= 0x20 && c != 0x7F;
    if (usable) {
        if (auto sjis = utf8ToShiftJis(utf8)) return *sjis;
    }
    return utf8ToShiftJis(TJouken{}.FONTNAME).value_or(std::string());
}

// ---- locations ----------------------------------------------------------------

std::string withSlash(const std::string& dir) {
    if (dir.empty()) return "./";
    return dir.back() == '/' ? dir : dir + "/";
}

std::string configFilePath() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !home[0]) {
            const struct passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        if (!home || !home[0]) return {};
        base = std::string(home) + "/.config";
    }
    return withSlash(base) + "hissan/" + kSettingsFileName;
}

bool exists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// An installed program's folder is the bin/ beside share/hissan. It belongs
// to the system: the program never writes there, even when it may (root).
bool installedProgramFolder(const std::string& dir) {
    struct stat st;
    const std::string data = dir + "../share/hissan";
    return ::stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<std::string> shiftJisToUtf8(std::string_view sjis) {
    return convert(sjis, "UTF-8", "CP932");
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8) {
    return convert(utf8, "CP932", "UTF-8");
}

void IniRead(TJouken& jk, const std::string& path) {
    const TJouken defaults;
    std::string bytes;
    std::optional<IniDoc> doc;
    if (readFile(path, bytes, kMaxFileSize) == ReadStatus::Ok) doc = parseDoc(bytes);
    if (!doc) doc.emplace();

    using core::Stored;
    for (const core::Condition& k : core::storedConditions()) {
        if (k.stored == Stored::PointCopy) continue;
        std::optional<size_t> at = findKey(*doc, k.section, k.name);
        std::string_view value = at ? classify(doc->lines[*at]).value : std::string_view();
        if (k.stored == Stored::FontName) {
            std::optional<std::string> name;
            if (!value.empty()) name = doc->unicode ? validUtf8(value) : shiftJisToUtf8(value);
            jk.FONTNAME = name && !name->empty() ? *name : defaults.FONTNAME;
            continue;
        }
        int n = parseInt(value).value_or(defaults.*k.field);
        if (n < k.lo || n > k.hi) n = k.choice ? defaults.*k.field : std::clamp(n, k.lo, k.hi);
        jk.*k.field = n;
    }
}

bool IniWrite(const TJouken& jk, const std::string& path, int bLeft, int bTop) {
    if (path.empty()) return false;
    const std::string target = resolveTarget(path);

    struct stat old;
    const bool existed = ::stat(target.c_str(), &old) == 0;
    IniDoc doc;
    if (existed) {
        // A file we cannot read or make sense of is not replaced: it may hold
        // a teacher's settings that we would otherwise lose.
        std::string bytes;
        if (!S_ISREG(old.st_mode) || readFile(target, bytes, kMaxFileSize) != ReadStatus::Ok)
            return false;
        std::optional<IniDoc> parsed = parseDoc(bytes);
        if (!parsed) return false;
        doc = std::move(*parsed);
        if (::access(target.c_str(), W_OK) != 0) return false;  // read-only stays as it is
        if (doc.unicode) {
            // The file is written back in Shift-JIS; lines that Shift-JIS
            // cannot hold keep their bytes.
            for (std::string& line : doc.lines) {
                if (auto sjis = utf8ToShiftJis(line)) line = std::move(*sjis);
            }
        }
    } else if (!makeDirs(dirName(target))) {
        return false;
    }

    using core::Stored;
    for (const core::Condition& k : core::storedConditions()) {
        std::string value;
        switch (k.stored) {
            case Stored::No:
            case Stored::Int:
                value = std::to_string(jk.*k.field);
                break;
            case Stored::FontName:
                value = storedFontName(jk.FONTNAME);
                break;
            case Stored::PointCopy:
                value = std::to_string(jk.POINTMAX);
                break;
            case Stored::WindowLeft:
                value = std::to_string(bLeft);
                break;
            case Stored::WindowTop:
                value = std::to_string(bTop);
                break;
        }
        setValue(doc, k.section, k.name, value);
    }

    std::string out;
    for (const std::string& line : doc.lines) {
        out += line;
        out += "\r\n";
    }
    return replaceFile(target, out, existed ? &old : nullptr);
}

std::string settingsFilePath(const std::string& exeDir) {
    const std::string dir = withSlash(exeDir);
    const std::string local = dir + kSettingsFileName;
    if (!installedProgramFolder(dir)) {
        if (::access(dir.c_str(), W_OK | X_OK) == 0) return local;
        if (exists(local) && ::access(local.c_str(), W_OK) == 0) return local;
    }
    std::string config = configFilePath();
    return config.empty() ? local : config;
}

std::string settingsReadPath(const std::string& exeDir) {
    const std::string target = settingsFilePath(exeDir);
    const std::string local = withSlash(exeDir) + kSettingsFileName;
    const std::string config = configFilePath();
    for (const std::string& candidate : {target, local, config}) {
        if (exists(candidate)) return candidate;
    }
    return target;
}

}  // namespace app
