// The core's readings of kanji on the desktop: the kakasi dictionary, which
// works in EUC-JP (iconv converts to and from it).
#include <iconv.h>
// The kakasi header declares C functions without saying so.
extern "C" {
#include <libkakasi.h>
}

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "core/text_codec.h"

namespace core {

namespace {

std::mutex& kakasiMutex() {
    static std::mutex m;
    return m;
}

// Converts between UTF-8 and EUC-JP, the code kakasi works in; nullopt-like
// empty result with ok=false when a character has no equivalent.
bool convert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0) return false;
    out.resize(out.size() - dstLeft);
    return true;
}

bool kakasiReady() {
    static const bool ready = [] {
        // kakasi leaves the process when its dictionary is missing: look first.
        const char* env = std::getenv("KANWADICT");
        const std::filesystem::path dict = env && *env ? env : "/usr/share/kakasi/kanwadict";
        std::error_code ec;
        if (!std::filesystem::is_regular_file(dict, ec)) return false;
        static char a0[] = "kakasi", a1[] = "-JH", a2[] = "-ieuc", a3[] = "-oeuc";
        char* argv[] = {a0, a1, a2, a3, nullptr};
        return kakasi_getopt_argv(4, argv) == 0;
    }();
    return ready;
}

}  // namespace

std::string kanjiRunToHiragana(const std::string& run) {
    if (!kakasiReady()) return run;
    std::string euc;
    if (!convert("EUC-JP", "UTF-8", run, euc)) return run;
    std::vector<char> buf(euc.begin(), euc.end());
    buf.push_back('\0');
    std::string done;
    {
        std::lock_guard<std::mutex> lock(kakasiMutex());
        char* out = kakasi_do(buf.data());
        if (!out) return run;
        done = out;
        kakasi_free(out);
    }
    std::string utf8;
    if (!convert("UTF-8", "EUC-JP", done, utf8)) return run;
    return utf8;
}

}  // namespace core
