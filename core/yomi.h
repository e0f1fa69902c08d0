// Reading-aloud texts: what the program says for a calculation text, and
// what the speech synthesiser is given for it. Plain C++, no Qt.
#pragma once

#include <string>

namespace speech {

// Turns a calculation text ("12+9=イコール", "7R2", one typed character)
// into its reading text: operators and the remainder mark become words
// ("たす", "あまり"), a blank follows every digit after a decimal point so
// that they are read one by one, and a lone "." becomes "てん". Digits, "=",
// blanks and every other character pass unchanged. UTF-8 in and out; only
// whole characters are matched.
std::string YomiHenkan(const std::string& text);

// The Japanese reading of a run of ASCII digits as a number, as a teacher
// says it: "12" じゅうに, "300" さんびゃく, "8000" はっせん, "100000000"
// いちおく; up to 20 digits with 万・億・兆・京 (leading zeros are skipped,
// all zeros is れい). Longer runs are read digit by digit.
std::string KazuYomi(const std::string& digits);

// The reading of one digit on its own, as after a decimal point:
// 0 れい, 4 よん, 7 なな, 9 きゅう.
std::string SuujiYomi(char digit);

// What the synthesiser is given for a reading text: every digit run read
// as a number (digits after a point one by one: "0.2 5 " れいてん に ご),
// "=" dropped where "イコール" follows it and said "イコール" elsewhere,
// kanji turned into kana ("本日は晴天なり。" ほんじつはせいてんなり。),
// tokens separated by single blanks. Characters it does not know pass
// unchanged.
std::string YomiSeiki(const std::string& reading);

// Kanji into hiragana with the kakasi dictionary; kana and other characters
// are kept. Returns the text unchanged when the dictionary cannot be used.
std::string KanjiKana(const std::string& text);

}  // namespace speech
