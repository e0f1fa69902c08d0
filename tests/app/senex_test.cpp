// Word problems: the pattern file reader, the example composed from a
// calculation, the window drawing it beside the real blackboard, and the
// twenty stories that ship with the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/kokuban_form.h"
#include "app/settings.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"

namespace {

using dialogs::BunExRead;
using dialogs::BunExTable;
using dialogs::Reibun;
using dialogs::ReibunCompose;
using dialogs::ReibunInput;

std::string sjis(const std::string& utf8) {
    auto s = app::utf8ToShiftJis(utf8);
    EXPECT_TRUE(s.has_value()) << utf8;
    return s.value_or(std::string());
}

BunExTable read(const std::string& text) {
    BunExTable t;
    BunExRead(t, text);
    return t;
}

// ---- reader -------------------------------------------------------------------------

TEST(BunExReader, RecordNumbersFromTheTwoCharactersAfterNum) {
    const BunExTable t = read(
        "Bun1:before any number\n"
        "NUM:05\nBun1:five\n"
        "NUM: 7\nBun1:seven\n"
        "NUM:25\nBun1:twenty\n"
        "NUM:3\nBun1:no number\n");
    EXPECT_EQ(t[5].Bun1, "five");
    EXPECT_EQ(t[7].Bun1, "seven");
    EXPECT_EQ(t[20].Bun1, "twenty");
    // "NUM:3" followed by the line break is no number: record 0, which the
    // lines before the first number filled too (the later one wins).
    EXPECT_EQ(t[0].Bun1, "no number");
    EXPECT_EQ(t[3].Bun1, "");
    // At the very end of a file without a line break a single digit is all there is.
    EXPECT_EQ(read("NUM:4\nBun1:x\nNUM:4").at(0).Bun1, "x");
}

TEST(BunExReader, NegativeNumberIsIgnoredAndTheRecordGoesOn) {
    const BunExTable t = read("NUM:06\nBun1:six\nNUM:-3\nBun2:still six\n");
    EXPECT_EQ(t[6].Bun1, "six");
    EXPECT_EQ(t[6].Bun2, "still six");
    EXPECT_EQ(t[0].Bun2, "");
}

TEST(BunExReader, CommentsEndAndFixedPositions) {
    const BunExTable t = read(
        "NUM:01\nBun1:one\n"
        "# Bun1:a comment changes nothing\n"
        "Kang:think\n"
        "Ansr:answer @[答数]\n"
        "Amri:kept\n"
        "Bun3:third\n"
        "  Bun2:indented\n"  // the value is taken from the 6th character on
        "END:\n"
        "NUM:02\nBun1:never read\n");
    EXPECT_EQ(t[1].Bun1, "one");
    EXPECT_EQ(t[1].Kang, "think");
    EXPECT_EQ(t[1].Bun3, "third");
    EXPECT_EQ(t[1].Bun2, "2:indented");
    // The answer sentence keeps its line break.
    EXPECT_EQ(t[1].Ansr, "answer @[答数]\n");
    EXPECT_EQ(t[1].Amri, "kept\n");
    EXPECT_EQ(t[2].Bun1, "");
}

TEST(BunExReader, LaterFieldsWinAndASecondReadingClearsNothing) {
    BunExTable t;
    BunExRead(t, "NUM:09\nBun1:first\nBun2:two\nBun1:second\n");
    EXPECT_EQ(t[9].Bun1, "second");
    BunExRead(t, "NUM:09\nBun3:three\n");
    EXPECT_EQ(t[9].Bun1, "second");
    EXPECT_EQ(t[9].Bun2, "two");
    EXPECT_EQ(t[9].Bun3, "three");
}

TEST(BunExReader, LongLineIsReadInPiecesOf199Bytes) {
    // 5 + 194 = 199 bytes, then the rest of the same line as a line of its own.
    const std::string line = "Bun1:" + std::string(194, 'x') + "Bun2:tail" + std::string(92, 'y');
    ASSERT_EQ(line.size(), 300u);
    const BunExTable t = read("NUM:08\n" + line + "\n");
    EXPECT_EQ(t[8].Bun1, std::string(194, 'x'));
    EXPECT_EQ(t[8].Bun2, "tail" + std::string(92, 'y'));
    // A piece that ends inside a double-byte character loses only that character.
    const std::string cut = "Bun3:" + std::string(193, 'z') + sjis("あい") + "\n";
    const BunExTable u = read("NUM:02\n" + cut);
    EXPECT_EQ(u[2].Bun3, std::string(193, 'z'));
}

TEST(BunExReader, ShiftJisFileWrittenOnWindows) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("bunExPtrn.txt")).toStdString();
    std::ofstream(path, std::ios::binary)
        << sjis("# 例\r\nNUM:01\r\nBun1:あかい 花が @[前数]本\r\nAnsr:@[答数]本です。\r\n");
    BunExTable t;
    EXPECT_EQ(dialogs::ReiGet(t, path), 1);
    EXPECT_EQ(t[1].Bun1, "あかい 花が @[前数]本");
    EXPECT_EQ(t[1].Ansr, "@[答数]本です。\n");
    // A file saved as UTF-8 by an editor on Linux reads the same.
    std::ofstream(path, std::ios::binary) << "NUM:02\nBun1:白い 花\n";
    EXPECT_EQ(dialogs::ReiGet(t, path), 1);
    EXPECT_EQ(t[2].Bun1, "白い 花");
}

