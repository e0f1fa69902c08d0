// The one table of conditions: the dialog's switches, the export tool's
// --set names and the ranges that the settings file and --set both enforce.
#include "core/conditions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using core::Switch;

TEST(Conditions, EverySwitchOfTheDialogHasOneFlagCondition) {
    const Switch all[] = {Switch::Kuriagari,   Switch::Kurisagari,  Switch::Kaigyo,
                          Switch::SyouPtLn,    Switch::QQ,          Switch::Rendo,
                          Switch::MatsubiKake, Switch::MatsubiWari, Switch::BubunWa};
    std::set<const core::Condition*> seen;
    for (Switch s : all) {
        const core::Condition& c = core::switchCondition(s);
        EXPECT_EQ(c.box, s) << c.name;
        ASSERT_NE(c.field, nullptr) << c.name;
        EXPECT_EQ(c.lo, 0) << c.name;
        EXPECT_EQ(c.hi, 1) << c.name;
        seen.insert(&c);
    }
    EXPECT_EQ(seen.size(), std::size(all));
    EXPECT_STREQ(core::switchCondition(Switch::SyouPtLn).name, "SYOUPTLNDSP");
    EXPECT_STREQ(core::switchCondition(Switch::MatsubiWari).name, "MatsubiZeroWari");
}

TEST(Conditions, SetTakesTheCalculationConditionsWithTheirRanges) {
    struct Settable {
        const char* name;
        int lo, hi;
    };
    const Settable expected[] = {
        {"KURIAGARI", 0, 1},       {"KURISAGARI", 0, 1},  {"QQ_FLAG", 0, 1},
        {"KAIGYO_FLAG", 0, 1},     {"SYOUPTLNDSP", 0, 1}, {"POINTMAX", 0, 10},
        {"SHOU_ITI", 0, 2},        {"SHOU0_DSP", 0, 1},   {"MatsubiZeroKake", 0, 1},
        {"MatsubiZeroWari", 0, 1}, {"BubunWa", 0, 1},
    };
    std::set<std::string> names;
    for (const Settable& e : expected) {
        const core::Condition* c = core::findCondition(e.name);
        ASSERT_NE(c, nullptr) << e.name;
        EXPECT_TRUE(c->settable) << e.name;
        EXPECT_EQ(c->lo, e.lo) << e.name;
        EXPECT_EQ(c->hi, e.hi) << e.name;
        names.insert(e.name);
    }
    for (const core::Condition& c : core::conditions())
        EXPECT_EQ(c.settable, names.count(c.name) == 1) << c.name;
    EXPECT_EQ(core::findCondition("kuriagari"), nullptr);  // names are exact
    EXPECT_EQ(core::findCondition(""), nullptr);
}

TEST(Conditions, StoredOnesComeFirstAndEveryDefaultIsInItsRange) {
    const hissan::TJouken defaults;
    const auto stored = core::storedConditions();
    for (const core::Condition& c : core::conditions()) {
        const bool isStored = &c - core::conditions().data() < std::ssize(stored);
        EXPECT_EQ(c.stored != core::Stored::No, isStored) << c.name;
        EXPECT_EQ(c.section != nullptr, isStored) << c.name;
        if (!c.field) continue;
        EXPECT_GE(defaults.*c.field, c.lo) << c.name;
        EXPECT_LE(defaults.*c.field, c.hi) << c.name;
    }
}

}  // namespace
