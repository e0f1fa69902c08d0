// The settings file: exact layout of a written file, round trips, tolerance of
// hand-edited and damaged files, Shift-JIS texts, safe replacement and where
// the file lives.
#include "app/settings.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hissan::TJouken;

// "ＭＳゴシック" in code page 932.
const std::string kMsGothicSjis = "\x82\x6c\x82\x72\x83\x53\x83\x56\x83\x62\x83\x4e";

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TJouken readBack(const std::string& path) {
    TJouken jk;
    app::IniRead(jk, path);
    return jk;
}

// Every persisted int field, for comparing whole records.
const std::vector<std::pair<const char*, int TJouken::*>> kIntFields = {
    {"LEFT", &TJouken::LEFT},
    {"TOP", &TJouken::TOP},
    {"HEIGHT", &TJouken::HEIGHT},
    {"WIDTH", &TJouken::WIDTH},
    {"BLEFT", &TJouken::BLEFT},
    {"BTOP", &TJouken::BTOP},
    {"PANELFLAG", &TJouken::PANELFLAG},
    {"HARUFA", &TJouken::HARUFA},
    {"FONTSIZE", &TJouken::FONTSIZE},
    {"KURIAGARI", &TJouken::KURIAGARI},
    {"KURISAGARI", &TJouken::KURISAGARI},
    {"ENZANSPEED", &TJouken::ENZANSPEED},
    {"PKTIMAGE", &TJouken::PKTIMAGE},
    {"RENDOFLAG", &TJouken::RENDOFLAG},
    {"KAIGYO_FLAG", &TJouken::KAIGYO_FLAG},
    {"EXPLAIN_FLAG", &TJouken::EXPLAIN_FLAG},
    {"DSP_CL_TYPE", &TJouken::DSP_CL_TYPE},
    {"POINTMAX", &TJouken::POINTMAX},
    {"PNTDSPFLAG00", &TJouken::PNTDSPFLAG00},
    {"AUTOSTEP", &TJouken::AUTOSTEP},
    {"STEPFLAG", &TJouken::STEPFLAG},
    {"STEPBEEP", &TJouken::STEPBEEP},
    {"SHOU_ITI", &TJouken::SHOU_ITI},
    {"SHOU0_DSP", &TJouken::SHOU0_DSP},
    {"SYOUPTLNDSP", &TJouken::SYOUPTLNDSP},
    {"QQ_FLAG", &TJouken::QQ_FLAG},
    {"JK1ST_FLAG", &TJouken::JK1ST_FLAG},
    {"CUR_SEC", &TJouken::CUR_SEC},
    {"YOMIAGEFLAG1", &TJouken::YOMIAGEFLAG1},
    {"YOMIAGEFLAG2", &TJouken::YOMIAGEFLAG2},
    {"REIYOMIAGE", &TJouken::REIYOMIAGE},
    {"YOMIAGEHAYASA", &TJouken::YOMIAGEHAYASA},
    {"YOMIAGEOOKISA", &TJouken::YOMIAGEOOKISA},
    {"KEYPADSIZE", &TJouken::KEYPADSIZE},
};

void expectAllDefaults(const TJouken& jk) {
    const TJouken d;
    for (const auto& [name, field] : kIntFields) EXPECT_EQ(jk.*field, d.*field) << name;
    EXPECT_EQ(jk.FONTNAME, d.FONTNAME);
}

// Runs `fn` with the rights of an ordinary user and returns what it returns.
// Root may write anywhere, so as root `fn` runs in a child process that has
// dropped to the user "nobody".
std::string asOrdinaryUser(const std::function<std::string()>& fn) {
    if (::geteuid() != 0) return fn();
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return "pipe failed";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFd[0]);
        std::string result = "could not drop privileges";
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            result = fn();
        }
        ssize_t written = ::write(pipeFd[1], result.data(), result.size());
        ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    ::close(pipeFd[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(pipeFd[0], buf, sizeof buf)) > 0;) out.append(buf, n);
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/settings_test.XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ::chmod(dir_.c_str(), 0755);  // reachable by the ordinary user of asOrdinaryUser
        path_ = dir_ + "/pkt_m41.ini";
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
            const char* v = std::getenv(name);
            savedEnv_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : savedEnv_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(dir_, ec)) {
            if (e.is_directory()) ::chmod(e.path().c_str(), 0755);
        }
        fs::remove_all(dir_, ec);
    }
    std::vector<std::string> filesInDir() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        return names;
    }

    std::string dir_;
    std::string path_;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

// ---- the file as written ---------------------------------------------------------