TEST(BunExReader, MissingFileLeavesTheTableAsItWas) {
    BunExTable t = read("NUM:03\nBun1:kept\n");
    EXPECT_EQ(dialogs::ReiGet(t, "/nonexistent/bunExPtrn.txt"), -1);
    EXPECT_EQ(t[3].Bun1, "kept");
}

// Whatever lies under the file's name, reading it returns at once, never
// throws, and either fills the table or leaves it and says why.
TEST(BunExReader, WhatLiesUnderTheNameIsReadOrReported) {
    using dialogs::BunExFault;
    namespace fs = std::filesystem;
    const std::string story = "NUM:01\nBun1:あかい 花が @[前数]本\n";
    // The same story in EUC-JP.
    const std::string euc =
        "NUM:01\nBun1:\xA4\xA2\xA4\xAB\xA4\xA4 \xB2\xD6\xA4\xAC "
        "@[\xC1\xB0\xBF\xF4]\xCB\xDC\n";
    const auto write = [](const std::string& bytes) {
        return [bytes](const std::string& p) { std::ofstream(p, std::ios::binary) << bytes; };
    };
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        int result;
        BunExFault::Kind fault;
        const char* bun1;  // record 1 afterwards
    };
    const Case cases[] = {
        {"Shift-JIS", write(sjis(story)), 1, BunExFault::None, "あかい 花が @[前数]本"},
        {"UTF-8", write(story), 1, BunExFault::None, "あかい 花が @[前数]本"},
        {"EUC-JP", write(euc), -1, BunExFault::NotShiftJis, "kept"},
        {"folder", [](const std::string& p) { fs::create_directory(p); }, -1, BunExFault::NotAFile,
         "kept"},
        {"FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, -1,
         BunExFault::NotAFile, "kept"},
        {"link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, -1,
         BunExFault::NotAFile, "kept"},
        {"oversized",
         [&story](const std::string& p) {
             std::ofstream(p, std::ios::binary) << sjis(story);
             fs::resize_file(p, dialogs::kBunExMaxSize + 1);
         },
         -1, BunExFault::TooLarge, "kept"},
        {"missing", [](const std::string&) {}, -1, BunExFault::Missing, "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("bunExPtrn.txt")).toStdString();
        c.make(path);
        BunExTable t = read("NUM:01\nBun1:kept\n");
        dialogs::BunExFault fault;
        // Should the reading block (a FIFO opened for reading waits for a
        // writer), a writer comes after a while and lets it go on to a wrong
        // result, so that the test fails instead of hanging.
        std::mutex mu;
        std::condition_variable cv;
        bool done = false;
        std::thread rescue([&] {
            std::unique_lock lock(mu);
            if (cv.wait_for(lock, std::chrono::seconds(3), [&] { return done; })) return;
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        });
        int result = 0;
        EXPECT_NO_THROW(result = dialogs::ReiGet(t, path, &fault));
        {
            std::lock_guard lock(mu);
            done = true;
        }
        cv.notify_one();
        rescue.join();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(fault.kind, c.fault);
        EXPECT_EQ(t[1].Bun1, c.bun1);
    }
}

