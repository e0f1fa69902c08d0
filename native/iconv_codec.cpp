// The core's conversions between encodings on the desktop: glibc's iconv.
#include <iconv.h>

#include <cerrno>

#include "core/text_codec.h"

namespace core {

// Converts with iconv, dropping every byte that cannot be converted instead
// of giving up: a story line cut in the middle of a double-byte character by
// the 199-byte limit loses only that character. `firstBad`, when given, gets
// the offset of the first byte that could not be converted (npos when none).
std::string convertLenient(std::string_view in, const char* to, const char* from,
                           size_t* firstBad) {
    if (firstBad) *firstBad = std::string::npos;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    char buf[1024];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        if (firstBad && *firstBad == std::string::npos)
            *firstBad = static_cast<size_t>(src - in.data());
        if (errno == EINVAL) break;  // an incomplete character at the end
        ++src;                       // EILSEQ: skip the byte that cannot be converted
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    iconv_close(cd);
    return out;
}

}  // namespace core