TEST_F(SettingsFile, DefaultsGiveSectionsInFirstWriteOrderWithCrlfAndShiftJis) {
    ASSERT_TRUE(app::IniWrite(TJouken{}, path_, 200, 500));
    const std::string expected =
        "[FORMPOS]\r\nLEFT=200\r\nTOP=200\r\nHEIGHT=300\r\nWIDTH=500\r\nPANELFLAG=0\r\nHARUFA=0\r\n"
        "[BFORMPOS]\r\nBLEFT=200\r\nBTOP=500\r\n"
        "[FONT]\r\nFONTNAME=" +
        kMsGothicSjis +
        "\r\nFONTSIZE=40\r\n"
        "[DSPORNOT]\r\nKURIAGARI=1\r\nKURISAGARI=1\r\nPKTIMAGE=0\r\nRENDOFLAG=1\r\n"
        "[SPEED]\r\nENZANSPEED=0\r\nPOINTMAX=0\r\nPNTDSPFLAG=0\r\nPNTDSPFLAG00=0\r\n"
        "[KAIGYO]\r\nKAIGYO_FLAG=0\r\n"
        "[EXPLAIN]\r\nEXPLAIN_FLAG=0\r\nQQ_FLAG=0\r\n"
        "[DSPCLTYPE]\r\nDSP_CL_TYPE=0\r\n"
        "[STEPDSP]\r\nAUTOSTEP=0\r\nSTEPFLAG=0\r\nSTEPBEEP=0\r\n"
        "[SHOUJOUKEN]\r\nSHOU_ITI=0\r\nSHOU0_DSP=0\r\n"
        "[DSPHELP]\r\nSYOUPTLNDSP=0\r\n"
        "[SYOKIJK]\r\nJK1ST_FLAG=0\r\n"
        "[CURSOR]\r\nCUR_SEC=500\r\n"
        "[YOMIAGE]\r\nYOMIAGEFLAG1=0\r\nYOMIAGEFLAG2=0\r\nREIYOMIAGE=0\r\nYOMIAGEHAYASA=5\r\n"
        "YOMIAGEOOKISA=50\r\n"
        "[KEYPAD]\r\nKEYPADSIZE=0\r\n";
    EXPECT_EQ(slurp(path_), expected);
}

TEST_F(SettingsFile, EveryKeyRoundTripsAndWindowPositionComesFromTheCaller) {
    TJouken jk;
    int v = -3;  // negative positions occur on a monitor left of the primary one
    for (const auto& [name, field] : kIntFields) jk.*field = v++ * 7;
    // Fields with a range get a value inside it other than their default.
    const std::map<std::string, int> inRange = {
        {"FONTSIZE", 33},   {"ENZANSPEED", 42},  {"POINTMAX", 7},      {"PNTDSPFLAG00", 6},
        {"SHOU_ITI", 2},    {"CUR_SEC", 777},    {"YOMIAGEHAYASA", 9}, {"PANELFLAG", 1},
        {"KURIAGARI", 0},   {"KURISAGARI", 0},   {"PKTIMAGE", 1},      {"RENDOFLAG", 0},
        {"KAIGYO_FLAG", 1}, {"EXPLAIN_FLAG", 1}, {"DSP_CL_TYPE", 2},   {"AUTOSTEP", 1},
        {"STEPFLAG", 1},    {"STEPBEEP", 1},     {"SHOU0_DSP", 1},     {"SYOUPTLNDSP", 1},
        {"QQ_FLAG", 1},     {"JK1ST_FLAG", 1},   {"YOMIAGEFLAG1", 1},  {"YOMIAGEFLAG2", 1},
        {"REIYOMIAGE", 1},  {"KEYPADSIZE", 1}};
    for (const auto& [name, field] : kIntFields)
        if (auto it = inRange.find(name); it != inRange.end()) jk.*field = it->second;
    jk.FONTNAME = "ＭＳ 明朝";
    ASSERT_TRUE(app::IniWrite(jk, path_, -640, 1234));

    TJouken back;
    back.BubunWa = 1;  // not persisted: reading leaves it alone
    app::IniRead(back, path_);
    for (const auto& [name, field] : kIntFields) {
        if (field == &TJouken::BLEFT || field == &TJouken::BTOP) continue;
        EXPECT_EQ(back.*field, jk.*field) << name;
    }
    EXPECT_EQ(back.BLEFT, -640);
    EXPECT_EQ(back.BTOP, 1234);
    EXPECT_EQ(back.FONTNAME, "ＭＳ 明朝");
    EXPECT_EQ(back.BubunWa, 1);

    // PNTDSPFLAG repeats POINTMAX; the program itself never reads it back.
    const std::string text = slurp(path_);
    EXPECT_NE(text.find("POINTMAX=" + std::to_string(jk.POINTMAX) +
                        "\r\nPNTDSPFLAG=" + std::to_string(jk.POINTMAX) +
                        "\r\nPNTDSPFLAG00=" + std::to_string(jk.PNTDSPFLAG00) + "\r\n"),
              std::string::npos)
        << text;
    spit(path_, "[SPEED]\r\nPNTDSPFLAG=9\r\n");
    EXPECT_EQ(readBack(path_).POINTMAX, 0);
}

