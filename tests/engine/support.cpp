#include "tests/engine/support.h"

#include <algorithm>

#include "hissan/primitives.h"

namespace hissan::test {

namespace {

void split(const std::string& operand, std::string& seisu, std::string& shosu) {
    const auto dot = operand.find('.');
    seisu = operand.substr(0, dot);
    shosu = dot == std::string::npos ? std::string() : operand.substr(dot + 1);
}

}  // namespace

void BoardFixture::load(const std::string& a, char op, const std::string& c) {
    TShiki s;
    split(a, s.ZenkouSeisu, s.ZenkouShosu);
    split(c, s.KoukouSeisu, s.KoukouShosu);
    s.ZenkouSeisuKeta = static_cast<int>(s.ZenkouSeisu.size());
    s.ZenkouShosuKeta = static_cast<int>(s.ZenkouShosu.size());
    s.KoukouSeisuKeta = static_cast<int>(s.KoukouSeisu.size());
    s.KoukouShosuKeta = static_cast<int>(s.KoukouShosu.size());
    s.Enzanshi = op;
    s.Shiki = a + op + c + "=";
    s.MaxSeisuKeta = std::max(s.ZenkouSeisuKeta, s.KoukouSeisuKeta);
    s.MaxShosuKeta = std::max(s.ZenkouShosuKeta, s.KoukouShosuKeta);
    s.MaxKeta =
        std::max(s.ZenkouSeisuKeta + s.ZenkouShosuKeta, s.KoukouSeisuKeta + s.KoukouShosuKeta);
    s.Kakutei = 1;

    b.shiki = s;
    b.w = workCopyOf(s);

    // The "=" follows the typed characters on the expression line.
    const std::string typedText = a + op + c;
    const int typed = static_cast<int>(
        std::count_if(typedText.begin(), typedText.end(), [](char ch) { return ch != '.'; }));
    b.LineY = b.OriginY - b.ScrollY + b.harufa();
    b.EqualX = b.OriginX + typed * b.CellW;
    b.EqualY = b.LineY + b.harufa();
    if (jk.KAIGYO_FLAG == 1) b.EqualX = b.OriginX;
    b.typing = false;
    b.stepPoints = true;
    b.out = {};
    canvas.clear();
}

}  // namespace hissan::test
