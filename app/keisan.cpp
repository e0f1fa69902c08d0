#include "app/keisan.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "dialogs/bun_ex.h"
#include "hissan/arith.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace app {

using hissan::Board;
using hissan::Colour;
using hissan::Message;
using hissan::Role;
using hissan::Trunc;

namespace {

constexpr Colour kPromptRed = Colour::fixed(255, 0, 0);

const char* const kKetaOver = "Keta Over!!";
const char* const kZenkouOver = "前項のケタ オーバー";
const char* const kKoukouOver = "後項のケタ オーバー";
const char* const kWarizanOver = "割る数、割られる数は１７桁以下までです。残念！";
const char* const kWarareruOver = "わられる数が、18ケタをオーバー!!";
const char* const kChuui = "ご注意！";

bool isOperator(char ch) {
    return ch == '+' || ch == '-' || ch == '*' || ch == '/';
}
bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}
bool isEntryChar(char ch) {
    return isDigit(ch) || isOperator(ch) || ch == '.' || ch == '=';
}
int len(const std::string& s) {
    return static_cast<int>(s.size());
}

// The layout of each HissanKind: 1-4 integers (+ - * /), 5-8 decimals.
using Layout = int (*)(Board&);
constexpr Layout kLayouts[9] = {
    nullptr,
    hissan::TashizanDsp,
    hissan::HikizanDsp,
    hissan::KakezanDsp,
    hissan::WarizanDsp,
    hissan::ShosuTashizanDsp,
    hissan::ShosuHikizanDsp,
    hissan::ShosuKakezanDsp,
    hissan::ShosuWarizanDsp,
};

int hissanKindOf(const hissan::TShiki& s) {
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

void putChar(Board& b, int x, int y, Colour colour, char ch) {
    hissan::MojiPut(b, x, y, colour, b.MojiSize, std::string_view(&ch, 1));
}

// One operand of the expression line: its integer digits, then its decimal
// digits with the point in the right fifth of the last integer cell.
void drawOperand(Board& b, const std::string& seisu, const std::string& shosu, int shosuKeta) {
    for (char c : seisu) {
        putChar(b, b.NextX, b.LineY, hissan::kDigit, c);
        b.NextX += b.CellW;
    }
    if (shosuKeta > 0) {
        const int x = Trunc(b.NextX - 0.2 * b.CellW);
        for (char c : shosu) {
            putChar(b, b.NextX, b.LineY, hissan::kDigit, c);
            b.NextX += b.CellW;
        }
        putChar(b, x, b.LineY, hissan::kPoint, '.');
    }
}

void drawShiki(Board& b) {
    const hissan::TShiki& s = b.shiki;
    b.canvas().setPart(hissan::Part::Expression);
    b.NextX = b.OriginX;
    b.LineY = b.OriginY - b.ScrollY + b.harufa();
    if (s.ZenkouSeisuKeta == 0) return;
    drawOperand(b, s.ZenkouSeisu, s.ZenkouShosu, s.ZenkouShosuKeta);
    if (s.Enzanshi == '!') return;
    putChar(b, b.NextX, b.LineY, hissan::kPoint, s.Enzanshi);
    b.NextX += b.CellW;
    if (s.KoukouSeisuKeta == 0) return;
    drawOperand(b, s.KoukouSeisu, s.KoukouShosu, s.KoukouShosuKeta);
    if (s.Kakutei == 0) return;
    if (b.jk->KAIGYO_FLAG == 1) {
        b.LineY = Trunc(b.LineY + 1.2 * b.LineH);
        b.NextX = b.OriginX;
    }
    putChar(b, b.NextX, b.LineY, hissan::kSign, '=');
    b.EqualX = b.NextX;
}

// The expression line and, once "=" was accepted, the layout. The busy
// cursor is shown around the layout when a host is given.
int dispatch(Board& b, KeisanHost* host) {
    b.Busy = 0;
    drawShiki(b);
    if (b.shiki.Kakutei == 0) return 0;
    b.restoreWork();
    b.Kotae.clear();
    b.NyuryokuKa = 0;
    if (host) host->setBusyCursor(true);
    b.Busy = 1;
    const int kind = hissanKindOf(b.shiki);
    Layout layout = kLayouts[kind];
    if (kind == 1 && b.jk->BubunWa == 1) layout = hissan::BubunwaTashizan;
    b.HissanKind = kind;
    if (layout) {
        b.cv->setPart(hissan::Part::Working);
        try {
            layout(b);
        } catch (const std::exception&) {
            // A layout that fails part-way leaves what it drew; the pupil is
            // told instead of losing the program.
            b.cv->setStepOnly(false);
            b.messages.push_back(
                Message{"この式の筆算を書けませんでした。", "お知らせ", Message::Warning});
        }
    }
    b.cv->setPart(hissan::Part::Expression);
    if (host) host->setBusyCursor(false);
    b.Busy = 0;
    return 1;
}

KeisanHost& silentHost() {
    static KeisanHost none;
    return none;
}

}  // namespace