TEST(BunExReader, TextThatIsNotShiftJisIsReportedWithItsLine) {
    BunExTable t;
    // A stray byte that no Shift-JIS character begins with, on line 3.
    const dialogs::BunExFault f = BunExRead(t, "NUM:01\r\nBun1:a\r\nBun2:\xFD\xFD\r\n");
    EXPECT_EQ(f.kind, dialogs::BunExFault::NotShiftJis);
    EXPECT_EQ(f.line, 3);
    EXPECT_EQ(t[1].Bun1, "");
}

TEST(BunExText, ShiftJisLengthsAndOperatorPosition) {
    EXPECT_EQ(dialogs::SjisLength("abc"), 3);
    EXPECT_EQ(dialogs::SjisLength("あい"), 4);
    EXPECT_EQ(dialogs::SjisLength("ｱｲ"), 2);  // half-width katakana
    EXPECT_EQ(dialogs::SjisLength("12×3＝"), 7);
    EXPECT_EQ(dialogs::enzPos("12+3="), 3);
    EXPECT_EQ(dialogs::enzPos("4/2-1"), 4);  // "-" is looked for before "/"
    EXPECT_EQ(dialogs::enzPos("12"), 0);
}

// ---- the example ------------------------------------------------------------------

ReibunInput input(const std::string& shiki, char op, int zen, int kou, const std::string& kotae) {
    ReibunInput in;
    in.ReibunOn = 1;
    in.ShikiNyuryoku = shiki;
    in.EnzanshiNyuryoku = op;
    in.ZenkouShosuKeta = zen;
    in.KoukouShosuKeta = kou;
    in.Kotae = kotae;
    in.AmariMode = kotae.find('R') != std::string::npos ? 4 : 0;
    return in;
}

TEST(Reibun, DivisionWithRemainder) {
    BunExTable t = read("NUM:17\nAnsr:@[答数]こずつで、@[余数]こ あまります。\n");
    int enzan = 0;
    const Reibun r = ReibunCompose(t, input("14/4=", '/', 0, 0, "3R2"), enzan);
    EXPECT_EQ(r.type, 17);
    EXPECT_EQ(enzan, 3);
    EXPECT_EQ(r.title, "★タイプ [17]：《整数÷整数（余り有り)》の問題例");
    EXPECT_EQ(r.expression, " 14÷4＝3 あまり 2");
    EXPECT_EQ(r.check, "（検算式： 4×3＋2＝14 ）");
    EXPECT_EQ(r.answer, " 3こずつで、2こ あまります。\n ");
    EXPECT_EQ(r.expressionSize, 24);
    EXPECT_EQ(r.checkY, 259);
}

TEST(Reibun, TypesChecksAndTidiedAnswers) {
    BunExTable t;
    int enzan = 0;
    Reibun r = ReibunCompose(t, input("1.5+2=", '+', 1, 0, "3.5"), enzan);
    EXPECT_EQ(r.type, 2);
    EXPECT_EQ(r.title, "★タイプ [2]：《小数＋整数》の問題例");
    EXPECT_EQ(r.check, "（検算式： 3.5－2＝1.5 ）");
    r = ReibunCompose(t, input("12+34=", '+', 0, 0, "46"), enzan);
    EXPECT_EQ(r.check, "（検算式： 46－34＝12 ）");
    r = ReibunCompose(t, input("10-9=", '-', 0, 0, "1"), enzan);
    EXPECT_EQ(r.type, 5);
    EXPECT_EQ(r.check, "（検算式： 1＋9＝10 ）");
    r = ReibunCompose(t, input("2*0.5=", '*', 0, 1, "1.0"), enzan);
    EXPECT_EQ(r.type, 11);
    EXPECT_EQ(r.kotae, "1");  // the answer is tidied
    EXPECT_EQ(r.check, "（検算式： 1÷0.5＝2 ）");
    r = ReibunCompose(t, input("1.2/0.4=", '/', 1, 1, "3"), enzan);
    EXPECT_EQ(r.type, 16);
    EXPECT_EQ(r.title, "★タイプ [16]：《小数÷小数》の問題例");
    EXPECT_EQ(r.check, "（検算式： 0.4×3＝1.2 ）");
    r = ReibunCompose(t, input("7.5/2=", '/', 1, 0, "3R1.5"), enzan);
    EXPECT_EQ(r.type, 18);
    EXPECT_EQ(r.expression, " 7.5÷2＝3 あまり 1.5");
    // An operator that is none of the four keeps the last one.
    r = ReibunCompose(t, input("12", '!', 0, 0, ""), enzan);
    EXPECT_EQ(enzan, 3);
    EXPECT_EQ(r.type, 13);
}

