#include "ui/board_entry.h"

#include <string>
#include <vector>

namespace tools {

namespace {

// One character of the expression as given on the command line: the key the
// board gets for it (0 when there is none) and the character itself.
struct Typed {
    char ch = 0;
    std::string given;
};

// The board's key for a full-width character, as a Japanese input method
// writes digits and signs: "１２×３" is typed as 12*3.
char keyOfWide(char32_t cp) {
    if (cp >= U'０' && cp <= U'９') return static_cast<char>('0' + (cp - U'０'));
    switch (cp) {
        case U'＋':
            return '+';
        case U'－':
        case U'−':
            return '-';
        case U'×':
        case U'＊':
            return '*';
        case U'÷':
        case U'／':
            return '/';
        case U'＝':
            return '=';
        case U'．':
            return '.';
        default:
            return 0;
    }
}

std::string byteText(unsigned char c) {
    static const char hex[] = "0123456789ABCDEF";
    return std::string("\\x") + hex[c >> 4] + hex[c & 15];
}

// Splits the argument into its UTF-8 characters. A byte that does not belong
// to a UTF-8 character, and a control character, are shown by their value.
std::vector<Typed> splitExpression(const std::string& text) {
    std::vector<Typed> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            const bool control = c < 0x20 || c == 0x7F;
            out.push_back({static_cast<char>(c), control ? byteText(c) : std::string(1, c)});
            ++i;
            continue;
        }
        const size_t len = c >= 0xC2 && c <= 0xDF   ? 2
                           : c >= 0xE0 && c <= 0xEF ? 3
                           : c >= 0xF0 && c <= 0xF4 ? 4
                                                    : 0;
        char32_t cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        bool valid = len != 0 && i + len <= text.size();
        for (size_t j = 1; valid && j < len; ++j) {
            const unsigned char cc = static_cast<unsigned char>(text[i + j]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (valid) {
            valid = (len == 3 && cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) ||
                    (len == 4 && cp >= 0x10000 && cp <= 0x10FFFF) || len == 2;
        }
        if (!valid) {
            out.push_back({0, byteText(c)});
            ++i;
            continue;
        }
        out.push_back({keyOfWide(cp), text.substr(i, len)});
        i += len;
    }
    return out;
}

// Why the board left a character out, in the program's words.
std::string whyIgnored(const app::Keisan& k, char ch) {
    const bool op = ch == '+' || ch == '-' || ch == '*' || ch == '/';
    if (!(op || ch == '.' || ch == '=' || (ch >= '0' && ch <= '9')))
        return "式に使えない文字です。使えるのは 0～9 . + - * / = です。";
    if (k.KotaeZumi() == 1) return "「＝」の後には何も入力できません。";
    if (ch == '.' && k.ShikiNyuryoku().empty())
        return "式は小数点から始められません。0.5 のように 0 から入力します。";
    if (ch == '.') return "小数点は１つの数に１つだけです。";
    if (op && k.ZenkouKeta() == 0) return "演算子の前に数を入力します。";
    if (op) return "演算子は１つだけです。";
    if (ch == '=') {
        if (k.ZenkouKeta() == 0) return "式が入力されていません。12+9 のように入力します。";
        if (k.EnzanshiAri() == 0) return "演算子 + - * / と、その後の数が必要です。";
        if (k.KoukouTen() == 1) return "演算子の後の数は 0.5 のように 0 から入力します。";
        return "演算子の後に数が必要です。";
    }
    return "入力されませんでした。";
}

}  // namespace

std::optional<std::string> typeOnBoard(app::Keisan& k, ToolHost& host, const std::string& expr) {
    std::vector<Typed> typed = splitExpression(expr);
    // The "=" that finishes the expression may be left out.
    const bool equalsGiven = !typed.empty() && typed.back().ch == '=';
    if (!equalsGiven) typed.push_back({'=', ""});
    for (size_t i = 0; i < typed.size(); ++i) {
        const char ch = typed[i].ch;
        const size_t typedBefore = k.ShikiNyuryoku().size();
        const std::string why = whyIgnored(k, ch);
        if (ch != 0) host.take(k.MojiInput(ch));
        if (!host.messages.empty()) {
            std::string text;
            for (const hissan::Message& m : host.messages)
                text += (text.empty() ? "" : "\n") + m.text;
            return text;
        }
        const bool accepted = ch == 0     ? false
                              : ch == '=' ? k.KotaeZumi() == 1
                                          : k.ShikiNyuryoku().size() == typedBefore + 1;
        // A layout that stopped before its answer has said why in a message;
        // one that did not is refused all the same, never shown as drawn.
        if (accepted && ch == '=' && k.result().status != hissan::LayoutResult::Drawn)
            return "この式の筆算を書けませんでした。";
        if (accepted) continue;
        if (ch == '=' && typed[i].given.empty())
            return "式ができていないので計算できません: " + why;
        return std::to_string(i + 1) + "文字目の「" + typed[i].given +
               "」は入力されませんでした: " +
               (ch == '=' ? "式ができていないので「＝」を受け付けません。" : "") + why;
    }
    return std::nullopt;
}

}  // namespace tools