Keisan::Keisan(hissan::TJouken& jk, const hissan::Metrics& metrics, KeisanHost* host)
    : jk_(jk),
      metrics_(&metrics),
      host_(host ? host : &silentHost()),
      canvas_(std::make_unique<hissan::RecordingCanvas>(metrics)) {
    b_.jk = &jk_;
    b_.cv = canvas_.get();
    b_.setMetrics(metrics, jk_.FONTSIZE);
    b_.CursorOn = 1;
    clearBoard();
}

Keisan::~Keisan() = default;

void Keisan::setHost(KeisanHost* host) {
    host_ = host ? host : &silentHost();
}

const hissan::DisplayList& Keisan::ops() const {
    return canvas_->ops();
}

void Keisan::notify(BoardChange change) {
    ++changes_;
    if (!quiet_) host_->boardChanged(change);
}

void Keisan::showMessage(const std::string& text, const std::string& title, Message::Icon icon) {
    if (!quiet_) host_->showMessage(Message{text, title, icon, Message::Nothing});
}

void Keisan::eraseCursor() {
    hissan::Canvas& cv = *b_.cv;
    cv.setBrushColour(Colour::of(Role::Background));
    cv.fillRect(b_.CursorX + 2, b_.CursorY + 2, b_.CursorX + b_.DigitW - 2,
                b_.CursorY + b_.CharH - 2);
}

std::string Keisan::Kotae() const {
    // An integer difference keeps the leading zeros of its columns ("01" for
    // 10-9); the answer after "=" is written without them, and that is the
    // answer everyone outside the layouts reads and hears.
    if (b_.Kotae.empty() || b_.Kotae.find('R') != std::string::npos) return b_.Kotae;
    return hissan::KotaeSeiri(b_.Kotae);
}

// ---- entry ------------------------------------------------------------------

void Keisan::MojiInput(char ch) {
    const unsigned long before = changes_;
    const size_t drawn = ops().size();
    input(ch);
    if (changes_ == before && ops().size() != drawn) notify(BoardChange::Typed);
}