// The check is worked out, not only written down: it is shown only when it
// holds, never divides by zero, and a rounded quotient is told as about so
// much. The numbers are those the board draws.
TEST(Reibun, ChecksThatHoldAndRoundedQuotients) {
    BunExTable t = read(
        "NUM:01\nBun1:@[前数]本\nBun2:@[後数]本\n"
        "NUM:13\nAnsr:1人分は @[答数]cmです。\n");
    struct Case {
        const char* shiki;
        char op;
        int zen, kou;
        const char* kotae;
        const char* expression;
        const char* check;  // "" when none is shown
        bool oyoso;
    };
    const Case cases[] = {
        // Rounded at the first decimal place: 3 is about 10÷3.
        {"10/3=", '/', 0, 0, "3", " 10÷3≒3", "（検算式： 3×3＝9 ≒ 10 ）", true},
        {"2/3=", '/', 0, 0, "0.67", " 2÷3≒0.67", "（検算式： 3×0.67＝2.01 ≒ 2 ）", true},
        // Rounding that changes nothing leaves the quotient exact.
        {"10/4=", '/', 0, 0, "2.5", " 10÷4＝2.5", "（検算式： 4×2.5＝10 ）", false},
        {"7/1.5=", '/', 0, 1, "4.6R0.1", " 7÷1.5＝4.6 あまり 0.1", "（検算式： 1.5×4.6＋0.1＝7 ）",
         false},
        // A product is checked by dividing by a factor that is not 0.
        {"5*0=", '*', 0, 0, "0", " 5×0＝0", "（検算式： 0÷5＝0 ）", false},
        {"0*5=", '*', 0, 0, "0", " 0×5＝0", "（検算式： 0÷5＝0 ）", false},
        {"0*0=", '*', 0, 0, "0", " 0×0＝0", "", false},
        {"2.5*0.4=", '*', 1, 1, "1", " 2.5×0.4＝1", "（検算式： 1÷0.4＝2.5 ）", false},
        // Leading zeros typed go, as on the board; so does a final point.
        {"007+3=", '+', 0, 0, "10", " 7＋3＝10", "（検算式： 10－3＝7 ）", false},
        {"00.50-0.2=", '-', 2, 1, "0.3", " 0.50－0.2＝0.3", "（検算式： 0.3＋0.2＝0.50 ）", false},
        {"12.+3=", '+', 0, 0, "15", " 12＋3＝15", "（検算式： 15－3＝12 ）", false},
        // A check that would not hold is left out.
        {"14/4=", '/', 0, 0, "3R1", " 14÷4＝3 あまり 1", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shiki);
        int enzan = 0;
        const Reibun r = ReibunCompose(t, input(c.shiki, c.op, c.zen, c.kou, c.kotae), enzan);
        EXPECT_EQ(r.expression, c.expression);
        EXPECT_EQ(r.check, c.check);
        EXPECT_EQ(r.oyoso, c.oyoso);
    }
    int enzan = 0;
    Reibun r = ReibunCompose(t, input("10/3=", '/', 0, 0, "3"), enzan);
    EXPECT_EQ(r.answer, " 1人分は 約3cmです。\n ");
    r = ReibunCompose(t, input("007+03=", '+', 0, 0, "10"), enzan);
    EXPECT_EQ(r.bun1, "7本");
    EXPECT_EQ(r.bun2, "3本");
    // Read aloud, the rounded answer is "about" too.
    EXPECT_EQ(dialogs::KotaeYomi("10/3=", "3"), "≒3");
    EXPECT_EQ(dialogs::KotaeYomi("10/4=", "2.5"), "2.5");
    EXPECT_EQ(dialogs::KotaeYomi("7/1.5=", "4.6R0.1"), "4.6R0.1");
    EXPECT_EQ(dialogs::KotaeYomi("10*3=", "30"), "30");
}

