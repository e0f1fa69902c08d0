#include "core/keisan.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "core/bun_ex.h"
#include "hissan/arith.h"
#include "hissan/layouts.h"
#include "hissan/primitives.h"

namespace app {

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

// Hints for a key that cannot act now, shown on the board's status line.
const char* const kHintNumberFirst = "はじめに数を入れてください。";
const char* const kHintOneOperator = "＋ － × ÷ は１つの式に１つだけです。";
const char* const kHintOperatorNext = "＋ － × ÷ のどれかと、つぎの数を入れてください。";
const char* const kHintSecondNumber = "つぎの数を入れてから ＝ です。";
const char* const kHintNextProblem = "答えが出ました。つぎの問題は Delete キーか「消去」で。";

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

// The expression line as drawn: the running position after it and, once
// "=" is drawn, where it stands.
struct ShikiLine {
    int nextX = 0;
    int lineY = 0;
    int equalX = 0;
};

void putChar(hissan::Run& r, int x, int y, Colour colour, char ch) {
    hissan::MojiPut(r, x, y, colour, r.MojiSize, std::string_view(&ch, 1));
}

// One operand of the expression line: its integer digits, then its decimal
// digits with the point in the right fifth of the last integer cell.
void drawOperand(hissan::Run& r, const std::string& seisu, const std::string& shosu,
                 int shosuKeta) {
    for (char c : seisu) {
        putChar(r, r.NextX, r.LineY, hissan::kDigit, c);
        r.NextX += r.CellW;
    }
    if (shosuKeta > 0) {
        const int x = Trunc(r.NextX - 0.2 * r.CellW);
        for (char c : shosu) {
            putChar(r, r.NextX, r.LineY, hissan::kDigit, c);
            r.NextX += r.CellW;
        }
        putChar(r, x, r.LineY, hissan::kPoint, '.');
    }
}

// The expression line from TShiki; while the board takes input each
// character's background square is a whole cell.
ShikiLine drawShiki(hissan::Canvas& cv, const hissan::TJouken& jk, const hissan::Grid& grid,
                    const hissan::TShiki& s, bool typing) {
    hissan::Run r(cv, jk, grid);
    r.typing = typing;
    ShikiLine line;
    cv.setPart(hissan::Part::Expression);
    r.NextX = r.OriginX;
    r.LineY = r.OriginY - r.ScrollY + r.harufa();
    auto done = [&] {
        line.nextX = r.NextX;
        line.lineY = r.LineY;
        return line;
    };
    if (s.ZenkouSeisuKeta == 0) return done();
    drawOperand(r, s.ZenkouSeisu, s.ZenkouShosu, s.ZenkouShosuKeta);
    if (s.Enzanshi == '!') return done();
    putChar(r, r.NextX, r.LineY, hissan::kPoint, s.Enzanshi);
    r.NextX += r.CellW;
    if (s.KoukouSeisuKeta == 0) return done();
    drawOperand(r, s.KoukouSeisu, s.KoukouShosu, s.KoukouShosuKeta);
    if (s.Kakutei == 0) return done();
    if (jk.KAIGYO_FLAG == 1) {
        r.LineY = Trunc(r.LineY + 1.2 * r.LineH);
        r.NextX = r.OriginX;
    }
    putChar(r, r.NextX, r.LineY, hissan::kSign, '=');
    line.equalX = r.NextX;
    return done();
}

// What drawing a calculation found.
struct Drawn {
    bool finished = false;  // "=" was accepted: the layout ran
    int kind = 0;
    hissan::LayoutResult result;
};

// The expression line and, once "=" was accepted, the layout. The busy
// cursor is reported around the layout when a report is given.
Drawn drawCalculation(hissan::Canvas& cv, const hissan::TJouken& jk, const hissan::Grid& grid,
                      const hissan::TShiki& s, bool typing, int equalY, EntryReport* report) {
    Drawn d;
    const ShikiLine line = drawShiki(cv, jk, grid, s, typing);
    if (s.Kakutei == 0) return d;
    d.finished = true;
    d.kind = hissan::HissanKindOf(s);
    const hissan::Layout layout = hissan::LayoutOf(d.kind, jk);
    if (!layout) return d;
    auto busy = [&](bool on) {
        if (!report) return;
        EntryEvent e;
        e.kind = EntryEvent::Busy;
        e.on = on;
        report->events.push_back(std::move(e));
    };
    busy(true);
    cv.setPart(hissan::Part::Working);
    d.result = layout(hissan::Expression{s, line.equalX, equalY}, jk, grid, cv);
    cv.setPart(hissan::Part::Expression);
    busy(false);
    return d;
}

EntryEvent speakEvent(const std::string& text) {
    EntryEvent e;
    e.kind = EntryEvent::Speak;
    e.text = text;
    return e;
}

EntryEvent inputWindowsEvent(bool on) {
    EntryEvent e;
    e.kind = EntryEvent::InputWindows;
    e.on = on;
    return e;
}

}  // namespace