void Keisan::input(char ch) {
    ErrorFlag = 0;
    if (!isEntryChar(ch)) return;
    if (b_.NyuryokuKa == 0) return;
    b_.LineY = b_.OriginY - b_.ScrollY + b_.harufa();
    if (KotaeZumi == 1) return;
    if (ShikiNyuryoku.empty()) {
        eraseCursor();
        ShikiClear();
        if (ch == '.') return;  // an expression cannot start with a point
    }
    if (jk_.YOMIAGEFLAG1 > 0 && !quiet_) host_->Yomiage(std::string(1, ch));
    if (ch == '=') {
        Equal();
        return;
    }

    hissan::TShiki& s = b_.shiki;
    if (isOperator(ch)) {
        if (ZenkouKeta == 0 || EnzanshiAri == 1) return;
        if (s.ZenkouSeisuKeta + s.ZenkouShosuKeta > 18) {
            showMessage(kWarareruOver, kChuui);
            return;
        }
        ShikiNyuryoku += ch;
        b_.NextX = (ZenkouKeta + ZenkouShosuKeta) * b_.CellW + b_.OriginX;
        putChar(b_, b_.NextX, b_.LineY, hissan::kSign, ch);
        EnzanshiNyuryoku = ch;
        s.Enzanshi = ch;
        EnzanshiAri = 1;
        return;
    }

    const bool second = EnzanshiAri == 1;
    int& ten = second ? KoukouTen : ZenkouTen;
    // Where a digit goes: the operand's integer digits until its point, then
    // its decimals; each with its count in TShiki and its entry counter.
    std::string& digits = second ? (ten == 0 ? s.KoukouSeisu : s.KoukouShosu)
                                 : (ten == 0 ? s.ZenkouSeisu : s.ZenkouShosu);
    int& shikiKeta = second ? (ten == 0 ? s.KoukouSeisuKeta : s.KoukouShosuKeta)
                            : (ten == 0 ? s.ZenkouSeisuKeta : s.ZenkouShosuKeta);
    int& keta = second ? (ten == 0 ? KoukouKeta : KoukouShosuKeta)
                       : (ten == 0 ? ZenkouKeta : ZenkouShosuKeta);
    if (ch == '.') {
        if (ten == 1) return;
        ten = 1;
    } else {
        digits += ch;
        ++shikiKeta;
        ++keta;
    }

    if (!KetaCheck()) {
        // Only the refused character goes; every digit accepted before it
        // stays on the board.
        if (ch == '.') {
            ten = 0;
        } else {
            digits.pop_back();
            --shikiKeta;
            --keta;
        }
        // A dividend of 18 digits can never be divided: the "/" after it is
        // taken back too, so another operator can be chosen.
        if (s.Enzanshi == '/' && s.ZenkouSeisuKeta + s.ZenkouShosuKeta > 17 &&
            !ShikiNyuryoku.empty() && ShikiNyuryoku.back() == '/')
            BackSpace();
        return;
    }

    ShikiNyuryoku += ch;
    b_.NextX =
        (ZenkouKeta + ZenkouShosuKeta + KoukouKeta + KoukouShosuKeta + EnzanshiAri - 1) * b_.CellW +
        b_.OriginX;
    int& tenX = second ? KoukouTenX : ZenkouTenX;
    if (ch == '.') {
        const int x = Trunc(b_.NextX + b_.CellW - 0.2 * b_.CellW);
        putChar(b_, x, b_.LineY, hissan::kPoint, '.');
        tenX = x;
    } else {
        putChar(b_, b_.NextX, b_.LineY, hissan::kDigit, ch);
        // The digit's background square may have covered the point.
        if (ten == 1) putChar(b_, tenX, b_.LineY, hissan::kPoint, '.');
    }
}

bool Keisan::KetaCheck() {
    const hissan::TShiki& s = b_.shiki;
    const int zen = s.ZenkouSeisuKeta + s.ZenkouShosuKeta;
    const int kou = s.KoukouSeisuKeta + s.KoukouShosuKeta;
    // Later tests overwrite the text of earlier ones; the last one is shown.
    std::string text;
    if (s.ZenkouSeisuKeta > 18 || s.ZenkouShosuKeta > 18 || s.KoukouSeisuKeta > 18 ||
        s.KoukouShosuKeta > 18)
        text = kKetaOver;
    if (s.Enzanshi == '*') {
        if (zen + kou > 29) text = kKetaOver;
        if (zen > 18) text = kZenkouOver;
        if (kou > 18) text = kKoukouOver;
        if (zen + kou > 29) text = kKetaOver;
    }
    if (s.Enzanshi == '/' && (zen > 17 || kou > 17)) text = kWarizanOver;
    if (text.empty()) return true;
    showMessage(text, kChuui);
    return false;
}