TEST(Reibun, FontSizesFollowTheShiftJisLengths) {
    BunExTable t;
    int enzan = 0;
    // " " + 49 bytes + " " = 51 bytes -> 1000 / 51; " " + 98 + " " = 100 -> 10.
    t[1].Ansr = std::string(49, 'a');
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).answerSize, 19);
    t[1].Ansr = std::string(48, 'a');
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).answerSize, 24);
    std::string hundred;
    for (int i = 0; i < 49; ++i) hundred += "あ";
    t[1].Ansr = hundred;
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).answerSize, 10);

    t[1].Bun3 = std::string(56, 'b');
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).bun3Size, 20);
    t[1].Bun3 += "い";
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).bun3Size, 18);
    t[1].Kang = std::string(72, 'k');
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).labelSize, 16);
    t[1].Kang = std::string(71, 'k') + "か";
    EXPECT_EQ(ReibunCompose(t, input("1+2=", '+', 0, 0, "3"), enzan).labelSize, 13);

    // The expression text: 24 points up to 32 bytes, 20 up to 38, then 19.
    auto exprSize = [&](const std::string& a, const std::string& b) {
        const std::string sum = a + "+" + b + "=";
        return ReibunCompose(t, input(sum, '+', 0, 0, "9"), enzan).expressionSize;
    };
    // " " + both operands + "＋" + "＝" + the answer "9": their digits + 6 bytes.
    EXPECT_EQ(exprSize("1234567890123", "1234567890123"), 24);
    EXPECT_EQ(exprSize("12345678901234", "1234567890123"), 20);
    EXPECT_EQ(exprSize("1234567890123456", "1234567890123456"), 20);
    EXPECT_EQ(exprSize("12345678901234567", "1234567890123456"), 19);
}

// ---- the window beside the real board ----------------------------------------------

class SenExTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::vector<hissan::Message> messages;
    std::unique_ptr<app::TKokubanFormM> form;

    void SetUp() override {
        app::formHooks().message = [this](const hissan::Message& m) { messages.push_back(m); };
        app::formHooks().beep = [] {};
        form = std::make_unique<app::TKokubanFormM>(dir.path());
        form->show();
        QCoreApplication::processEvents();
        // The companion windows come once the board is on the screen.
        [this] { QTRY_VERIFY(form->started()); }();
    }
    void TearDown() override {
        form.reset();
        app::formHooks() = {};
    }
    dialogs::TSenExForm& senEx() { return *form->companions().wordProblem(); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(form.get(), Qt::Key(k), m);
    }
    void type(const std::string& s) {
        for (char c : s) {
            if (c >= '0' && c <= '9')
                key(Qt::Key_0 + (c - '0'));
            else if (c == '.')
                key(Qt::Key_Period);
            else if (c == '=')
                key(Qt::Key_Return);
            else if (c == '+')
                key(Qt::Key_Plus, Qt::KeypadModifier);
            else if (c == '-')
                key(Qt::Key_Minus, Qt::KeypadModifier);
            else if (c == '*')
                key(Qt::Key_Asterisk, Qt::KeypadModifier);
            else if (c == '/')
                key(Qt::Key_Slash, Qt::KeypadModifier);
        }
        form->finishDrawing();
        QCoreApplication::processEvents();
    }
    // A finished calculation typed on the board, under the quotient mode and
    // place that give the sample's answer; the word-problem window stays
    // closed while it is typed.
    void division(const std::string& shiki, int zen, int kou, const std::string& kotae) {
        app::Keisan& k = form->keisan();
        hissan::TJouken& jk = k.jouken();
        const int reibun = form->controls().ReibunOn;
        form->controls().ReibunOn = 0;
        bool found = false;
        for (int shouIti = 0; shouIti <= 1 && !found; ++shouIti)
            for (int n = 0; n <= 3 && !found; ++n) {
                jk.SHOU_ITI = shouIti;
                jk.POINTMAX = n;
                k.R1Click();
                for (char c : shiki) k.MojiInput(c);
                form->finishDrawing();
                found = k.Kotae() == kotae;
            }
        form->controls().ReibunOn = reibun;
        EXPECT_TRUE(found) << shiki << " never gives " << kotae;
        EXPECT_EQ(k.ZenkouShosuKeta(), zen) << shiki;
        EXPECT_EQ(k.KoukouShosuKeta(), kou) << shiki;
    }
    int count(const QImage& img, const QRect& area, const QColor& c) const {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (img.pixelColor(x, y) == c) ++n;
        return n;
    }
};

TEST_F(SenExTest, ShippedFileIsFoundAndTheWindowIsItsOwnSize) {
    EXPECT_FALSE(dialogs::bunExPath().isEmpty());
    EXPECT_EQ(form->controls().ReibunAri, 1);
    EXPECT_EQ(senEx().size(), QSize(811, 342));
    EXPECT_EQ(senEx().windowTitle(), QStringLiteral("文章題の例文"));
    EXPECT_EQ(senEx().Image1->geometry(), QRect(663, 202, 140, 100));
    ASSERT_NE(senEx().Image1->pixmap().isNull(), true);
}