// ---- reading hand-edited and damaged files ---------------------------------------

TEST_F(SettingsFile, MissingOrUnreadableFileGivesEveryDefault) {
    TJouken jk;
    for (const auto& [name, field] : kIntFields) jk.*field = 77;
    jk.FONTNAME = "x";
    app::IniRead(jk, dir_ + "/absent.ini");
    expectAllDefaults(jk);
    expectAllDefaults(readBack(dir_));  // a folder in place of the file
    spit(path_, "");
    expectAllDefaults(readBack(path_));
}

TEST_F(SettingsFile, ToleratesTheWaysPeopleEditIniFiles) {
    spit(path_,
         "\xEF\xBB\xBF"     // byte order mark of a UTF-8 editor
         "CUR_SEC=900\r\n"  // before any section: ignored
         "; comment line\r\n"
         "\r\n"
         "  [ formpos ]  \r\n"  // spaces and lower case around a section name
         "  left =  -15 \r\n"   // ... and around key and value
         "Top=\"42\"\n"         // quoted value, bare LF
         "HEIGHT=+310\r\n"
         "WIDTH=640\r\n"
         "WIDTH=1\r\n"  // the first of two equal keys counts
         "[Font]\r\n"
         "FONTNAME = IPAゴシック \r\n"
         "[cursor]\r\n"
         "\tcur_sec\t=\t250");  // no line end at the end of the file
    TJouken jk = readBack(path_);
    EXPECT_EQ(jk.LEFT, -15);
    EXPECT_EQ(jk.TOP, 42);
    EXPECT_EQ(jk.HEIGHT, 310);
    EXPECT_EQ(jk.WIDTH, 640);
    EXPECT_EQ(jk.FONTNAME, "IPAゴシック");
    EXPECT_EQ(jk.CUR_SEC, 250);
    EXPECT_EQ(jk.FONTSIZE, 40);
}

TEST_F(SettingsFile, MalformedValuesGiveTheDefault) {
    const std::string megabyteOfDigits(1 << 20, '9');
    const std::string megabyteOfJunk(1 << 20, 'x');
    spit(path_,
         "[FORMPOS]\r\nLEFT=abc\r\nTOP=\r\nHEIGHT=99999999999\r\nWIDTH=2147483648\r\n"
         "PANELFLAG=-\r\nHARUFA=2147483647\r\n"
         "[FONT]\r\nFONTSIZE\r\n" +  // no '='
             megabyteOfJunk +
             "\r\n"
             "[DSPORNOT]\r\nKURIAGARI=" +
             megabyteOfDigits +
             "\r\nKURISAGARI=0x1\r\nPKTIMAGE=-2147483648\r\nRENDOFLAG=-2147483649\r\n"
             "[SPEED]\r\nENZANSPEED=" +
             std::string("1\0"
                         "2",
                         3) +
             "\r\nPOINTMAX=\xff\xfe\r\n" + megabyteOfJunk + "=" + megabyteOfJunk + "\r\n[" +
             megabyteOfJunk + "\r\n");
    TJouken jk = readBack(path_);
    const TJouken d;
    EXPECT_EQ(jk.LEFT, d.LEFT);
    EXPECT_EQ(jk.TOP, d.TOP);
    EXPECT_EQ(jk.HEIGHT, d.HEIGHT);
    EXPECT_EQ(jk.WIDTH, d.WIDTH);
    EXPECT_EQ(jk.PANELFLAG, d.PANELFLAG);
    EXPECT_EQ(jk.HARUFA, INT_MAX);  // range edges themselves are valid
    EXPECT_EQ(jk.FONTSIZE, d.FONTSIZE);
    EXPECT_EQ(jk.KURIAGARI, d.KURIAGARI);
    EXPECT_EQ(jk.KURISAGARI, d.KURISAGARI);  // "0x1" is no decimal integer
    EXPECT_EQ(jk.PKTIMAGE, d.PKTIMAGE);      // a number, but no 0/1 flag
    EXPECT_EQ(jk.RENDOFLAG, d.RENDOFLAG);
    EXPECT_EQ(jk.ENZANSPEED, d.ENZANSPEED);  // a NUL inside the digits
    EXPECT_EQ(jk.POINTMAX, d.POINTMAX);
}