std::vector<hissan::Message> EntryReport::messages() const {
    std::vector<hissan::Message> out;
    for (const EntryEvent& e : events)
        if (e.kind == EntryEvent::ShowMessage) out.push_back(e.message);
    return out;
}

std::vector<std::string> EntryReport::readings() const {
    std::vector<std::string> out;
    for (const EntryEvent& e : events)
        if (e.kind == EntryEvent::Speak) out.push_back(e.text);
    return out;
}

std::string EntryReport::hint() const {
    for (const EntryEvent& e : events)
        if (e.kind == EntryEvent::Hint) return e.text;
    return {};
}

std::vector<BoardChange> EntryReport::changes() const {
    std::vector<BoardChange> out;
    for (const EntryEvent& e : events)
        if (e.kind == EntryEvent::Board) out.push_back(e.change);
    return out;
}

// Collects the events of one public operation. Operations call each other
// (BackSpace types the rest again): the outermost one owns the report and
// the inner ones add to it and return nothing of their own.
class Keisan::Reporting {
  public:
    explicit Reporting(Keisan& k) : k_(k), outer_(k.report_ != nullptr) {
        if (!outer_) k_.report_ = &own_;
    }
    ~Reporting() {
        if (!outer_) k_.report_ = nullptr;
    }
    Reporting(const Reporting&) = delete;
    Reporting& operator=(const Reporting&) = delete;
    EntryReport take() { return outer_ ? EntryReport{} : std::move(own_); }

  private:
    Keisan& k_;
    bool outer_;
    EntryReport own_;
};

Keisan::Keisan(hissan::TJouken& jk, const hissan::Metrics& metrics)
    : jk_(jk), metrics_(&metrics), canvas_(std::make_unique<hissan::RecordingCanvas>(metrics)) {
    grid_.setMetrics(metrics, jk_.FONTSIZE);
    cursorOn_ = 1;
    clearBoard();
}

Keisan::~Keisan() = default;

const hissan::DisplayList& Keisan::ops() const {
    return canvas_->ops();
}

void Keisan::notify(BoardChange change) {
    ++changes_;
    if (quiet_) return;
    EntryEvent e;
    e.kind = EntryEvent::Board;
    e.change = change;
    record(std::move(e));
}

void Keisan::record(EntryEvent event) {
    if (report_) report_->events.push_back(std::move(event));
}

void Keisan::hint(const char* text) {
    if (quiet_ || !report_ || !report_->hint().empty()) return;
    EntryEvent e;
    e.kind = EntryEvent::Hint;
    e.text = text;
    record(std::move(e));
}

void Keisan::showMessage(const std::string& text, const std::string& title, Message::Icon icon) {
    if (quiet_) return;
    EntryEvent e;
    e.kind = EntryEvent::ShowMessage;
    e.message = Message{text, title, icon, Message::Nothing};
    record(std::move(e));
}

