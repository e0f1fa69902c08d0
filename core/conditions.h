// The calculation and display conditions, written once: each one's field of
// TJouken, its range, where the settings file keeps it, whether the export
// tool's --set takes it, and the conditions dialog's switch for it. Plain
// C++, no Qt. A condition's default is its TJouken member's initial value.
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "hissan/jouken.h"

namespace core {

// The conditions dialog's switches that the main window's keys and panels set.
enum class Switch : std::uint8_t {
    Kuriagari,    // A
    Kurisagari,   // S
    Kaigyo,       // L
    SyouPtLn,     // B
    QQ,           // Q
    Rendo,        // U
    MatsubiKake,  // Ctrl+K
    MatsubiWari,  // Ctrl+W
    BubunWa,      // Ctrl+Alt+B
};

// How the settings file keeps a condition.
enum class Stored : std::uint8_t {
    No,          // for this run only
    Int,         // an int field
    FontName,    // FONTNAME, a text
    PointCopy,   // PNTDSPFLAG: written with POINTMAX's value, never read
    WindowLeft,  // BLEFT: read into the field, written from the window position
    WindowTop,   // BTOP: likewise
};

struct Condition {
    const char* name;             // the settings key and the --set name
    int hissan::TJouken::*field;  // nullptr for the font name and PNTDSPFLAG
    // What a stored number may be. A value outside it is mended when the
    // file is read, so that every control starts in a state it can work from
    // (a flag stored as 2 would toggle between -1 and 2 for good): a 0/1 flag
    // or a choice of codes falls back to its default, a number is brought
    // into range. --set refuses a value outside it.
    int lo = INT_MIN;
    int hi = INT_MAX;
    bool choice = false;  // codes: outside them the default, not the nearest
    Stored stored = Stored::No;
    const char* section = nullptr;  // the settings file's section
    bool settable = false;          // the export tool's --set takes it
    std::optional<Switch> box{};    // the dialog's check box for it
};

// The settings file's sections, in the order in which a new file gets them.
// Every condition the file keeps is in one of them (checked when this is built).
inline constexpr const char* kSettingsSections[] = {
    "FORMPOS", "BFORMPOS",   "FONT",    "DSPORNOT", "SPEED",  "KAIGYO",  "EXPLAIN", "DSPCLTYPE",
    "STEPDSP", "SHOUJOUKEN", "DSPHELP", "SYOKIJK",  "CURSOR", "YOMIAGE", "KEYPAD"};

// Every condition; those the settings file keeps come first, in the order in
// which the file is read and written.
std::span<const Condition> conditions();
// How many the settings file keeps.
inline constexpr std::size_t kStoredConditionCount = 36;
// Only those the settings file keeps.
std::span<const Condition> storedConditions();
// The condition of that name, nullptr when there is none.
const Condition* findCondition(std::string_view name);
// The condition a switch of the dialog sets.
const Condition& switchCondition(Switch s);

}  // namespace core