TEST_F(SettingsFile, ValuesWithUnitsOrExponentsAreNoIntegers) {
    spit(path_,
         "[FORMPOS]\r\nWIDTH=640 ; pixels\r\nHEIGHT=-\r\n"
         "[FONT]\r\nFONTSIZE=24pt\r\n"
         "[CURSOR]\r\nCUR_SEC=1e3\r\n"
         "[SPEED]\r\nENZANSPEED=5.5\r\nPOINTMAX= 3 \r\n");
    const TJouken jk = readBack(path_);
    const TJouken d;
    EXPECT_EQ(jk.WIDTH, d.WIDTH);
    EXPECT_EQ(jk.HEIGHT, d.HEIGHT);
    EXPECT_EQ(jk.FONTSIZE, 40);
    EXPECT_EQ(jk.CUR_SEC, 500);
    EXPECT_EQ(jk.ENZANSPEED, d.ENZANSPEED);
    EXPECT_EQ(jk.POINTMAX, 3);  // spaces around a value are no part of it
}

TEST_F(SettingsFile, OutOfRangeValuesAreMendedAndInRangeOnesKept) {
    // Flags and the quotient mode fall back to their default, numbers are
    // brought into their range; window bounds are taken as they stand.
    spit(path_,
         "[FORMPOS]\r\nLEFT=-3000\r\nWIDTH=9000\r\nPANELFLAG=2\r\n"
         "[FONT]\r\nFONTSIZE=3\r\n"
         "[DSPORNOT]\r\nKURIAGARI=2\r\nKURISAGARI=-1\r\nRENDOFLAG=0\r\n"
         "[SPEED]\r\nENZANSPEED=150\r\nPOINTMAX=99\r\nPNTDSPFLAG00=-4\r\n"
         "[KAIGYO]\r\nKAIGYO_FLAG=1\r\n"
         "[DSPCLTYPE]\r\nDSP_CL_TYPE=3\r\n"
         "[SHOUJOUKEN]\r\nSHOU_ITI=7\r\nSHOU0_DSP=5\r\n"
         "[CURSOR]\r\nCUR_SEC=5\r\n"
         "[YOMIAGE]\r\nYOMIAGEFLAG1=10\r\nYOMIAGEHAYASA=11\r\n"
         "[KEYPAD]\r\nKEYPADSIZE=2\r\n");
    const TJouken jk = readBack(path_);
    EXPECT_EQ(jk.LEFT, -3000);
    EXPECT_EQ(jk.WIDTH, 9000);
    EXPECT_EQ(jk.PANELFLAG, 0);
    EXPECT_EQ(jk.FONTSIZE, 10);
    EXPECT_EQ(jk.KURIAGARI, 1);
    EXPECT_EQ(jk.KURISAGARI, 1);
    EXPECT_EQ(jk.RENDOFLAG, 0);
    EXPECT_EQ(jk.ENZANSPEED, 99);
    EXPECT_EQ(jk.POINTMAX, 10);
    EXPECT_EQ(jk.PNTDSPFLAG00, 0);
    EXPECT_EQ(jk.KAIGYO_FLAG, 1);
    EXPECT_EQ(jk.SHOU_ITI, 0);
    EXPECT_EQ(jk.SHOU0_DSP, 0);
    EXPECT_EQ(jk.CUR_SEC, 200);
    EXPECT_EQ(jk.YOMIAGEFLAG1, 0);
    EXPECT_EQ(jk.YOMIAGEHAYASA, 10);
    EXPECT_EQ(jk.DSP_CL_TYPE, 0);  // no scheme has the number 3
    EXPECT_EQ(jk.KEYPADSIZE, 0);
}

TEST_F(SettingsFile, RandomBytesNeverCrashAndAreOverwrittenCleanly) {
    const std::string alphabet =
        "[]=;\"' \t\r\n\r\n0123456789-+FORMPSLEFTCUR_SEC\x82\x83\xff\xef\xbb";
    std::mt19937 rng(20240601);
    TJouken written;
    written.CUR_SEC = 321;
    written.FONTNAME = "Noto Sans Mono CJK JP";
    for (int round = 0; round < 200; ++round) {
        std::string bytes(rng() % 400, '\0');
        for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
        spit(path_, "[CURSOR]\r\n" + bytes);
        TJouken jk = readBack(path_);
        (void)jk;
        // Whatever the file held, what we write is what we read back.
        ASSERT_TRUE(app::IniWrite(written, path_, 1, 2)) << round;
        TJouken back = readBack(path_);
        EXPECT_EQ(back.CUR_SEC, 321) << round;
        EXPECT_EQ(back.FONTNAME, written.FONTNAME) << round;
        EXPECT_EQ(back.BLEFT, 1) << round;
    }
}

