// The colour schemes as a pupil at the back of the room sees them: the
// contrast of every role against the board (WCAG 2 relative luminance), and
// the roles a calculation is read by still told apart by pupils who see red
// and green alike (protanopia and deuteranopia simulated in linear RGB).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "hissan/canvas.h"

namespace {

using hissan::Role;

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::array<double, 3> linearRgb(uint32_t rgb) {
    return {linear((rgb >> 16) & 0xFF), linear((rgb >> 8) & 0xFF), linear(rgb & 0xFF)};
}

double luminance(uint32_t rgb) {
    const auto [r, g, b] = linearRgb(rgb);
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

double contrast(uint32_t a, uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t colourOf(int scheme, Role role) {
    return hissan::schemeFor(scheme).resolve(hissan::Colour::of(role));
}

TEST(Schemes, ContrastSchemeReadsAgainstItsBoard) {
    const uint32_t board = colourOf(hissan::kSchemeContrast, Role::Background);
    // Still a green board.
    EXPECT_GT((board >> 8) & 0xFF, (board >> 16) & 0xFF);
    EXPECT_GT((board >> 8) & 0xFF, board & 0xFF);
    for (int r = 0; r < hissan::kRoleCount; ++r) {
        const Role role = static_cast<Role>(r);
        if (role == Role::Background) continue;
        const double ratio = contrast(colourOf(hissan::kSchemeContrast, role), board);
        EXPECT_GE(ratio, 4.5) << "role " << r << ": " << ratio;
    }
    // The answer, a borrow mark and the second rule, with the values they
    // have (the blackboard's red answer reads at 1.28 on its green).
    EXPECT_NEAR(contrast(colourOf(hissan::kSchemeContrast, Role::Answer), board), 5.41, 0.01);
    EXPECT_NEAR(contrast(colourOf(hissan::kSchemeContrast, Role::ReducedDigit), board), 5.67, 0.01);
    EXPECT_NEAR(contrast(colourOf(hissan::kSchemeBlackboard, Role::Answer),
                         colourOf(hissan::kSchemeBlackboard, Role::Background)),
                1.28, 0.01);
}

// Distance in sRGB after a dichromat's view of the colour (Viénot, Brettel
// and Mollon's one-plane projection), 0..441.
double seenDistance(uint32_t a, uint32_t b, const double (&m)[3][3]) {
    auto seen = [&m](uint32_t rgb) {
        const auto l = linearRgb(rgb);
        std::array<double, 3> out{};
        for (int i = 0; i < 3; ++i) {
            double v = m[i][0] * l[0] + m[i][1] * l[1] + m[i][2] * l[2];
            v = std::clamp(v, 0.0, 1.0);
            out[i] = 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
        }
        return out;
    };
    const auto sa = seen(a), sb = seen(b);
    return std::hypot(sa[0] - sb[0], sa[1] - sb[1], sa[2] - sb[2]);
}

TEST(Schemes, ContrastSchemeKeepsItsRolesApartForEveryPupil) {
    constexpr double kNormal[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    constexpr double kProtan[3][3] = {
        {0.11238, 0.88762, 0}, {0.11238, 0.88762, 0}, {0.00401, -0.00401, 1}};
    constexpr double kDeutan[3][3] = {
        {0.29275, 0.70725, 0}, {0.29275, 0.70725, 0}, {-0.02234, 0.02234, 1}};
    const struct {
        const char* name;
        Role role;
    } roles[] = {{"digit", Role::Digit},
                 {"answer", Role::Answer},
                 {"borrow mark", Role::ReducedDigit},
                 {"carry", Role::Carry}};
    const struct {
        const char* name;
        const double (&m)[3][3];
    } visions[] = {{"normal", kNormal}, {"protanopia", kProtan}, {"deuteranopia", kDeutan}};
    for (const auto& v : visions)
        for (const auto& a : roles)
            for (const auto& b : roles) {
                if (&a >= &b) continue;
                const double d = seenDistance(colourOf(hissan::kSchemeContrast, a.role),
                                              colourOf(hissan::kSchemeContrast, b.role), v.m);
                EXPECT_GE(d, 80) << a.name << " / " << b.name << " in " << v.name;
            }
    // The borrow marks and the second rule share their colour.
    EXPECT_EQ(colourOf(hissan::kSchemeContrast, Role::RedLine),
              colourOf(hissan::kSchemeContrast, Role::ReducedDigit));
}

TEST(Schemes, UnknownNumbersGetTheBlackboard) {
    for (int n : {-1, hissan::kSchemeCount, 99})
        for (int r = 0; r < hissan::kRoleCount; ++r)
            EXPECT_EQ(colourOf(n, Role(r)), colourOf(hissan::kSchemeBlackboard, Role(r))) << n;
    // The two first schemes keep their boards.
    EXPECT_EQ(colourOf(hissan::kSchemeBlackboard, Role::Background), 0x008000u);
    EXPECT_EQ(colourOf(hissan::kSchemeWhiteboard, Role::Background), 0xFFFFFFu);
}

}  // namespace