TEST_F(SenExTest, DivisionWithRemainderIsDrawn) {
    division("14/4=", 0, 0, "3R2");
    form->controls().ReibunOn = 1;
    form->controls().AmariMode = 4;
    const QImage img = senEx().grab().toImage();
    const dialogs::Reibun& r = senEx().shown();
    EXPECT_EQ(senEx().ReibunType, 17);
    EXPECT_EQ(r.title, "★タイプ [17]：《整数÷整数（余り有り)》の問題例");
    EXPECT_EQ(r.expression, " 14÷4＝3 あまり 2");
    EXPECT_EQ(r.check, "（検算式： 4×3＋2＝14 ）");
    EXPECT_EQ(r.bun1.find("@["), std::string::npos);
    EXPECT_NE(r.bun1.find("14"), std::string::npos);
    EXPECT_NE(r.answer.find('3'), std::string::npos);
    EXPECT_NE(r.answer.find('2'), std::string::npos);
    // The shared answer is not changed by taking it apart.
    EXPECT_EQ(form->keisan().Kotae(), "3R2");
    EXPECT_TRUE(senEx().StaticText1->text().startsWith(QStringLiteral("考え方: ")));
    // Blue title, red headings, a white ground.
    EXPECT_GT(count(img, QRect(30, 10, 500, 30), QColor(0, 0, 255)), 100);
    EXPECT_GT(count(img, QRect(30, 60, 90, 30), QColor(255, 0, 0)), 50);
    EXPECT_GT(count(img, QRect(0, 0, 811, 342), Qt::white), 811 * 342 / 2);

    // With the panel off the story goes; the title and the headings stay.
    form->controls().ReibunOn = 0;
    const QImage blank = senEx().grab().toImage();
    EXPECT_GT(count(blank, QRect(30, 10, 500, 30), QColor(0, 0, 255)), 100);
    EXPECT_EQ(count(blank, QRect(130, 60, 600, 110), Qt::black), 0);
    EXPECT_TRUE(senEx().StaticText1->text().startsWith(QStringLiteral("考え方:")));
}

TEST_F(SenExTest, EqualsShowsTheStoryOnlyWithThePanelOnAndAFile) {
    key(Qt::Key_Z);  // panel on before the calculation
    EXPECT_EQ(form->controls().ReibunOn, 1);
    EXPECT_TRUE(messages.empty());
    type("1.5+2=");
    ASSERT_TRUE(senEx().isVisible());
    senEx().grab();
    EXPECT_EQ(senEx().ReibunType, 2);
    EXPECT_EQ(senEx().shown().check, "（検算式： 3.5－2＝1.5 ）");
    // D erases and hides; Z off hides too.
    key(Qt::Key_D);
    EXPECT_FALSE(senEx().isVisible());
    type("12+34=");
    EXPECT_TRUE(senEx().isVisible());
    key(Qt::Key_Z);
    EXPECT_FALSE(senEx().isVisible());
    EXPECT_EQ(form->controls().ReibunOn, 0);
    key(Qt::Key_Z);  // on again after the calculation: shown at once
    EXPECT_TRUE(senEx().isVisible());
    EXPECT_EQ(senEx().ReibunType, 1);
    // Escape in the window erases the expression and closes the window.
    QTest::keyClick(&senEx(), Qt::Key_Escape);
    EXPECT_FALSE(senEx().isVisible());
    EXPECT_TRUE(form->keisan().ShikiNyuryoku().empty());
    EXPECT_EQ(form->controls().ReibunOn, 1);
}

TEST_F(SenExTest, PacedDrawingShowsTheStoryOnceTheCalculationIsDrawn) {
    key(Qt::Key_Z);
    form->jouken().StrokeDelay = 5;
    for (int k : {Qt::Key_1, Qt::Key_2}) key(k);
    key(Qt::Key_Plus, Qt::KeypadModifier);
    for (int k : {Qt::Key_3, Qt::Key_4, Qt::Key_Return}) key(k);
    ASSERT_TRUE(form->drawing());
    EXPECT_FALSE(senEx().isVisible());
    form->finishDrawing();
    EXPECT_TRUE(senEx().isVisible());
}

