// Word-problem patterns: the pattern file bunExPtrn.txt, its reader, and the
// texts of one example composed from a finished calculation. Plain C++ (the
// window that draws them is senex_form.h).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace dialogs {

// One story, named after the keys of the pattern file. Texts are UTF-8.
struct BunExRec {
    std::string Bun1;  // first story line; "@[前数]" is the first operand
    std::string Bun2;  // second story line; "@[後数]" is the second operand
    std::string Bun3;  // third story line, shown as it is
    std::string Kang;  // the way of thinking
    std::string Ansr;  // answer sentence; "@[答数]" answer, "@[余数]" remainder
    std::string Amri;  // read and kept only
};

// Records 0..20; record 0 collects what belongs to no valid number and is
// never shown.
using BunExTable = std::array<BunExRec, 21>;

// The file's name; where it is looked for is bunExPath() in senex_form.h.
inline constexpr const char* kBunExFileName = "bunExPtrn.txt";

// A pattern file larger than this is no pattern file (the stories that ship
// with the program take a few kilobytes); it is not read.
inline constexpr std::size_t kBunExMaxSize = 1024 * 1024;

// Why a pattern file gave no stories.
struct BunExFault {
    enum Kind {
        None,         // read
        Missing,      // no such file
        NotAFile,     // a folder, a pipe, a device ...
        TooLarge,     // over kBunExMaxSize
        Unreadable,   // no permission, or the reading failed
        NotShiftJis,  // neither Shift-JIS nor UTF-8 text (an EUC-JP file, say)
    } kind = None;
    int line = 0;  // NotShiftJis: the first line that is not Shift-JIS text
};

// Reads the bytes of a pattern file into `table`. Shift-JIS, as the file is
// written on Windows (CRLF or LF); a file saved as UTF-8 by a Linux editor is
// read too. Text in any other encoding (EUC-JP, a stray byte) is not read:
// the table is left as it was and the fault says where. Lines longer than
// 199 bytes are taken as several lines of 199 bytes. Fields found overwrite
// the table's; the others keep their value.
BunExFault BunExRead(BunExTable& table, std::string_view bytes);

// Length of a UTF-8 text in Shift-JIS bytes: 1 for ASCII and half-width
// katakana, 2 for every other character.
int SjisLength(std::string_view utf8);

// 1-based position of the first "+", else of the first "-", "*", "/"; 0 when
// the text has none of them.
int enzPos(std::string_view text);

// What the example is made from: the main window's state after "=".
struct ReibunInput {
    int ReibunOn = 0;             // word-problem panel on
    int AmariMode = 0;            // 4 when the answer has a remainder ("R")
    std::string ShikiNyuryoku;    // the expression as typed, with its "="
    char EnzanshiNyuryoku = '!';  // the operator typed
    int ZenkouShosuKeta = 0;      // decimals of the first operand
    int KoukouShosuKeta = 0;      // decimals of the second operand
    std::string Kotae;            // the answer text: "3R2" for 3 remainder 2
};

// The example as it is drawn: the texts and their point sizes (UTF-8).
struct Reibun {
    int type = 0;             // 1..20
    std::string title;        // blue, 18 points, at (30, 10)
    std::string bun1;         // at (130, 60), 20 points
    std::string bun2;         // at (80, 100), 20 points
    std::string bun3;         // at (80, 140)
    int bun3Size = 20;        // 18 when longer than 56 bytes
    std::string label;        // "考え方: " + the way of thinking
    int labelSize = 16;       // 13 when the way of thinking is longer than 72 bytes
    std::string expression;   // " 14÷4＝3 あまり 2", blue, at (90, 225)
    int expressionSize = 24;  // 24, 20 (over 32 bytes) or 19 (over 38 bytes)
    std::string check;        // "（検算式： 4×3＋2＝14 ）", bold 16 points
    int checkY = 259;         // expressionSize + 235
    std::string answer;       // answer sentence, blue, bold, underlined, at (90, 294)
    int answerSize = 24;      // 24 up to 50 bytes, else 1000 / length
    std::string kotae;        // the tidied answer
    std::string amari;        // the remainder text ("" without one)
    bool oyoso = false;       // the answer is a rounded quotient, not the exact one
};

// Composes the example for `in` from the table. `EnzanIndex` (0 "+", 1 "-",
// 2 "*", 3 "/") is taken from the typed operator and keeps its value when the
// operator is none of them. The operands are told as the board draws them
// (no leading zeros, no final point). The check calculation is worked out
// exactly and shown only when it holds: a product is checked by dividing by
// an operand that is not 0 (none when both are), and a rounded quotient is
// marked "≒" in the expression, "約" in the answer sentence, and its check
// ends "≒" the dividend.
Reibun ReibunCompose(const BunExTable& table, const ReibunInput& in, int& EnzanIndex);

// The answer as it is read aloud: "≒" (read "やく") before a division's
// answer that is rounded and not the exact quotient, so that it is never
// told as exact.
std::string KotaeYomi(const std::string& ShikiNyuryoku, const std::string& Kotae);

// Every occurrence of `from` in `text` replaced by `to`.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

}  // namespace dialogs