void Keisan::Equal() {
    const bool stepping = jk_.STEPFLAG == 1 && !quiet_;
    if (stepping) host_->setInputWindowsEnabled(false);
    if (EnzanshiAri == 0 || KoukouKeta == 0) {
        if (stepping) host_->setInputWindowsEnabled(true);
        return;
    }
    const size_t start = ops().size();
    hissan::TShiki& s = b_.shiki;
    KotaeZumi = 1;
    b_.NyuryokuKa = 1;
    eraseCursor();
    b_.EqualX = b_.NextX;
    b_.EqualY = b_.LineY;
    s.Enzanshi = EnzanshiNyuryoku;

    // A rebuild only redraws a calculation accepted before: it neither
    // checks again nor prepares the division again.
    if (!quiet_) {
        if (s.Enzanshi == '/') {
            // "Until exact" always works to 10 places; the preparation must
            // see that too, or its quotient would stop at the old place.
            if (jk_.SHOU_ITI == 2) jk_.POINTMAX = 10;
            b_.wz = hissan::WarizanJunbi(s.ZenkouSeisu, s.ZenkouShosu, s.KoukouSeisu, s.KoukouShosu,
                                         jk_.POINTMAX, jk_.SHOU_ITI);
            if (b_.wz.WarizanKekka == 0) {
                showMessage("０で割ることはできません。", "警告！");
                ErrorFlag = 1;
            }
        } else if (s.Enzanshi == '-') {
            if (hissan::HikizanCheck(s.ZenkouSeisu, s.KoukouSeisu, s.ZenkouShosu, s.KoukouShosu) <
                0) {
                showMessage("引く数の方が大きい．", "注意!", Message::Exclamation);
                ErrorFlag = 1;
            }
        }
    }
    if (ErrorFlag == 1) {
        s.Kakutei = 0;
        KotaeZumi = 0;
        b_.NyuryokuKa = 1;
        if (stepping) host_->setInputWindowsEnabled(true);
        return;
    }

    ShikiNyuryoku += '=';
    ShikiSave();
    s.Kakutei = 1;
    b_.messages.clear();
    HissanDispatch(*canvas_);
    runStart_ = start;
    if (quiet_) {
        b_.messages.clear();
        return;
    }
    notify(BoardChange::Run);
    const std::vector<Message> messages = std::move(b_.messages);
    b_.messages.clear();
    for (const Message& m : messages) host_->showMessage(m);

    host_->wordProblem(b_.Kotae.find('R') != std::string::npos ? 4 : 0);
    if (jk_.YOMIAGEFLAG2 > 0) {
        host_->Yomiage(ShikiNyuryoku + "イコール");
        host_->Yomiage(dialogs::KotaeYomi(ShikiNyuryoku, Kotae()));
    }
    if (jk_.STEPFLAG == 1 || jk_.AUTOSTEP == 1) host_->setInputWindowsEnabled(true);
}

void Keisan::BackSpace() {
    if (KotaeZumi == 1 || ShikiNyuryoku.empty()) return;
    ShikiNyuryoku.pop_back();
    ShikiClear();
    R1Click();
    Hukkatu();
}

void Keisan::VK_DeleteKey() {
    if (!ShikiNyuryoku.empty()) R1Click();
}

void Keisan::Hukkatu() {
    if (!ShikiNyuryoku.empty() || MaeShiki.empty()) return;
    const size_t eq = MaeShiki.find('=');
    if (eq != std::string::npos) MaeShiki.erase(eq);
    ShikiNyuryoku.clear();
    ShikiClear();
    const std::string text = MaeShiki;  // MojiInput may rewrite MaeShiki
    for (char ch : text) MojiInput(ch);
}

void Keisan::ReCalcButtonClick() {
    VK_DeleteKey();
    const std::string text = MaeShiki;
    for (char ch : text) MojiInput(ch);
    if (!quiet_) host_->wordProblemRedraw();
}

void Keisan::TypePi() {
    MojiInput('3');
    if (jk_.PaiKeta <= 1) return;
    MojiInput('.');
    MojiInput('1');
    // Characters 4 .. PaiKeta + 1 of PaiText ("3.14159..."), 1-based.
    for (int i = 4; i <= jk_.PaiKeta + 1 && i <= len(jk_.PaiText); ++i)
        MojiInput(jk_.PaiText[i - 1]);
}

void Keisan::R1Click() {
    MaeShiki = ShikiNyuryoku;
    clearBoard();
    notify(BoardChange::Cleared);
}

void Keisan::clearBoard() {
    b_.ScrollY = 0;
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    canvas_->clear();
    b_.cv = canvas_.get();
    hissan::Canvas& cv = *canvas_;
    cv.setStepOnly(false);
    cv.setPart(hissan::Part::Expression);
    cv.setFontStyle(false, false);
    cv.setFontSize(b_.MojiSize);
    cv.setFontColour(kPromptRed);
    cv.textOut(b_.OriginX - b_.CellW, b_.OriginY - b_.ScrollY + b_.harufa(), "◆");
    b_.NyuryokuKa = 1;
    b_.CursorX = b_.OriginX;
    b_.CursorY = b_.OriginY + b_.harufa();
    KotaeZumi = 0;
    cv.setFontColour(hissan::kDigit);

    ShikiNyuryoku.clear();
    b_.Kotae.clear();
    b_.KotaeSeisu.clear();
    b_.KotaeShosu.clear();
    b_.w.Zenkou.clear();
    b_.w.Koukou.clear();
    b_.w.ZenkouShosu.clear();
    b_.w.KoukouShosu.clear();

    ZenkouTen = KoukouTen = 0;
    PrevEnzanshi = EnzanshiNyuryoku;
    EnzanshiNyuryoku = '!';
    ZenkouKeta = ZenkouShosuKeta = KoukouKeta = KoukouShosuKeta = 0;
    b_.w.MaxSeisuKeta = b_.w.MaxShosuKeta = b_.w.MaxKeta = 0;
    EnzanshiAri = 0;
    b_.messages.clear();
    runStart_ = ops().size();
}