TEST_F(SenExTest, WithoutTheFileNothingEmptyIsShownAndThePanelSaysSo) {
    form->controls().ReibunAri = 0;
    key(Qt::Key_Z);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "文章題の例文ファイル<>がありません。\nご確認をお願いします。\n"
              "なくても文章例がないだけです。");
    EXPECT_EQ(messages[0].title, "★☆お願い☆★");
    EXPECT_EQ(form->controls().ReibunOn, 0);
    // Even with the panel forced on, "=" shows no empty window.
    form->controls().ReibunOn = 1;
    type("12+34=");
    EXPECT_FALSE(senEx().isVisible());
    key(Qt::Key_Z);  // off: no message, nothing left on screen
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(senEx().isVisible());
    // The menu item reads the file again.
    form->controls().readExamples();
    EXPECT_EQ(form->controls().ReibunAri, 1);
}

TEST_F(SenExTest, RoundedQuotientIsToldAndReadAsAbout) {
    std::vector<std::string> spoken;
    form->speak = [&](const std::string& s) { spoken.push_back(s); };
    form->jouken().YOMIAGEFLAG2 = 1;
    form->jouken().SHOU_ITI = 1;
    form->jouken().POINTMAX = 1;  // rounded at the first decimal place
    key(Qt::Key_Z);
    for (int k : {Qt::Key_1, Qt::Key_0}) key(k);
    type("/3=");
    ASSERT_EQ(form->keisan().Kotae(), "3");
    ASSERT_FALSE(spoken.empty());
    EXPECT_EQ(spoken.back(), "やく3");
    form->controls().readAnswer();  // "読" says it again, the same way
    EXPECT_EQ(spoken.back(), "やく3");
    senEx().grab();
    EXPECT_EQ(senEx().shown().expression, " 10÷3≒3");
    EXPECT_EQ(senEx().shown().check, "（検算式： 3×3＝9 ≒ 10 ）");
    EXPECT_NE(senEx().shown().answer.find("約3"), std::string::npos);
}

