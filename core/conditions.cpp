#include "core/conditions.h"

namespace core {
namespace {

using J = hissan::TJouken;
using S = Stored;

struct Range {
    int lo = INT_MIN;
    int hi = INT_MAX;
    bool choice = false;
};
constexpr Range kAny{};
constexpr Range kFlag{0, 1, true};

constexpr Condition row(const char* section, const char* name, Stored stored, int J::*field,
                        Range r = kAny, bool settable = false,
                        std::optional<Switch> box = std::nullopt) {
    return {name, field, r.lo, r.hi, r.choice, stored, section, settable, box};
}

// Run-only conditions: flags that --set takes and the dialog switches.
constexpr Condition runFlag(const char* name, int J::*field, Switch box) {
    return {name, field, 0, 1, true, S::No, nullptr, true, box};
}

constexpr bool kSet = true;

constexpr Condition kConditions[] = {
    row("FORMPOS", "LEFT", S::Int, &J::LEFT),
    row("FORMPOS", "TOP", S::Int, &J::TOP),
    row("FORMPOS", "HEIGHT", S::Int, &J::HEIGHT),
    row("FORMPOS", "WIDTH", S::Int, &J::WIDTH),
    row("BFORMPOS", "BLEFT", S::WindowLeft, &J::BLEFT),
    row("BFORMPOS", "BTOP", S::WindowTop, &J::BTOP),
    row("FORMPOS", "PANELFLAG", S::Int, &J::PANELFLAG, kFlag),
    row("FORMPOS", "HARUFA", S::Int, &J::HARUFA),
    row("FONT", "FONTNAME", S::FontName, nullptr),
    row("FONT", "FONTSIZE", S::Int, &J::FONTSIZE, {10, 72}),
    row("DSPORNOT", "KURIAGARI", S::Int, &J::KURIAGARI, kFlag, kSet, Switch::Kuriagari),
    row("DSPORNOT", "KURISAGARI", S::Int, &J::KURISAGARI, kFlag, kSet, Switch::Kurisagari),
    row("SPEED", "ENZANSPEED", S::Int, &J::ENZANSPEED, {0, 99}),
    row("DSPORNOT", "PKTIMAGE", S::Int, &J::PKTIMAGE, kFlag),
    row("DSPORNOT", "RENDOFLAG", S::Int, &J::RENDOFLAG, kFlag, false, Switch::Rendo),
    row("KAIGYO", "KAIGYO_FLAG", S::Int, &J::KAIGYO_FLAG, kFlag, kSet, Switch::Kaigyo),
    row("EXPLAIN", "EXPLAIN_FLAG", S::Int, &J::EXPLAIN_FLAG, kFlag),
    row("DSPCLTYPE", "DSP_CL_TYPE", S::Int, &J::DSP_CL_TYPE, {0, 2, true}),
    row("SPEED", "POINTMAX", S::Int, &J::POINTMAX, {0, 10}, kSet),
    row("SPEED", "PNTDSPFLAG", S::PointCopy, nullptr),
    row("SPEED", "PNTDSPFLAG00", S::Int, &J::PNTDSPFLAG00, {0, 10}),
    row("STEPDSP", "AUTOSTEP", S::Int, &J::AUTOSTEP, kFlag),
    row("STEPDSP", "STEPFLAG", S::Int, &J::STEPFLAG, kFlag),
    row("STEPDSP", "STEPBEEP", S::Int, &J::STEPBEEP, kFlag),
    row("SHOUJOUKEN", "SHOU_ITI", S::Int, &J::SHOU_ITI, {0, 2, true}, kSet),
    row("SHOUJOUKEN", "SHOU0_DSP", S::Int, &J::SHOU0_DSP, kFlag, kSet),
    row("DSPHELP", "SYOUPTLNDSP", S::Int, &J::SYOUPTLNDSP, kFlag, kSet, Switch::SyouPtLn),
    row("EXPLAIN", "QQ_FLAG", S::Int, &J::QQ_FLAG, kFlag, kSet, Switch::QQ),
    row("SYOKIJK", "JK1ST_FLAG", S::Int, &J::JK1ST_FLAG, kFlag),
    row("CURSOR", "CUR_SEC", S::Int, &J::CUR_SEC, {200, 1000}),
    row("YOMIAGE", "YOMIAGEFLAG1", S::Int, &J::YOMIAGEFLAG1, kFlag),
    row("YOMIAGE", "YOMIAGEFLAG2", S::Int, &J::YOMIAGEFLAG2, kFlag),
    row("YOMIAGE", "REIYOMIAGE", S::Int, &J::REIYOMIAGE, kFlag),
    row("YOMIAGE", "YOMIAGEHAYASA", S::Int, &J::YOMIAGEHAYASA, {0, 10}),
    row("YOMIAGE", "YOMIAGEOOKISA", S::Int, &J::YOMIAGEOOKISA),
    row("KEYPAD", "KEYPADSIZE", S::Int, &J::KEYPADSIZE, kFlag),
    // for this run only
    runFlag("MatsubiZeroKake", &J::MatsubiZeroKake, Switch::MatsubiKake),
    runFlag("MatsubiZeroWari", &J::MatsubiZeroWari, Switch::MatsubiWari),
    runFlag("BubunWa", &J::BubunWa, Switch::BubunWa),
};

static_assert(kConditions[kStoredConditionCount - 1].stored != Stored::No &&
              kConditions[kStoredConditionCount].stored == Stored::No);

constexpr bool everyStoredConditionHasItsSection() {
    for (std::size_t k = 0; k < kStoredConditionCount; ++k) {
        bool found = false;
        for (const char* s : kSettingsSections)
            found = found || (kConditions[k].section &&
                              std::string_view(kConditions[k].section) == std::string_view(s));
        if (!found) return false;
    }
    return true;
}
// The settings file writes each key under its section: a key naming a
// section the file does not have would have nowhere to go.
static_assert(everyStoredConditionHasItsSection());

}  // namespace

std::span<const Condition> conditions() {
    return kConditions;
}

std::span<const Condition> storedConditions() {
    return std::span<const Condition>(kConditions).first(kStoredConditionCount);
}

const Condition* findCondition(std::string_view name) {
    for (const Condition& c : kConditions)
        if (name == c.name) return &c;
    return nullptr;
}

const Condition& switchCondition(Switch s) {
    for (const Condition& c : kConditions)
        if (c.box == s) return c;
    return kConditions[0];  // every switch has its row (the test checks)
}

}  // namespace core