// ---- Shift-JIS texts --------------------------------------------------------------

TEST_F(SettingsFile, FontNameIsShiftJisOnDisk) {
    // A file as a Japanese Windows machine writes it.
    spit(path_, "[FONT]\r\nFONTNAME=\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9\r\n");
    EXPECT_EQ(readBack(path_).FONTNAME, "ＭＳ 明朝");

    TJouken jk;
    jk.FONTNAME = "ＭＳゴシック";
    ASSERT_TRUE(app::IniWrite(jk, path_, 0, 0));
    EXPECT_NE(slurp(path_).find("\r\nFONTNAME=" + kMsGothicSjis + "\r\n"), std::string::npos);
    EXPECT_EQ(readBack(path_).FONTNAME, "ＭＳゴシック");

    // Names Shift-JIS cannot hold, or that would break the file, store the default.
    for (const char* name : {"나눔고딕", "Evil\r\n[FONT]\r\nFONTSIZE=1", ""}) {
        jk.FONTNAME = name;
        ASSERT_TRUE(app::IniWrite(jk, path_, 0, 0));
        TJouken back = readBack(path_);
        EXPECT_EQ(back.FONTNAME, "ＭＳゴシック") << name;
        EXPECT_EQ(back.FONTSIZE, 40) << name;
    }
}

TEST_F(SettingsFile, InvalidShiftJisGivesTheDefaultFontName) {
    for (const std::string& bad : {std::string("\x82"), std::string("Font\x82\x20X"),
                                   std::string("\xef\xbc\xad\xef\xbc\xb3\xff")}) {
        spit(path_, "[FONT]\r\nFONTNAME=" + bad + "\r\nFONTSIZE=12\r\n");
        TJouken jk = readBack(path_);
        EXPECT_EQ(jk.FONTNAME, "ＭＳゴシック");
        EXPECT_EQ(jk.FONTSIZE, 12);
    }
}

TEST_F(SettingsFile, Utf8FileWithByteOrderMarkIsReadAndRewrittenInShiftJis) {
    spit(path_, "\xEF\xBB\xBF; 先生のメモ\r\n[FONT]\r\nFONTNAME=ＭＳゴシック\r\n");
    EXPECT_EQ(readBack(path_).FONTNAME, "ＭＳゴシック");
    ASSERT_TRUE(app::IniWrite(readBack(path_), path_, 0, 0));
    const std::string text = slurp(path_);
    EXPECT_EQ(text.rfind("; ", 0), 0u);                           // no byte order mark any more
    EXPECT_NE(text.find("\x90\xe6\x90\xb6"), std::string::npos);  // 先生 in Shift-JIS
    EXPECT_NE(text.find("FONTNAME=" + kMsGothicSjis + "\r\n"), std::string::npos);
}

// ---- keeping what is not ours -------------------------------------------------------

TEST_F(SettingsFile, UnknownLinesStayAndKeysAreUpdatedWhereTheyStand) {
    spit(path_,
         "; 筆算 settings\r\n"
         "[SPEED]\r\n"
         "pointmax=3\r\n"
         "; teacher's note\r\n"
         "[CLASS]\r\n"
         "NAME=3-2\r\n"
         "[FORMPOS]\r\n"
         "EXTRA=1\r\n");
    TJouken jk;
    jk.POINTMAX = 4;
    ASSERT_TRUE(app::IniWrite(jk, path_, 0, 0));
    const std::string text = slurp(path_);
    EXPECT_EQ(text.rfind("; 筆算 settings\r\n[SPEED]\r\nPOINTMAX=4\r\nENZANSPEED=0\r\n"
                         "PNTDSPFLAG=4\r\nPNTDSPFLAG00=0\r\n; teacher's note\r\n"
                         "[CLASS]\r\nNAME=3-2\r\n"
                         "[FORMPOS]\r\nEXTRA=1\r\nLEFT=200\r\n",
                         0),
              0u)
        << text;
    // Each section once: keys were added to the sections already there.
    for (const char* header : {"[SPEED]", "[FORMPOS]", "[FONT]", "[YOMIAGE]"}) {
        size_t first = text.find(header);
        ASSERT_NE(first, std::string::npos) << header;
        EXPECT_EQ(text.find(header, first + 1), std::string::npos) << header;
    }
    EXPECT_EQ(text.find("pointmax"), std::string::npos);
    EXPECT_EQ(readBack(path_).POINTMAX, 4);
}