void Keisan::eraseCursor() {
    hissan::Canvas& cv = *canvas_;
    cv.setBrushColour(Colour::of(Role::Background));
    cv.fillRect(cursorX_ + 2, cursorY_ + 2, cursorX_ + grid_.DigitW - 2,
                cursorY_ + grid_.CharH - 2);
}

void Keisan::putChar(int x, int y, Colour colour, char ch) {
    hissan::Run r(*canvas_, jk_, grid_);
    r.typing = nyuryokuKa_ == 1;
    ::app::putChar(r, x, y, colour, ch);
    // A point stands between cells: the cursor stays where it was.
    if (ch != '.') cursorX_ = x + grid_.CellW;
}

bool Keisan::blinkCursor() {
    if (nyuryokuKa_ == 0 && cursorOn_ == 1) return false;
    cursorOn_ = 1 - cursorOn_;
    return true;
}

std::string Keisan::Kotae() const {
    // An integer difference keeps the leading zeros of its columns ("01" for
    // 10-9); the answer after "=" is written without them, and that is the
    // answer everyone outside the layouts reads and hears.
    const std::string& kotae = result_.Kotae;
    if (kotae.empty() || kotae.find('R') != std::string::npos) return kotae;
    return hissan::KotaeSeiri(kotae);
}

// ---- entry ------------------------------------------------------------------

EntryReport Keisan::MojiInput(char ch) {
    Reporting reporting(*this);
    const unsigned long before = changes_;
    const size_t drawn = ops().size();
    input(ch);
    if (changes_ == before && ops().size() != drawn) notify(BoardChange::Typed);
    return reporting.take();
}

void Keisan::input(char ch) {
    ErrorFlag_ = 0;
    if (!isEntryChar(ch)) return;
    // A finished calculation takes no more input: Delete starts the next.
    if (nyuryokuKa_ == 0) {
        if (KotaeZumi_ == 1) hint(kHintNextProblem);
        return;
    }
    lineY_ = grid_.OriginY - grid_.ScrollY + jk_.HARUFA;
    if (KotaeZumi_ == 1) {
        hint(kHintNextProblem);
        return;
    }
    if (ShikiNyuryoku_.empty()) {
        eraseCursor();
        ShikiClear();
        if (ch == '.') return;  // an expression cannot start with a point
    }
    if (jk_.YOMIAGEFLAG1 > 0 && !quiet_) record(speakEvent(std::string(1, ch)));
    if (ch == '=') {
        Equal();
        return;
    }

    hissan::TShiki& s = shiki_;
    if (isOperator(ch)) {
        if (ZenkouKeta_ == 0 || EnzanshiAri_ == 1) {
            hint(EnzanshiAri_ == 1 ? kHintOneOperator : kHintNumberFirst);
            return;
        }
        if (s.ZenkouSeisuKeta + s.ZenkouShosuKeta > 18) {
            showMessage(kWarareruOver, kChuui);
            return;
        }
        ShikiNyuryoku_ += ch;
        nextX_ = (ZenkouKeta_ + ZenkouShosuKeta_) * grid_.CellW + grid_.OriginX;
        putChar(nextX_, lineY_, hissan::kSign, ch);
        EnzanshiNyuryoku_ = ch;
        s.Enzanshi = ch;
        EnzanshiAri_ = 1;
        return;
    }

    const bool second = EnzanshiAri_ == 1;
    int& ten = second ? KoukouTen_ : ZenkouTen_;
    // Where a digit goes: the operand's integer digits until its point, then
    // its decimals; each with its count in TShiki and its entry counter.
    std::string& digits = second ? (ten == 0 ? s.KoukouSeisu : s.KoukouShosu)
                                 : (ten == 0 ? s.ZenkouSeisu : s.ZenkouShosu);
    int& shikiKeta = second ? (ten == 0 ? s.KoukouSeisuKeta : s.KoukouShosuKeta)
                            : (ten == 0 ? s.ZenkouSeisuKeta : s.ZenkouShosuKeta);
    int& keta = second ? (ten == 0 ? KoukouKeta_ : KoukouShosuKeta_)
                       : (ten == 0 ? ZenkouKeta_ : ZenkouShosuKeta_);
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
            !ShikiNyuryoku_.empty() && ShikiNyuryoku_.back() == '/')
            BackSpace();
        return;
    }

    ShikiNyuryoku_ += ch;
    nextX_ = (ZenkouKeta_ + ZenkouShosuKeta_ + KoukouKeta_ + KoukouShosuKeta_ + EnzanshiAri_ - 1) *
                 grid_.CellW +
             grid_.OriginX;
    int& tenX = second ? KoukouTenX_ : ZenkouTenX_;
    if (ch == '.') {
        const int x = Trunc(nextX_ + grid_.CellW - 0.2 * grid_.CellW);
        putChar(x, lineY_, hissan::kPoint, '.');
        tenX = x;
    } else {
        putChar(nextX_, lineY_, hissan::kDigit, ch);
        // The digit's background square may have covered the point.
        if (ten == 1) putChar(tenX, lineY_, hissan::kPoint, '.');
    }
}

