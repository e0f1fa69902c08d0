// The browser board's session: the web font's metrics against the desktop's,
// the settings file text, the Shift-JIS conversions, the status line and the
// keys, through the session as the page drives it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/keymap.h"
#include "core/text_codec.h"
#include "ui/renderer.h"
#include "wasm/ini_text.h"
#include "wasm/session.h"
#include "wasm/web_metrics.h"

namespace {

using core::Key;
namespace Mods = core::Mods;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Types `expr` on the session as the page does: digits and "." from the
// main keyboard, operators from the pad, "=" as Enter.
void type(web::Session& s, const std::string& expr) {
    for (char c : expr) {
        unsigned mods = Mods::None;
        Key k = Key::Other;
        if (c >= '0' && c <= '9') k = static_cast<Key>(int(Key::Digit0) + (c - '0'));
        if (c == '.') k = Key::Period;
        if (c == '=') k = Key::Enter;
        if (c == '+' || c == '-' || c == '*' || c == '/') {
            mods = Mods::Keypad;
            k = c == '+'   ? Key::Plus
                : c == '-' ? Key::Minus
                : c == '*' ? Key::Asterisk
                           : Key::Slash;
        }
        s.key(static_cast<int>(k), mods, false);
    }
}

// Every text the board writes is as wide on the page as on the desktop, at
// every size the board offers: the layouts then place everything alike.
TEST(WebMetrics, MatchTheDesktopBoardFont) {
    const app::QtMetrics desktop(app::boardFontFamily("ＭＳゴシック"));
    ASSERT_EQ(desktop.family().toStdString(), "Noto Sans Mono CJK JP")
        << "the comparison needs the board font of the desktop";
    const web::WebMetrics page;
    const char* texts[] = {"1",
                           "1234567890",
                           "×",
                           "÷",
                           "＝",
                           "◆",
                           "□",
                           "[終わり]",
                           "あまり",
                           "←和",
                           "．",
                           "R",
                           "0.",
                           "商をたてる",
                           "12345678901234567890",
                           "÷で割り切れるまで"};
    for (int size = 5; size <= 72; ++size)
        for (const char* t : texts)
            for (bool bold : {false, true})
                ASSERT_EQ(page.textWidth(t, size, bold), desktop.textWidth(t, size, bold))
                    << t << " at " << size << (bold ? " bold" : "");
    for (int size = 5; size <= 72; ++size) {
        EXPECT_EQ(page.textHeight(size), desktop.textHeight(size)) << size;
        EXPECT_EQ(page.fontHeightValue(size), desktop.fontHeightValue(size)) << size;
    }
}

TEST(WebSession, StatusLineAndKeys) {
    struct Case {
        const char* typed;
        const char* status;
    } cases[] = {
        {"14/4=", "14÷4＝3あまり2"},
        {"52-18=", "52－18＝34"},
        {"1.25+3.75=", "1.25＋3.75＝5"},
        {"12*3", "12×3"},
        {"5/0=", "5÷0"},
        {"", ""},
    };
    for (const Case& c : cases) {
        web::Session s;
        type(s, c.typed);
        EXPECT_EQ(s.status(), c.status) << c.typed;
    }
    // The main keyboard's minus key goes by the key table too.
    web::Session s;
    type(s, "7");
    const std::string report = s.key(static_cast<int>(Key::Minus), Mods::None, false);
    EXPECT_NE(report.find("\"status\""), std::string::npos);
    // While a drawing plays, Escape and G belong to its step points.
    EXPECT_EQ(s.whileDrawing(static_cast<int>(Key::Escape), 0), "escape");
    EXPECT_EQ(s.whileDrawing(static_cast<int>(Key::G), 0), "go");
    EXPECT_EQ(s.whileDrawing(static_cast<int>(Key::Digit1), 0), "later");
}

// Browser key events in the core's key names: the pad by where the key is,
// the main keyboard's minus key wherever its character is, the rest by what
// it types or names.
TEST(WebSession, BrowserKeysInTheCoresNames) {
    constexpr int pad = 0x100;
    struct Case {
        const char* code;
        const char* key;
        int expected;
    } cases[] = {
        {"Digit4", "4", int(Key::Digit4)},
        {"Numpad4", "4", pad | int(Key::Digit4)},
        {"NumpadDivide", "/", pad | int(Key::Slash)},
        {"NumpadSubtract", "-", pad | int(Key::Minus)},
        {"NumpadEnter", "Enter", pad | int(Key::Enter)},
        {"NumpadDecimal", ".", pad | int(Key::Period)},
        {"Minus", "-", int(Key::Minus)},
        {"Minus", "=", int(Key::Minus)},  // Shift on a Japanese layout
        {"Slash", "/", int(Key::Slash)},
        {"Semicolon", "+", int(Key::Plus)},
        {"Quote", "*", int(Key::Asterisk)},
        {"Enter", "Enter", int(Key::Enter)},
        {"KeyG", "g", int(Key::G)},
        {"KeyA", "A", int(Key::A)},
        {"F6", "F6", int(Key::F6)},
        {"F13", "F13", int(Key::Other)},
        {"ArrowUp", "ArrowUp", int(Key::Up)},
        {"", "Escape", int(Key::Escape)},  // a touch keyboard gives no code
        {"IntlYen", "¥", int(Key::Other)},
        {"Space", " ", int(Key::Other)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(web::Session::domKey(c.code, c.key), c.expected) << c.code << " " << c.key;
}

TEST(WebSession, KeypadButtonsTypeWhatTheyName) {
    web::Session s;
    const std::string pad = s.keypad();
    auto press = [&](const std::string& caption) {
        const size_t at = pad.find("\"caption\":\"" + caption + "\"");
        ASSERT_NE(at, std::string::npos) << caption;
        int index = 0;
        for (size_t i = pad.find("\"caption\""); i < at; i = pad.find("\"caption\"", i + 1))
            ++index;
        s.press(index);
    };
    for (const char* c : {"1", "4", "÷", "4", "＝"}) press(c);
    EXPECT_EQ(s.status(), "14÷4＝3あまり2");
    press("消去");
    EXPECT_EQ(s.status(), "");
    press("式復活");
    EXPECT_EQ(s.status(), "14÷4");
    press("←");
    press("7");
    press("＝");
    EXPECT_EQ(s.status(), "14÷7＝2");
}

TEST(WebSession, SettingsFileRoundTripAndMending) {
    hissan::TJouken jk;
    jk.KURIAGARI = 0;
    jk.POINTMAX = 4;
    jk.DSP_CL_TYPE = 1;
    jk.ENZANSPEED = 12;
    const std::string text = web::iniText(jk);
    EXPECT_NE(text.find("[DSPORNOT]\r\nKURIAGARI=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("PNTDSPFLAG=4\r\n"), std::string::npos);
    EXPECT_NE(text.find("FONTNAME=\x82\x6C\x82\x72\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"),
              std::string::npos);  // ＭＳゴシック in Shift-JIS
    hissan::TJouken back;
    std::string why;
    ASSERT_TRUE(web::readIniText(back, text, why));
    EXPECT_EQ(back.KURIAGARI, 0);
    EXPECT_EQ(back.POINTMAX, 4);
    EXPECT_EQ(back.DSP_CL_TYPE, 1);
    EXPECT_EQ(back.ENZANSPEED, 12);

    struct Case {
        const char* file;
        int kuriagari, fontSize, pointMax;
    } cases[] = {
        {"[dspornot]\nkuriagari = 0\n[FONT]\nFONTSIZE=\"24\"\n", 0, 24, 0},
        {"[DSPORNOT]\nKURIAGARI=2\n[FONT]\nFONTSIZE=200\n[SPEED]\nPOINTMAX=-3\n", 1, 72, 0},
        {"[DSPORNOT]\nKURIAGARI=0\nKURIAGARI=1\n[FONT]\nFONTSIZE=24pt\n", 0, 40, 0},
        {"\xEF\xBB\xBF[SPEED]\r\nPOINTMAX=3\r\n", 1, 40, 3},
    };
    // A file saved as UTF-16 by Notepad.
    const std::string utf16(
        "\xFF\xFE[\0S\0P\0E\0E\0D\0]\0\n\0P\0O\0I\0N\0T\0M\0A\0X\0=\0"
        "5\0",
        38);
    hissan::TJouken u;
    ASSERT_TRUE(web::readIniText(u, utf16, why));
    EXPECT_EQ(u.POINTMAX, 5);
    for (const Case& c : cases) {
        hissan::TJouken r;
        r.KURIAGARI = 5;
        ASSERT_TRUE(web::readIniText(r, c.file, why)) << c.file;
        EXPECT_EQ(r.KURIAGARI, c.kuriagari) << c.file;
        EXPECT_EQ(r.FONTSIZE, c.fontSize) << c.file;
        EXPECT_EQ(r.POINTMAX, c.pointMax) << c.file;
    }
    // Another program's file is not read and changes nothing.
    hissan::TJouken other;
    other.KURIAGARI = 0;
    EXPECT_FALSE(web::readIniText(other, "[Colors]\nKURIAGARI=1\n", why));
    EXPECT_EQ(other.KURIAGARI, 0);
    EXPECT_FALSE(why.empty());
}

TEST(WebCodec, ShiftJisBothWaysAndWhatIsNot) {
    struct Case {
        std::string utf8, sjis;
    } cases[] = {
        {"あまり", "\x82\xA0\x82\xDC\x82\xE8"},
        {"筆算", "\x95\x4D\x8E\x5A"},
        {"ｱ1",
         "\xB1"
         "1"},
        {"①", "\x87\x40"},  // a Windows extension of the code page
    };
    for (const Case& c : cases) {
        size_t bad = 0;
        EXPECT_EQ(core::convertLenient(c.sjis, "UTF-8", "CP932", &bad), c.utf8);
        EXPECT_EQ(bad, std::string::npos);
        EXPECT_EQ(core::convertLenient(c.utf8, "CP932", "UTF-8"), c.sjis);
    }
    size_t bad = 0;
    // A lead byte cut off at the end, and a character with no Shift-JIS code.
    EXPECT_EQ(core::convertLenient("a\x82", "UTF-8", "CP932", &bad), "a");
    EXPECT_EQ(bad, 1u);
    EXPECT_EQ(core::convertLenient("x\xF0\x9F\x98\x80y", "CP932", "UTF-8", &bad), "xy");
    EXPECT_EQ(bad, 1u);
    // EUC-JP's "あ" is known as EUC-JP.
    EXPECT_EQ(core::convertLenient("\xA4\xA2", "UTF-8", "EUC-JP", &bad), "あ");
    EXPECT_EQ(bad, std::string::npos);
}

TEST(WebSession, WordProblemFromTheShippedStories) {
    web::Session s;
    const std::string stories = readFile(HISSAN_SOURCE_DIR "/resources/bunExPtrn.txt");
    ASSERT_FALSE(stories.empty());
    EXPECT_EQ(s.loadStories(stories), "");
    EXPECT_EQ(s.wordProblem(4), "null");  // nothing calculated yet
    type(s, "14/4=");
    const std::string w = s.wordProblem(4);
    EXPECT_NE(w.find("14÷4＝3"), std::string::npos) << w;
    // Bytes that are no pattern file are refused with a message.
    web::Session t;
    EXPECT_NE(t.loadStories("\xA4\xA2\xA4\xA4\n"), "");
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