TEST_F(SettingsFile, LargeFileIsReadAndUpdatedInOnePass) {
    // Half a million lines of other programs' sections in front of and
    // behind the program's: a key of ours inside another section, or in a
    // second section of the same name, is not ours. Reading and writing go
    // over the lines once (bench/settings_bench.cpp times them up to 31 MB).
    auto foreign = [](int from, int lines) {
        std::string text;
        for (int i = from; i < from + lines; ++i) {
            if (i % 64 == 0)
                text += "[S" + std::to_string(i) + "]\r\n";
            else if (i % 64 == 1)
                text += "CUR_SEC=" + std::to_string(i) + "\r\n";
            else if (i % 8 == 0)
                text += "; " + std::to_string(i) + "\r\n";
            else
                text += "K" + std::to_string(i) + "=1\r\n";
        }
        return text;
    };
    const std::string front = foreign(0, 250000);
    const std::string back = foreign(250000, 250000) + "[cursor]\r\nCUR_SEC=999\r\n";
    spit(path_, front + "[CURSOR]\r\nCUR_SEC=300\r\n; note\r\n" + back);
    TJouken jk = readBack(path_);
    EXPECT_EQ(jk.CUR_SEC, 300);
    EXPECT_EQ(jk.POINTMAX, 0);

    jk.CUR_SEC = 700;
    jk.POINTMAX = 3;
    ASSERT_TRUE(app::IniWrite(jk, path_, 200, 500));
    // The other sections as a new file has them, in their order, at the end.
    const std::string fresh = dir_ + "/fresh.ini";
    ASSERT_TRUE(app::IniWrite(jk, fresh, 200, 500));
    std::string others = slurp(fresh);
    const std::string cursor = "[CURSOR]\r\nCUR_SEC=700\r\n";
    ASSERT_NE(others.find(cursor), std::string::npos);
    others.erase(others.find(cursor), cursor.size());
    EXPECT_TRUE(slurp(path_) == front + cursor + "; note\r\n" + back + others);
    EXPECT_EQ(readBack(path_).POINTMAX, 3);
}

// ---- safe replacement ----------------------------------------------------------------

TEST_F(SettingsFile, FailedWriteLeavesTheOldFileIntact) {
    const std::string old = "[CURSOR]\r\nCUR_SEC=700\r\n; " + std::string(200, '#') + "\r\n";
    spit(path_, old);

    // The disk fills up in the middle of writing.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = app::IniWrite(TJouken{}, path_, 0, 0);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(slurp(path_), old);
    EXPECT_EQ(filesInDir(), std::vector<std::string>{"pkt_m41.ini"});  // no temporary left

    // A read-only file stays as it is, even where the folder would let us
    // replace it.
    ::chmod(path_.c_str(), 0444);
    ::chmod(dir_.c_str(), 0777);
    std::string result = asOrdinaryUser(
        [&] { return app::IniWrite(TJouken{}, path_, 0, 0) ? std::string("written") : "refused"; });
    EXPECT_EQ(result, "refused");
    EXPECT_EQ(slurp(path_), old);

    // A folder or a file in the way of the path.
    EXPECT_FALSE(app::IniWrite(TJouken{}, dir_, 0, 0));
    EXPECT_FALSE(app::IniWrite(TJouken{}, path_ + "/pkt_m41.ini", 0, 0));
    EXPECT_EQ(slurp(path_), old);
}

TEST_F(SettingsFile, ReplacingKeepsPermissionsAndMakesFolders) {
    spit(path_, "[CURSOR]\r\nCUR_SEC=700\r\n");
    ::chmod(path_.c_str(), 0640);
    TJouken jk;
    jk.CUR_SEC = 800;
    ASSERT_TRUE(app::IniWrite(jk, path_, 0, 0));
    EXPECT_EQ(readBack(path_).CUR_SEC, 800);
    EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string nested = dir_ + "/a/b/pkt_m41.ini";
    ASSERT_TRUE(app::IniWrite(jk, nested, 0, 0));
    EXPECT_EQ(readBack(nested).CUR_SEC, 800);
}