TEST_F(SenExTest, FileThatCannotBeUsedMeansNoStoriesAndSaysWhichAndWhere) {
    const QString folder = dir.filePath(QStringLiteral("bunExPtrn.txt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(senEx().ReiGet(folder), -1);
    form->controls().ReibunAri = 0;
    key(Qt::Key_Z);
    ASSERT_EQ(messages.size(), 1u);
    const QString text = QString::fromStdString(messages[0].text);
    EXPECT_EQ(messages[0].title, "★☆お願い☆★");
    EXPECT_TRUE(text.contains(QStringLiteral("<bunExPtrn.txt>を読めませんでした")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(folder)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ふつうのファイルではありません")))
        << text.toStdString();
    for (const QString& d : dialogs::bunExDirs()) EXPECT_TRUE(text.contains(d)) << d.toStdString();
    EXPECT_EQ(form->controls().ReibunOn, 0);
    // The window's table still holds the stories read at start.
    EXPECT_FALSE(senEx().table[1].Bun1.empty());
}

// A story tells a quotient that is not whole only where that makes sense: no
// "4.6 bottles" or "7.9 bags". Each division type with such a quotient.
TEST_F(SenExTest, ShippedStoriesFitQuotientsThatAreNotWhole) {
    struct Sample {
        const char* shiki;
        int zen, kou;
        const char* kotae;
    };
    const Sample samples[] = {
        {"14/4=", 0, 0, "3.5"},      {"7.5/2=", 1, 0, "3.75"},       {"7/1.5=", 0, 1, "4.7"},
        {"9.5/1.2=", 1, 1, "7.9"},   {"10/3=", 0, 0, "3.3R0.1"},     {"7.5/2=", 1, 0, "3.7R0.1"},
        {"7/1.5=", 0, 1, "4.6R0.1"}, {"9.5/1.2=", 1, 1, "7.9R0.02"},
    };
    // Counters of whole things.
    const char* const kWhole[] = {"本", "ふくろ", "こ", "まい", "人", "台", "箱", "つ", "回"};
    form->controls().ReibunOn = 1;
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.shiki);
        division(s.shiki, s.zen, s.kou, s.kotae);
        form->controls().AmariMode = std::string(s.kotae).find('R') != std::string::npos ? 4 : 0;
        senEx().grab();
        const dialogs::Reibun& r = senEx().shown();
        const size_t at = r.answer.find(r.kotae);
        ASSERT_NE(at, std::string::npos) << r.answer;
        const std::string after = r.answer.substr(at + r.kotae.size());
        for (const char* w : kWhole) EXPECT_FALSE(after.starts_with(w)) << r.answer;
    }
}

// Every shipped story, with a sample expression of its type, uses its numbers
// and leaves no placeholder behind. With HISSAN_SENEX_SHOTS set to a folder,
// each window is saved there as a picture to look at.
TEST_F(SenExTest, EveryShippedStoryFillsItsPlaceholders) {
    struct Sample {
        const char* shiki;
        char op;
        int zen, kou;
        const char* kotae;
    };
    const Sample samples[] = {
        {"12+34=", '+', 0, 0, "46"},   {"1.5+2=", '+', 1, 0, "3.5"},
        {"3+2.4=", '+', 0, 1, "5.4"},  {"1.2+3.45=", '+', 1, 2, "4.65"},
        {"52-18=", '-', 0, 0, "34"},   {"2.5-1=", '-', 1, 0, "1.5"},
        {"5-1.6=", '-', 0, 1, "3.4"},  {"4.3-2.75=", '-', 1, 2, "1.55"},
        {"6*7=", '*', 0, 0, "42"},     {"1.5*4=", '*', 1, 0, "6"},
        {"80*2.5=", '*', 0, 1, "200"}, {"3.6*1.5=", '*', 1, 1, "5.4"},
        {"100/4=", '/', 0, 0, "25"},   {"7.5/3=", '/', 1, 0, "2.5"},
        {"90/1.5=", '/', 0, 1, "60"},  {"45.6/3.8=", '/', 1, 1, "12"},
        {"14/4=", '/', 0, 0, "3R2"},   {"7.5/2=", '/', 1, 0, "3R1.5"},
        {"7/1.5=", '/', 0, 1, "4R1"},  {"9.5/1.2=", '/', 1, 1, "7R1.1"},
    };
    const QString shots = qEnvironmentVariable("HISSAN_SENEX_SHOTS");
    form->controls().ReibunOn = 1;
    for (int type = 1; type <= 20; ++type) {
        const Sample& s = samples[type - 1];
        SCOPED_TRACE(s.shiki);
        division(s.shiki, s.zen, s.kou, s.kotae);
        ASSERT_EQ(form->keisan().EnzanshiNyuryoku(), s.op);  // set by typing the expression
        form->controls().AmariMode = std::string(s.kotae).find('R') != std::string::npos ? 4 : 0;
        const QImage img = senEx().grab().toImage();
        const dialogs::Reibun& r = senEx().shown();
        ASSERT_EQ(r.type, type);
        const dialogs::BunExRec& rec = senEx().table[static_cast<size_t>(type)];
        EXPECT_NE(rec.Bun1.find("@[前数]"), std::string::npos);
        EXPECT_NE(rec.Bun2.find("@[後数]"), std::string::npos);
        EXPECT_NE(rec.Ansr.find("@[答数]"), std::string::npos);
        EXPECT_EQ(rec.Ansr.find("@[余数]") != std::string::npos, type > 16);
        EXPECT_FALSE(rec.Bun3.empty());
        EXPECT_FALSE(rec.Kang.empty());
        for (const std::string* line : {&r.bun1, &r.bun2, &r.bun3, &r.label, &r.answer})
            EXPECT_EQ(line->find("@["), std::string::npos) << *line;
        const std::string shiki = s.shiki;
        const size_t op = shiki.find(s.op);
        EXPECT_NE(r.bun1.find(shiki.substr(0, op)), std::string::npos) << r.bun1;
        EXPECT_NE(r.bun2.find(shiki.substr(op + 1, shiki.size() - op - 2)), std::string::npos);
        EXPECT_NE(r.answer.find(r.kotae), std::string::npos) << r.answer;
        if (type > 16) EXPECT_NE(r.answer.find(r.amari), std::string::npos) << r.answer;
        // Stories short enough to keep the sizes the window gives them.
        EXPECT_EQ(r.bun3Size, 20);
        EXPECT_EQ(r.labelSize, 16);
        if (!shots.isEmpty())
            img.save(QDir(shots).filePath(
                QStringLiteral("senex_%1.png").arg(type, 2, 10, QLatin1Char('0'))));
    }
}

}  // namespace