// ---- expression record --------------------------------------------------------

void Keisan::ShikiSave() {
    hissan::TShiki& s = b_.shiki;
    s.Shiki = ShikiNyuryoku;
    s.ZenkouSeisuKeta = ZenkouKeta;
    s.ZenkouShosuKeta = ZenkouShosuKeta;
    s.KoukouSeisuKeta = KoukouKeta;
    s.KoukouShosuKeta = KoukouShosuKeta;
    s.Enzanshi = EnzanshiNyuryoku;
    s.MaxSeisuKeta = std::max(ZenkouKeta, KoukouKeta);
    s.MaxShosuKeta = std::max(ZenkouShosuKeta, KoukouShosuKeta);
    s.MaxKeta = std::max(ZenkouKeta + ZenkouShosuKeta, KoukouKeta + KoukouShosuKeta);
}

void Keisan::ShikiClear() {
    b_.shiki.clear();
}

void Keisan::ShikiRestore() {
    b_.restoreWork();
}

void Keisan::ShikiDsp() {
    drawShiki(b_);
}

int Keisan::HissanDispatch(hissan::Canvas& cv) {
    hissan::Canvas* const live = b_.cv;
    b_.cv = &cv;
    const int r = dispatch(b_, quiet_ ? nullptr : host_);
    b_.cv = live;
    return r;
}

// ---- the board ------------------------------------------------------------------

void Keisan::rebuild() {
    // Type the expression again on a new list, quietly: no speech, no
    // messages, no notifications, no new division preparation.
    const std::string typed = ShikiNyuryoku;
    const std::string mae = MaeShiki;
    const char prev = PrevEnzanshi;
    const int cursorOn = b_.CursorOn;
    quiet_ = true;
    clearBoard();
    for (char ch : typed) input(ch);
    quiet_ = false;
    MaeShiki = mae;
    PrevEnzanshi = prev;
    b_.CursorOn = cursorOn;
    runStart_ = ops().size();
    notify(BoardChange::Relaid);
}

void Keisan::relayout() {
    rebuild();
}

void Keisan::relayout(const hissan::Metrics& metrics) {
    metrics_ = &metrics;
    canvas_ = std::make_unique<hissan::RecordingCanvas>(metrics);
    b_.cv = canvas_.get();
    b_.setMetrics(metrics, jk_.FONTSIZE);
    // A font chosen during the run writes carries at half the board size
    // (start-up uses 0.4 of it).
    b_.KomojiSize = b_.MojiSize / 2;
    rebuild();
}

hissan::DisplayList Keisan::printLayout(const hissan::Metrics& printerMetrics,
                                        hissan::Board* pageBoard, size_t* layoutStart) const {
    if (ShikiNyuryoku.empty()) return {};
    hissan::RecordingCanvas cv(printerMetrics);
    Board page = b_;
    page.cv = &cv;
    page.setMetrics(printerMetrics, b_.MojiSize, true);
    page.KomojiSize = b_.KomojiSize;  // the page measures anew but keeps the sizes
    page.ScrollY = 0;
    page.messages.clear();
    if (layoutStart) {
        // The run begins with the expression line, drawn the same way alone.
        hissan::RecordingCanvas line(printerMetrics);
        Board alone = page;
        alone.cv = &line;
        drawShiki(alone);
        *layoutStart = line.ops().size();
    }
    dispatch(page, nullptr);
    page.cv = nullptr;
    page.messages.clear();
    if (pageBoard) *pageBoard = page;
    return cv.take();
}

}  // namespace app