bool Keisan::KetaCheck() {
    const std::string text = KetaOver(shiki_);
    if (text.empty()) return true;
    showMessage(text, kChuui);
    return false;
}

std::string Keisan::KetaOver(const hissan::TShiki& s) {
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
    return text;
}

void Keisan::Equal() {
    const bool stepping = jk_.STEPFLAG == 1 && !quiet_;
    if (stepping) record(inputWindowsEvent(false));
    if (EnzanshiAri_ == 0 || KoukouKeta_ == 0) {
        hint(ZenkouKeta_ == 0    ? kHintNumberFirst
             : EnzanshiAri_ == 0 ? kHintOperatorNext
                                 : kHintSecondNumber);
        if (stepping) record(inputWindowsEvent(true));
        return;
    }
    const size_t start = ops().size();
    hissan::TShiki& s = shiki_;
    KotaeZumi_ = 1;
    nyuryokuKa_ = 1;
    eraseCursor();
    equalX_ = nextX_;
    equalY_ = lineY_;
    s.Enzanshi = EnzanshiNyuryoku_;

    // A rebuild only redraws a calculation accepted before: it neither
    // checks again nor prepares the division again.
    if (!quiet_) {
        if (s.Enzanshi == '/') {
            // "Until exact" always works to 10 places; the preparation must
            // see that too, or its quotient would stop at the old place.
            if (jk_.SHOU_ITI == 2) jk_.POINTMAX = 10;
            const hissan::WarizanResult wz =
                hissan::WarizanJunbi(s.ZenkouSeisu, s.ZenkouShosu, s.KoukouSeisu, s.KoukouShosu,
                                     jk_.POINTMAX, jk_.SHOU_ITI);
            if (wz.WarizanKekka == 0) {
                showMessage("０で割ることはできません。", "警告！");
                ErrorFlag_ = 1;
            }
        } else if (s.Enzanshi == '-') {
            if (hissan::HikizanCheck(s.ZenkouSeisu, s.KoukouSeisu, s.ZenkouShosu, s.KoukouShosu) <
                0) {
                showMessage("引く数の方が大きい．", "注意!", Message::Exclamation);
                ErrorFlag_ = 1;
            }
        }
    }
    if (ErrorFlag_ == 1) {
        s.Kakutei = 0;
        KotaeZumi_ = 0;
        nyuryokuKa_ = 1;
        if (stepping) record(inputWindowsEvent(true));
        return;
    }

    ShikiNyuryoku_ += '=';
    ShikiSave();
    s.Kakutei = 1;
    HissanDispatch(*canvas_);
    runStart_ = start;
    // The messages are shown once, after the run; a rebuild shows none.
    const std::vector<Message> messages = std::move(result_.messages);
    result_.messages.clear();
    if (quiet_) return;
    notify(BoardChange::Run);
    for (const Message& m : messages) {
        EntryEvent e;
        e.kind = EntryEvent::ShowMessage;
        e.message = m;
        record(std::move(e));
    }

    EntryEvent story;
    story.kind = EntryEvent::WordProblem;
    story.answerMode = result_.Kotae.find('R') != std::string::npos ? 4 : 0;
    record(std::move(story));
    if (jk_.YOMIAGEFLAG2 > 0) {
        record(speakEvent(ShikiNyuryoku_ + "イコール"));
        record(speakEvent(dialogs::KotaeYomi(ShikiNyuryoku_, Kotae())));
    }
    if (jk_.STEPFLAG == 1 || jk_.AUTOSTEP == 1) record(inputWindowsEvent(true));
}

