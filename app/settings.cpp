// Reading and writing pkt_m41.ini (see settings.h for the file format).
#include "app/settings.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <limits.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
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

// Converts texts between two encodings with one iconv descriptor, so that the
// lines of a large file do not each pay for opening one.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // `in` converted; nullopt when a byte sequence is invalid or cannot be
    // represented in the target encoding.
    std::optional<std::string> operator()(std::string_view in) {
        if (!ok()) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // the initial state again
        std::string out(in.size() * 2 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t done = 0;
        bool flushing = false;  // input consumed; emptying iconv's own state
        for (;;) {
            char* dst = out.data() + done;
            size_t dstLeft = out.size() - done;
            size_t r = flushing ? iconv(cd_, nullptr, nullptr, &dst, &dstLeft)
                                : iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done = out.size() - dstLeft;
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) {
                    out.resize(out.size() * 2);
                    continue;
                }
                return std::nullopt;  // EILSEQ, or EINVAL for a sequence cut off at the end
            }
            if (flushing) break;
            flushing = true;
        }
        out.resize(done);
        return out;
    }

  private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

std::optional<std::string> convert(std::string_view in, const char* to, const char* from) {
    return Converter(to, from)(in);
}

std::optional<std::string> validUtf8(std::string_view s) {
    return convert(s, "UTF-8", "UTF-8");
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

// ---- INI text model -------------------------------------------------------------

// The file's text: its bytes, or UTF-8 decoded from UTF-16. `body` is the
// text after a byte order mark; `unicode` says that texts in it are UTF-8,
// because the file began with one. Not copied or moved: `body` views `text`.
struct IniDoc {
    IniDoc() = default;
    IniDoc(const IniDoc&) = delete;
    IniDoc& operator=(const IniDoc&) = delete;

    std::string text;
    std::string_view body;
    bool unicode = false;
};

// Calls fn(start, line) for each line of `body`: its offset and its bytes
// without the line end (LF or CRLF). An empty body has no lines.
template <class Fn>
void forEachLine(std::string_view body, Fn&& fn) {
    size_t start = 0;
    while (start < body.size()) {
        // A plain loop: most lines are short, too short for a library search.
        size_t nl = start;
        while (nl < body.size() && body[nl] != '\n') ++nl;
        std::string_view line = body.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fn(start, line);
        start = nl + 1;
    }
}

// The line of `body` that starts at `start`, without its line end.
std::string_view lineAt(std::string_view body, size_t start) {
    std::string_view line = body.substr(start, body.find('\n', start) - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

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

// Takes file bytes into `doc`, honouring a byte order mark. False when a
// UTF-16 file cannot be decoded.
bool parseDoc(IniDoc& doc, std::string bytes) {
    doc.unicode = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE");
    if (bytes.starts_with("\xFF\xFE")) {
        auto utf8 = convert(std::string_view(bytes).substr(2), "UTF-8", "UTF-16LE");
        if (!utf8) return false;
        doc.text = std::move(*utf8);
    } else {
        doc.text = std::move(bytes);
    }
    doc.body = doc.text;
    if (doc.body.starts_with("\xEF\xBB\xBF")) doc.body.remove_prefix(3);
    return true;
}

// The program's sections, in the order in which a new file gets them.
constexpr const auto& kSections = core::kSettingsSections;
constexpr size_t kSectionCount = std::size(kSections);

using core::Stored;

// The keys the file holds, in the order in which they are read and written.
std::span<const core::Condition> keys() {
    return core::storedConditions();
}
constexpr size_t kKeyCount = core::kStoredConditionCount;

// Index in kSections of `name` (any ASCII case); -1 for another section.
int sectionIndex(std::string_view name) {
    for (size_t s = 0; s < kSectionCount; ++s)
        if (iequals(name, kSections[s])) return static_cast<int>(s);
    return -1;
}

// Where the program's keys stand in a file (as offsets of lines in its
// body), found in one pass over its lines:
//  - key[k]: the first line of keys()[k] in any section of its name (the one
//    that is read, and the one that a write updates);
//  - anchor[s]: the line after which a key new to section s goes: the last
//    key line of the first section of that name, or its header;
//  - ownSections: whether the file has any section of the program's.
struct KeyIndex {
    std::array<std::optional<size_t>, kKeyCount> key;
    std::array<std::optional<size_t>, kSectionCount> anchor;
    bool ownSections = false;
};

KeyIndex indexKeys(const IniDoc& doc) {
    // The keys of each section, as indices into keys().
    static const auto keysOf = [] {
        std::array<std::vector<size_t>, kSectionCount> table;
        for (size_t k = 0; k < kKeyCount; ++k)
            table[static_cast<size_t>(sectionIndex(keys()[k].section))].push_back(k);
        return table;
    }();
    KeyIndex index;
    int section = -1;          // the section of the current line, -1 for another one
    bool firstOfName = false;  // ... and whether it is the first of its name
    forEachLine(doc.body, [&](size_t i, std::string_view line) {
        const LineInfo li = classify(line);
        if (li.kind == LineKind::Header) {
            section = sectionIndex(li.name);
            if (section < 0) return;
            index.ownSections = true;
            std::optional<size_t>& anchor = index.anchor[static_cast<size_t>(section)];
            firstOfName = !anchor;
            if (firstOfName) anchor = i;
        } else if (li.kind == LineKind::Key && section >= 0) {
            if (firstOfName) index.anchor[static_cast<size_t>(section)] = i;
            for (size_t k : keysOf[static_cast<size_t>(section)]) {
                if (!index.key[k] && iequals(li.name, keys()[k].name)) index.key[k] = i;
            }
        }
    });
    return index;
}

// True when the file holds nothing but blank lines.
bool isBlankDoc(const IniDoc& doc) {
    return doc.body.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// The text of `doc` with the program's key lines (one per keys() entry, as
// "KEY=value") set the way the profile API sets them one after the other: a
// key already there is replaced where it stands, a new key goes after the last
// key of the first section of its name, and a missing section is appended at
// the end. Lines end in CRLF; a UTF-8 file's lines become Shift-JIS where
// Shift-JIS can hold them and keep their bytes where it cannot. One pass over
// the lines, whatever the file's size.
std::string updatedText(const IniDoc& doc, const KeyIndex& index,
                        const std::array<std::string, kKeyCount>& keyLines) {
    std::vector<std::pair<size_t, size_t>> replaced;    // (line, key) in line order
    std::vector<std::pair<size_t, size_t>> insertedAt;  // (anchor line, key) in line order
    std::vector<std::pair<size_t, std::vector<size_t>>> newSections;  // (section, keys)
    for (size_t k = 0; k < kKeyCount; ++k) {
        const size_t section = static_cast<size_t>(sectionIndex(keys()[k].section));
        if (index.key[k]) {
            replaced.emplace_back(*index.key[k], k);
        } else if (index.anchor[section]) {
            insertedAt.emplace_back(*index.anchor[section], k);
        } else {
            auto it = std::find_if(newSections.begin(), newSections.end(),
                                   [&](const auto& n) { return n.first == section; });
            if (it == newSections.end()) it = newSections.insert(it, {section, {}});
            it->second.push_back(k);
        }
    }
    std::sort(replaced.begin(), replaced.end());
    std::stable_sort(insertedAt.begin(), insertedAt.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::string out;
    out.reserve(doc.body.size() + doc.body.size() / 8 + 4096);
    std::optional<Converter> toShiftJis;
    if (doc.unicode) toShiftJis.emplace("CP932", "UTF-8");
    auto r = replaced.begin();
    auto ins = insertedAt.begin();
    forEachLine(doc.body, [&](size_t i, std::string_view line) {
        if (r != replaced.end() && r->first == i) {
            out += keyLines[r->second];
            ++r;
        } else if (toShiftJis && !isAscii(line)) {
            const std::optional<std::string> sjis = (*toShiftJis)(line);
            out += sjis ? std::string_view(*sjis) : line;
        } else {
            out += line;
        }
        out += "\r\n";
        for (; ins != insertedAt.end() && ins->first == i; ++ins) {
            out += keyLines[ins->second];
            out += "\r\n";
        }
    });
    for (const auto& [section, keys] : newSections) {
        out += "[";
        out += kSections[section];
        out += "]\r\n";
        for (size_t k : keys) {
            out += keyLines[k];
            out += "\r\n";
        }
    }
    return out;
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

// Makes a rename in `dir` last; false when the system says it could not.
bool syncDir(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;  // a folder we may not read cannot be synced; the rename stands
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// A run of decimal digits as a number; nullopt for anything else.
std::optional<long long> digits(std::string_view s) {
    if (s.empty() || s.size() > 18) return std::nullopt;
    long long n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Removes what interrupted saves left beside `path`: temporary files
// "NAME.PID.N.tmp" of processes that no longer run (a running one may be
// saving at this moment).
void removeStaleTemporaries(const std::string& path) {
    const std::string dir = dirName(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const struct dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (!name.starts_with(prefix) || !name.ends_with(".tmp")) continue;
        const std::string_view middle =
            name.substr(prefix.size(), name.size() - prefix.size() - std::strlen(".tmp"));
        const size_t dot = middle.find('.');
        if (dot == std::string_view::npos) continue;
        const std::optional<long long> pid = digits(middle.substr(0, dot));
        if (!pid || !digits(middle.substr(dot + 1))) continue;
        const bool running = *pid != ::getpid() && *pid <= std::numeric_limits<pid_t>::max() &&
                             (::kill(static_cast<pid_t>(*pid), 0) == 0 || errno == EPERM);
        if (!running) ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

// Replaces `path` by `data`: a temporary file beside it, every write and the
// flush to disk checked, then renamed over it. On any failure the old file
// stays as it was and false is returned.
bool replaceFile(const std::string& path, std::string_view data, const struct stat* old) {
    removeStaleTemporaries(path);
    std::string tmp;
    int fd = -1;
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // The name tells which process writes it (see removeStaleTemporaries).
        tmp = path + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
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
    return syncDir(dirName(path));
}

// What stands at `path`, seen by a save.
enum class Found {
    Nothing,   // no file: a new one may be made
    Settings,  // a regular file with the program's sections, or with nothing
               // but blank lines: it may be updated
    Other,     // a symbolic link, a folder, a file that cannot be read or
               // decoded, or one holding none of the program's sections (a
               // link to another file, another program's file): never written
};

// Looks at `path` without following a link; for a settings file, its text
// goes into `doc`, where its keys stand into `index` and its status into `st`.
Found inspect(const std::string& path, IniDoc& doc, KeyIndex& index, struct stat& st) {
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? Found::Nothing : Found::Other;
    if (!S_ISREG(st.st_mode)) return Found::Other;
    std::string bytes;
    const ReadStatus read = readFile(path, bytes, kMaxFileSize, false);
    if (read == ReadStatus::Missing) return Found::Nothing;
    if (read != ReadStatus::Ok || !parseDoc(doc, std::move(bytes))) return Found::Other;
    index = indexKeys(doc);
    return index.ownSections || isBlankDoc(doc) ? Found::Settings : Found::Other;
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
    IniDoc doc;
    if (readFile(path, bytes, kMaxFileSize) == ReadStatus::Ok) parseDoc(doc, std::move(bytes));
    const KeyIndex index = indexKeys(doc);

    for (size_t i = 0; i < kKeyCount; ++i) {
        const core::Condition& k = keys()[i];
        if (k.stored == Stored::PointCopy) continue;
        const std::optional<size_t> at = index.key[i];
        std::string_view value = at ? classify(lineAt(doc.body, *at)).value : std::string_view();
        if (k.stored == Stored::FontName) {
            std::optional<std::string> name;
            if (!value.empty()) name = doc.unicode ? validUtf8(value) : shiftJisToUtf8(value);
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
    IniDoc doc;
    KeyIndex index;
    struct stat old;
    const Found found = inspect(path, doc, index, old);
    // A link, another program's file or one we cannot make sense of is left
    // alone, and so is a read-only settings file: it may hold a teacher's
    // settings that we would otherwise lose.
    if (found == Found::Other) return false;
    if (found == Found::Settings && ::access(path.c_str(), W_OK) != 0) return false;
    if (found == Found::Nothing && !makeDirs(dirName(path))) return false;

    std::array<std::string, kKeyCount> keyLines;
    for (size_t i = 0; i < kKeyCount; ++i) {
        const core::Condition& k = keys()[i];
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
        keyLines[i] = std::string(k.name) + "=" + value;
    }
    return replaceFile(path, updatedText(doc, index, keyLines),
                       found == Found::Settings ? &old : nullptr);
}

std::string settingsFilePath(const std::string& exeDir) {
    const std::string dir = withSlash(exeDir);
    const std::string local = dir + kSettingsFileName;
    if (!installedProgramFolder(dir) && ::access(dir.c_str(), W_OK | X_OK) == 0) {
        IniDoc doc;
        KeyIndex index;
        struct stat st;
        if (inspect(local, doc, index, st) != Found::Other) return local;
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
