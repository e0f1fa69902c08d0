#include "hissan/layouts.h"

#include <exception>

namespace hissan {

namespace {

// One run of a layout body on its own context; what it drew stays on the
// canvas and what it found is reported.
LayoutResult runBody(int (*layout)(Run&), const Expression& e, const TJouken& jk, const Grid& grid,
                     Canvas& cv) {
    Run b(cv, jk, grid, e);
    int rc = 1;
    try {
        rc = layout(b);
    } catch (const std::exception&) {
        // A layout that fails part-way leaves what it drew; the pupil is told
        // instead of losing the program.
        cv.setStepOnly(false);
        b.answered = false;
        b.out.messages.push_back(
            Message{"この式の筆算を書けませんでした。", "お知らせ", Message::Warning});
    }
    LayoutResult result = std::move(b.out);
    result.status = rc < 0       ? LayoutResult::Overflow
                    : b.answered ? LayoutResult::Drawn
                                 : LayoutResult::Refused;
    result.RightX = b.RightX;
    result.TenX = b.TenX;
    return result;
}

}  // namespace

#define HISSAN_LAYOUT(name)                                                                \
    LayoutResult name(const Expression& e, const TJouken& jk, const Grid& g, Canvas& cv) { \
        return runBody(body::name, e, jk, g, cv);                                          \
    }
HISSAN_LAYOUT(TashizanDsp)
HISSAN_LAYOUT(BubunwaTashizan)
HISSAN_LAYOUT(ShosuTashizanDsp)
HISSAN_LAYOUT(HikizanDsp)
HISSAN_LAYOUT(ShosuHikizanDsp)
HISSAN_LAYOUT(KakezanDsp)
HISSAN_LAYOUT(ShosuKakezanDsp)
HISSAN_LAYOUT(WarizanDsp)
HISSAN_LAYOUT(ShosuWarizanDsp)
#undef HISSAN_LAYOUT

int HissanKindOf(const TShiki& s) {
    int kind = 0;
    switch (s.Enzanshi) {
        case '+':
            kind = 1;
            break;
        case '-':
            kind = 2;
            break;
        case '*':
            kind = 3;
            break;
        case '/':
            kind = 4;
            break;
        default:
            return 0;
    }
    return s.MaxShosuKeta > 0 ? kind + 4 : kind;
}

Layout LayoutOf(int hissanKind, const TJouken& jk) {
    static constexpr Layout kLayouts[9] = {
        nullptr,          TashizanDsp,     HikizanDsp,      KakezanDsp,      WarizanDsp,
        ShosuTashizanDsp, ShosuHikizanDsp, ShosuKakezanDsp, ShosuWarizanDsp,
    };
    if (hissanKind < 0 || hissanKind > 8) return nullptr;
    if (hissanKind == 1 && jk.BubunWa == 1) return BubunwaTashizan;
    return kLayouts[hissanKind];
}

}  // namespace hissan
