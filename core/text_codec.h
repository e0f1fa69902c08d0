// Text conversions the core needs but does not do itself: they come from the
// platform. The desktop programs link native/ (iconv and kakasi); another
// front end links its own definitions of these functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

// `in` converted from the encoding `from` to `to` (iconv names: "UTF-8",
// "CP932", "EUC-JP"), dropping every byte that cannot be converted instead of
// giving up. `firstBad`, when given, gets the offset of the first byte that
// could not be converted (npos when none). The text unchanged when the
// conversion is not known.
std::string convertLenient(std::string_view in, const char* to, const char* from,
                           size_t* firstBad = nullptr);

// A run of Japanese text (UTF-8) that holds kanji, turned into hiragana; kana
// and other characters are kept. The run unchanged when no dictionary can be
// used.
std::string kanjiRunToHiragana(const std::string& run);

}  // namespace core