TEST_F(SettingsFile, StaleTemporaryFilesAreRemovedAtTheNextSave) {
    // Left by saves that were cut short; pid 99999999 is above any pid the
    // system gives, so no process of that number runs. Pid 1 always runs: it
    // may be saving this moment. Other names are not ours.
    const std::vector<std::string> stale = {"pkt_m41.ini.99999999.1.tmp",
                                            "pkt_m41.ini.99999999.42.tmp"};
    const std::vector<std::string> kept = {"pkt_m41.ini.1.3.tmp", "pkt_m41.ini.bak",
                                           "pkt_m41.ini.x.1.tmp", "other.ini.99999999.1.tmp",
                                           "pkt_m41.ini.99999999.tmp"};
    for (const auto& name : stale) spit(dir_ + "/" + name, "[FORMPOS]\r\nLEFT=");
    for (const auto& name : kept) spit(dir_ + "/" + name, "x");
    ASSERT_TRUE(app::IniWrite(TJouken{}, path_, 0, 0));
    std::vector<std::string> expected = kept;
    expected.push_back("pkt_m41.ini");
    std::vector<std::string> names = filesInDir();
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

// A settings file that is a link, or another program's file, is never written:
// it stays as it is, and the settings go to the configuration folder as for a
// folder we may not write to. A link to a copy of /etc/passwd used to become
// a CRLF file with the program's sections appended.
TEST_F(SettingsFile, LinksAndOtherFilesAreLeftAndTheConfigFolderIsUsed) {
    const std::string passwd =
        "root:x:0:0:root:/root:/bin/bash\nnobody:x:65534:65534::/:/bin/false\n";
    const std::string ours = "; class 3-2\r\n[CURSOR]\r\nCUR_SEC=300\r\n";
    struct Case {
        const char* what;
        std::string target;  // bytes of the file the local name leads to
        bool link;           // the local name is a link to it
    };
    const Case cases[] = {
        {"link to a copy of passwd", passwd, true},
        {"link to a settings file", ours, true},
        {"dangling link", "", true},
        {"another program's file", passwd, false},
        {"comments only", "; just a note\r\n", false},
        {"another program's INI file", "[Desktop Entry]\r\nName=x\r\n", false},
    };
    const std::string config = dir_ + "/config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string mine = config + "/hissan/pkt_m41.ini";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string prog = dir_ + "/prog/";
        const std::string local = prog + "pkt_m41.ini";
        const std::string target = dir_ + "/target";
        fs::remove_all(prog);
        fs::remove_all(config);
        fs::remove(target);
        fs::create_directories(prog);
        if (c.link) {
            if (!c.target.empty()) spit(target, c.target);
            fs::create_symlink(target, local);
        } else {
            spit(local, c.target);
        }
        const std::string before = slurp(c.link ? target : local);

        TJouken jk;
        EXPECT_FALSE(app::IniWrite(jk, local, 0, 0));  // never written, even when asked
        EXPECT_EQ(app::settingsFilePath(prog), mine);
        app::IniRead(jk, app::settingsReadPath(prog));
        jk.POINTMAX = 6;
        ASSERT_TRUE(app::IniWrite(jk, app::settingsFilePath(prog), 0, 0));
        EXPECT_EQ(slurp(c.link ? target : local), before);
        EXPECT_EQ(fs::is_symlink(local), c.link);
        EXPECT_EQ(fs::exists(target), c.link && !c.target.empty());
        // The next start reads the copy in the configuration folder.
        EXPECT_EQ(app::settingsReadPath(prog), mine);
        EXPECT_EQ(readBack(mine).POINTMAX, 6);
        EXPECT_EQ(readBack(mine).CUR_SEC, c.target == ours ? 300 : 500);
    }

    // An empty file holds nothing to lose: it is ours to fill.
    spit(path_, "\r\n");
    EXPECT_TRUE(app::IniWrite(TJouken{}, path_, 0, 0));
    EXPECT_EQ(app::settingsFilePath(dir_), path_);
}

// ---- where the file lives -----------------------------------------------------------

TEST_F(SettingsFile, WritableProgramFolderHoldsTheFile) {
    const std::string config = dir_ + "/config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(app::settingsFilePath(dir_ + "/"), path_);
    EXPECT_EQ(app::settingsFilePath(dir_), path_);
    EXPECT_EQ(app::settingsReadPath(dir_ + "/"), path_);

    // A copy from the configuration folder is read until the program folder has one.
    TJouken jk;
    jk.CUR_SEC = 999;
    ASSERT_TRUE(app::IniWrite(jk, config + "/hissan/pkt_m41.ini", 0, 0));
    EXPECT_EQ(app::settingsReadPath(dir_ + "/"), config + "/hissan/pkt_m41.ini");
    spit(path_, "");
    EXPECT_EQ(app::settingsReadPath(dir_ + "/"), path_);
}

