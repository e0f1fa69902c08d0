// Long division with decimals: both points move right by the divisor's
// decimals so that the divisor becomes a whole number. The typed points are
// marked, the new points drawn, zeros appended where the dividend needs more
// places; the quotient's point stands over the dividend's new point, the
// remainder's point under the dividend's typed point.
#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

#include "hissan/arith.h"
#include "hissan/columns.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"
#include "hissan/warizan.h"

namespace hissan {

namespace {

int Len(const std::string& s) {
    return static_cast<int>(s.size());
}

std::string_view Ch(const std::string& s, int i) {
    return std::string_view(&s[static_cast<size_t>(i)], 1);
}

}  // namespace

int body::ShosuWarizanDsp(Run& b) {
    const TJouken& jk = *b.jk;
    const WorkCopy& w = b.w;
    const int C = b.CellW;
    const int L = b.LineH;
    const int size = b.MojiSize;

    if (!WarizanJunbiAgain(b)) return 1;
    const WarizanJouken jc = WarizanJoukenOf(b);

    const std::string& zi = w.Zenkou;
    const std::string& zf = w.ZenkouShosu;
    const std::string& ki = w.Koukou;
    const std::string& kf = w.KoukouShosu;
    const int Di = Len(zi), Df = Len(zf), Dt = Di + Df;
    const int Li = Len(ki), Lf = Len(kf), Lt = Li + Lf;
    const int shift = Lf;
    const int wd = jc.w;
    // Zeros the dividend needs for the moved point and the quotient decimals.
    const int appended = std::max(0, shift + wd - Df);

    WarizanWaku f;
    const int kaigyo = jk.KAIGYO_FLAG == 1 ? L : 0;
    f.KakkoX = b.OriginX + (Lt + 3) * C;
    f.WarareruY = b.OriginY + 4 * L + b.harufa() - b.ScrollY + kaigyo;
    f.KakkoY = Trunc(f.WarareruY - 0.1 * L);
    f.ShouY = Trunc(b.OriginY + 2.7 * L - b.ScrollY + b.harufa()) + kaigyo;
    f.TypedTenX = Trunc(f.colX(b, Di + 1) - 0.2 * C);
    f.ShouTenX = Trunc(f.colX(b, Di + shift + 1) - 0.2 * C);
    f.digits = zi + zf + std::string(static_cast<size_t>(appended), '0');
    f.walk = Di + shift + wd;
    f.shouIchi = Di + shift;
    f.amariIchi = Di;
    f.divisorDigits = SentouZeroKesi(ki + kf);
    const std::string& dd = f.divisorDigits;
    std::from_chars(dd.data(), dd.data() + dd.size(), f.divisor);
    const int WY = f.WarareruY;

    // The dividend with its typed point.
    Canvas& cv = b.canvas();
    cv.setPart(Part::Operand);
    for (int p = 1; p <= Di; ++p) MojiDsp(b, f.colX(b, p), WY, kDigit, size, Ch(zi, p - 1), 0, 1);
    if (Df > 0) {
        MojiDsp(b, f.TypedTenX, WY, kPoint, size, ".", 0, 0);
        for (int j = 1; j <= Df; ++j)
            MojiDsp(b, f.colX(b, Di + j), WY, kDigit, size, Ch(zf, j - 1), 0, 1);
        MojiDsp(b, f.TypedTenX, WY, kPoint, size, ".", 0, 1);
    }
    // The bracket and its line.
    const int gx = Trunc(f.KakkoX - 2.7 * C);
    f.MigiX = f.colX(b, Dt + 1);
    cv.setPart(Part::DivisionFrame);
    MojiPut(b, gx, Trunc(WY - 0.2 * L), kRule, Trunc(1.3 * size), ")");
    SenDspWait(b, gx, f.KakkoY, f.MigiX, f.KakkoY, 4, kRule, 1);
    cv.setPart(Part::Operand);
    MojiPut(b, f.colX(b, 1), WY, kDigit, size, Ch(zi, 0));
    if (Df > 0) MojiPut(b, f.TypedTenX, WY, kPoint, size, ".");

    // The divisor with its point.
    const int dx0 = Trunc(f.KakkoX - C * (Lt + 3.3) + C / 3);
    for (int t = 0; t < Li; ++t) MojiDsp(b, dx0 + t * C, WY, kDigit, size, Ch(ki, t), 0, 1);
    const int dpx = Trunc(f.KakkoX + C * (Li - Lt - 3.3) + 0.2 * C);
    if (Lf > 0) {
        MojiDsp(b, dpx, WY, kPoint, size, ".", 0, 1);
        for (int t = 0; t < Lf; ++t)
            MojiDsp(b, dpx + C / 3 + t * C, WY, kDigit, size, Ch(kf, t), 0, 1);
    }
    f.divisorLastX = Lf > 0 ? dpx + C / 3 + (Lf - 1) * C : dx0 + (Li - 1) * C;

    // The points move: both typed points are marked where they were, the
    // new points stand after the divisor and `shift` places right in the
    // dividend.
    // A whole dividend had no typed point: its mark is the pupil's working.
    if (shift > 0) {
        MojiDsp(b, dpx, WY, kPoint, size, ".", 1, 1);
        if (Df == 0) cv.setPart(Part::Working);
        MojiDsp(b, f.TypedTenX, WY, kPoint, size, ".", 1, 1);
        cv.setPart(Part::Working);
        MojiDsp(b, f.KakkoX - 3 * C, WY, kSilver, size, ".", 0, 1);
    }
    cv.setPart(Part::Working);
    if (appended > 0) {
        for (int j = 1; j <= appended; ++j) MojiDsp(b, f.colX(b, Dt + j), WY, kAux, size, 0, 0, 1);
        f.MigiX = f.colX(b, Dt + appended + 1);
        // The bracket's line reaches over the appended zeros.
        PartScope frame(cv, Part::DivisionFrame);
        SenDspWait(b, gx, f.KakkoY, f.MigiX, f.KakkoY, 4, kRule, 1);
    }
    if (shift > 0) MojiDsp(b, f.ShouTenX, WY, kNewPoint, size, ".", 0, 1);

    StepMachi(b);
    WarizanKiroku k;
    int amariY = 0;
    const bool shouZero = b.out.wz.ShouMoji.find_first_not_of("0.") == std::string::npos;
    if (shouZero) {
        // Quotient 0: a 0 over the last walked digit, 0 as product, the rule
        // and the dividend again as remainder.
        k.shou.assign(static_cast<size_t>(f.walk), ' ');
        const int x = f.colX(b, f.walk);
        cv.setPart(Part::Answer);
        MojiDsp(b, x, Trunc(WY - 1.3 * L), kDigit, size, 0, 0, 1);
        k.shou.back() = '0';
        cv.setPart(Part::Working);
        MojiDsp(b, x, Trunc(WY + 1.2 * L), kDigit, size, 0, 0, 1);
        k.ruleY = Trunc(f.KakkoY + 2.5 * L);
        SenDspWait(b, Trunc(f.KakkoX - 2.2 * C), k.ruleY, f.MigiX, k.ruleY, 4, kRule, 1);
        amariY = Trunc(WY + 2.6 * L);
        for (int p = 1; p <= Di; ++p)
            MojiDsp(b, f.colX(b, p), amariY, kDigit, size, Ch(zi, p - 1), 0, 1);
        for (int j = 1; j <= Df; ++j)
            MojiDsp(b, f.colX(b, Di + j), amariY, kDigit, size, Ch(zf, j - 1), 0, 1);
        if (Df > 0) MojiDsp(b, f.TypedTenX, amariY, kPoint, size, ".", 0, 1);
        ShouShiage(b, f, k, wd);
        const std::string r = jc.round ? ShishaGonyuDsp(b, f) : std::string();
        WarizanKotae(b, r, jc.round);
        return 1;
    }

    const int rc = WarizanStep(b, f, k);
    if (rc < 0) return rc;
    amariY = k.AmariY;

    // The dividend's digits beyond the walked ones come down into the last
    // remainder row: the remainder keeps their places.
    const bool amari0 = KotaeSeiri(b.out.wz.AmariMoji) == "0";
    int rowRight = k.lastRowRight;
    cv.setPart(Part::Working);
    if (k.steps > 0 && !amari0) {
        for (int p = std::max(rowRight, f.walk) + 1; p <= Len(f.digits); ++p) {
            StepMachi(b);
            MojiDsp(b, f.colX(b, p), amariY, kDigit, size, Ch(f.digits, p - 1), 0, 1);
            rowRight = p;
        }
    }

    ShouShiage(b, f, k, wd);
    std::string rounded;
    if (jc.round) rounded = ShishaGonyuDsp(b, f);

    const char lastQ = k.shou.empty() ? '0' : k.shou.back();
    if (amari0 && lastQ == '0' && b.out.wz.ShouShosuKeta == 0 && rowRight <= f.walk) {
        // Exact, ending in zeros: one 0 in the last column.
        cv.setPart(Part::Answer);
        Sleep(b);
        cv.setBrushColour(Colour::of(Role::Background));
        cv.fillRect(f.colX(b, 1), amariY, f.colX(b, f.walk), amariY + b.CellW);
        for (int p = std::max(1, k.lastRowLeft); p < f.walk && p <= rowRight; ++p)
            MojiPut(b, f.colX(b, p), amariY, kDigit, size, " ");
        MojiDsp(b, f.colX(b, f.walk), amariY, kPoint, size, 0, 0, 1);
    } else {
        AmariShiage(b, f, k, amariY, rowRight, 0);
    }
    HojoSen(b, f, amariY);

    WarizanMeishou(b, f.MigiX + C / 2, WY, amariY, jc.round, dx0, Len(f.divisorDigits), 1, true,
                   f.colX(b, 1));
    WarizanKotae(b, rounded, jc.round);
    return 1;
}

}  // namespace hissan