EntryReport Keisan::BackSpace() {
    Reporting reporting(*this);
    if (KotaeZumi_ == 1 || ShikiNyuryoku_.empty()) return reporting.take();
    ShikiNyuryoku_.pop_back();
    ShikiClear();
    R1Click();
    Hukkatu();
    return reporting.take();
}

EntryReport Keisan::VK_DeleteKey() {
    Reporting reporting(*this);
    if (!ShikiNyuryoku_.empty()) R1Click();
    return reporting.take();
}

EntryReport Keisan::Hukkatu() {
    Reporting reporting(*this);
    if (!ShikiNyuryoku_.empty() || MaeShiki_.empty()) return reporting.take();
    const size_t eq = MaeShiki_.find('=');
    if (eq != std::string::npos) MaeShiki_.erase(eq);
    ShikiNyuryoku_.clear();
    ShikiClear();
    const std::string text = MaeShiki_;  // MojiInput may rewrite MaeShiki_
    for (char ch : text) MojiInput(ch);
    return reporting.take();
}

EntryReport Keisan::ReCalcButtonClick() {
    Reporting reporting(*this);
    VK_DeleteKey();
    const std::string text = MaeShiki_;
    for (char ch : text) MojiInput(ch);
    if (!quiet_) {
        EntryEvent e;
        e.kind = EntryEvent::WordProblemRedraw;
        record(std::move(e));
    }
    return reporting.take();
}

EntryReport Keisan::TypePi() {
    Reporting reporting(*this);
    MojiInput('3');
    if (jk_.PaiKeta <= 1) return reporting.take();
    MojiInput('.');
    MojiInput('1');
    // Characters 4 .. PaiKeta + 1 of PaiText ("3.14159..."), 1-based.
    for (int i = 4; i <= jk_.PaiKeta + 1 && i <= len(jk_.PaiText); ++i)
        MojiInput(jk_.PaiText[i - 1]);
    return reporting.take();
}

EntryReport Keisan::R1Click() {
    Reporting reporting(*this);
    MaeShiki_ = ShikiNyuryoku_;
    clearBoard();
    notify(BoardChange::Cleared);
    return reporting.take();
}

EntryReport Keisan::reopenEmpty() {
    Reporting reporting(*this);
    const std::string mae = MaeShiki_;
    R1Click();
    ShikiClear();
    MaeShiki_ = mae;
    return reporting.take();
}

void Keisan::clearBoard() {
    grid_.ScrollY = 0;
    jk_.HARUFA = jk_.PANELFLAG == 1 ? 65 : 0;
    canvas_->clear();
    hissan::Canvas& cv = *canvas_;
    cv.setStepOnly(false);
    cv.setPart(hissan::Part::Expression);
    cv.setFontStyle(false, false);
    cv.setFontSize(grid_.MojiSize);
    cv.setFontColour(kPromptRed);
    cv.textOut(grid_.OriginX - grid_.CellW, grid_.OriginY - grid_.ScrollY + jk_.HARUFA, "◆");
    nyuryokuKa_ = 1;
    cursorX_ = grid_.OriginX;
    cursorY_ = grid_.OriginY + jk_.HARUFA;
    KotaeZumi_ = 0;
    cv.setFontColour(hissan::kDigit);

    ShikiNyuryoku_.clear();
    result_ = {};

    ZenkouTen_ = KoukouTen_ = 0;
    PrevEnzanshi_ = EnzanshiNyuryoku_;
    EnzanshiNyuryoku_ = '!';
    ZenkouKeta_ = ZenkouShosuKeta_ = KoukouKeta_ = KoukouShosuKeta_ = 0;
    EnzanshiAri_ = 0;
    runStart_ = ops().size();
}