TEST_F(SettingsFile, ReadOnlyProgramFolderFallsBackToTheConfigFolder) {
    const std::string prog = dir_ + "/prog/";
    const std::string config = dir_ + "/config";
    fs::create_directories(prog);
    fs::create_directories(config);
    ::chmod(config.c_str(), 0777);
    spit(prog + "pkt_m41.ini", "[CURSOR]\r\nCUR_SEC=300\r\n");  // the shared, read-only copy
    ::chmod((prog + "pkt_m41.ini").c_str(), 0444);
    ::chmod(prog.c_str(), 0555);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    const std::string mine = config + "/hissan/pkt_m41.ini";
    std::string steps = asOrdinaryUser([&] {
        std::string s = app::settingsReadPath(prog) + "|" + app::settingsFilePath(prog) + "|";
        TJouken jk;
        app::IniRead(jk, app::settingsReadPath(prog));
        s += std::to_string(jk.CUR_SEC) + "|";
        jk.CUR_SEC = 400;
        s += app::IniWrite(jk, app::settingsFilePath(prog), 0, 0) ? "written|" : "failed|";
        return s + app::settingsReadPath(prog);
    });
    EXPECT_EQ(steps, prog + "pkt_m41.ini|" + mine + "|300|written|" + mine);
    EXPECT_EQ(readBack(mine).CUR_SEC, 400);
    EXPECT_EQ(readBack(prog + "pkt_m41.ini").CUR_SEC, 300);

    // Without XDG_CONFIG_HOME the folder is ~/.config.
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", dir_.c_str(), 1);
    EXPECT_EQ(asOrdinaryUser([&] { return app::settingsFilePath(prog); }),
              dir_ + "/.config/hissan/pkt_m41.ini");
}

TEST_F(SettingsFile, InstalledProgramKeepsItsSettingsInTheConfigFolder) {
    // An installed copy: bin/ beside share/hissan, writable here (the tests
    // may run as root), with a shared settings file beside the program.
    const std::string bin = dir_ + "/usr/bin/";
    fs::create_directories(bin);
    fs::create_directories(dir_ + "/usr/share/hissan");
    const std::string config = dir_ + "/config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string mine = config + "/hissan/pkt_m41.ini";
    EXPECT_EQ(app::settingsFilePath(bin), mine);
    EXPECT_EQ(app::settingsReadPath(bin), mine);  // nothing there yet: all defaults

    spit(bin + "pkt_m41.ini", "[CURSOR]\r\nCUR_SEC=300\r\n");
    EXPECT_EQ(app::settingsFilePath(bin), mine);
    EXPECT_EQ(app::settingsReadPath(bin), bin + "pkt_m41.ini");
    TJouken jk;
    app::IniRead(jk, app::settingsReadPath(bin));
    EXPECT_EQ(jk.CUR_SEC, 300);
    jk.CUR_SEC = 420;
    ASSERT_TRUE(app::IniWrite(jk, app::settingsFilePath(bin), 0, 0));
    EXPECT_EQ(app::settingsReadPath(bin), mine);  // the next start reads its own copy
    EXPECT_EQ(readBack(mine).CUR_SEC, 420);
    EXPECT_EQ(readBack(bin + "pkt_m41.ini").CUR_SEC, 300);

    // A plain folder with the program (a build tree, a copy on a stick) keeps
    // the file beside it.
    fs::remove_all(dir_ + "/usr/share/hissan");
    EXPECT_EQ(app::settingsFilePath(bin), bin + "pkt_m41.ini");
}

TEST_F(SettingsFile, WritableFileInReadOnlyFolderIsLeftForTheConfigFolder) {
    // Rewriting the file in place could leave half a file behind when the disk
    // fills up; the settings go to the configuration folder instead, as for
    // any folder we may not write to.
    const std::string prog = dir_ + "/prog/";
    const std::string config = dir_ + "/config";
    fs::create_directories(prog);
    fs::create_directories(config);
    ::chmod(config.c_str(), 0777);
    // Longer than what would replace it.
    const std::string old = "[FONT]\r\nFONTSIZE=" + std::string(2000, '0') + "12\r\n";
    spit(prog + "pkt_m41.ini", old);
    ::chmod((prog + "pkt_m41.ini").c_str(), 0666);
    ::chmod(prog.c_str(), 0555);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    TJouken jk;
    jk.CUR_SEC = 450;
    std::string result = asOrdinaryUser([&] {
        // Asked to write there all the same, with the disk filling up.
        struct rlimit saved, small;
        ::getrlimit(RLIMIT_FSIZE, &saved);
        small = saved;
        small.rlim_cur = 100;
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string s = app::IniWrite(jk, prog + "pkt_m41.ini", 0, 0) ? "written|" : "refused|";
        ::setrlimit(RLIMIT_FSIZE, &saved);
        const std::string target = app::settingsFilePath(prog);
        return s + target + (app::IniWrite(jk, target, 0, 0) ? "|written" : "|failed");
    });
    EXPECT_EQ(result, "refused|" + config + "/hissan/pkt_m41.ini|written");
    EXPECT_EQ(slurp(prog + "pkt_m41.ini"), old);
    EXPECT_EQ(readBack(config + "/hissan/pkt_m41.ini").CUR_SEC, 450);
}

}  // namespace