// ---- expression record --------------------------------------------------------

void Keisan::ShikiSave() {
    hissan::TShiki& s = shiki_;
    s.Shiki = ShikiNyuryoku_;
    s.ZenkouSeisuKeta = ZenkouKeta_;
    s.ZenkouShosuKeta = ZenkouShosuKeta_;
    s.KoukouSeisuKeta = KoukouKeta_;
    s.KoukouShosuKeta = KoukouShosuKeta_;
    s.Enzanshi = EnzanshiNyuryoku_;
    s.MaxSeisuKeta = std::max(ZenkouKeta_, KoukouKeta_);
    s.MaxShosuKeta = std::max(ZenkouShosuKeta_, KoukouShosuKeta_);
    s.MaxKeta = std::max(ZenkouKeta_ + ZenkouShosuKeta_, KoukouKeta_ + KoukouShosuKeta_);
}

void Keisan::ShikiClear() {
    shiki_.clear();
}

int Keisan::HissanDispatch(hissan::Canvas& cv) {
    Drawn d = drawCalculation(cv, jk_, grid_, shiki_, nyuryokuKa_ == 1, equalY_,
                              quiet_ ? nullptr : report_);
    if (!d.finished) return 0;
    // A finished calculation takes no more input; the cursor stays on.
    nyuryokuKa_ = 0;
    hissanKind_ = d.kind;
    result_ = std::move(d.result);
    if (result_.status == hissan::LayoutResult::Drawn) cursorOn_ = 1;
    return 1;
}

// ---- the board ------------------------------------------------------------------

void Keisan::rebuild() {
    // Type the expression again on a new list, quietly: no speech, no
    // messages, no notifications, no new division preparation.
    const std::string typed = ShikiNyuryoku_;
    const std::string mae = MaeShiki_;
    const char prev = PrevEnzanshi_;
    const int cursorOn = cursorOn_;
    quiet_ = true;
    clearBoard();
    for (char ch : typed) input(ch);
    quiet_ = false;
    MaeShiki_ = mae;
    PrevEnzanshi_ = prev;
    cursorOn_ = cursorOn;
    runStart_ = ops().size();
    notify(BoardChange::Relaid);
}

EntryReport Keisan::relayout() {
    Reporting reporting(*this);
    rebuild();
    return reporting.take();
}

EntryReport Keisan::relayout(const hissan::Metrics& metrics) {
    Reporting reporting(*this);
    metrics_ = &metrics;
    canvas_ = std::make_unique<hissan::RecordingCanvas>(metrics);
    grid_.setMetrics(metrics, jk_.FONTSIZE);
    rebuild();
    return reporting.take();
}

hissan::DisplayList Keisan::printLayout(const hissan::Metrics& printerMetrics,
                                        hissan::Grid* pageGrid, size_t* layoutStart) const {
    if (ShikiNyuryoku_.empty()) return {};
    hissan::Grid page = grid_;
    page.setMetrics(printerMetrics, grid_.MojiSize, true);
    page.ScrollY = 0;
    const bool typing = nyuryokuKa_ == 1;
    if (layoutStart) {
        // The run begins with the expression line, drawn the same way alone.
        hissan::RecordingCanvas line(printerMetrics);
        drawShiki(line, jk_, page, shiki_, typing);
        *layoutStart = line.ops().size();
    }
    hissan::RecordingCanvas cv(printerMetrics);
    drawCalculation(cv, jk_, page, shiki_, typing, equalY_, nullptr);
    if (pageGrid) *pageGrid = page;
    return cv.take();
}

}  // namespace app
