#include "wasm/session.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <initializer_list>

#include "core/conditions.h"
#include "core/yomi.h"
#include "hissan/canvas.h"
#include "wasm/ini_text.h"
#include "wasm/json.h"

namespace web {

namespace {

using app::BoardChange;
using app::EntryEvent;

const char* changeName(BoardChange c) {
    switch (c) {
        case BoardChange::Cleared:
            return "cleared";
        case BoardChange::Typed:
            return "typed";
        case BoardChange::Run:
            return "run";
        case BoardChange::Relaid:
            return "relaid";
    }
    return "typed";
}

std::string eventJson(const EntryEvent& e) {
    Json j;
    switch (e.kind) {
        case EntryEvent::Board:
            j.field("k", "board").field("change", changeName(e.change));
            break;
        case EntryEvent::ShowMessage:
            j.field("k", "message")
                .field("text", e.message.text)
                .field("title", e.message.title)
                .field("icon", static_cast<int>(e.message.icon))
                .field("restore", e.message.then == hissan::Message::ClearAndRestore);
            break;
        case EntryEvent::Speak:
            j.field("k", "speak").field("text", Session::speechText(speech::YomiHenkan(e.text)));
            break;
        case EntryEvent::InputWindows:
            j.field("k", "inputs").field("on", e.on);
            break;
        case EntryEvent::WordProblem:
            j.field("k", "word").field("mode", e.answerMode);
            break;
        case EntryEvent::WordProblemRedraw:
            j.field("k", "wordRedraw");
            break;
        case EntryEvent::Busy:
            j.field("k", "busy").field("on", e.on);
            break;
        case EntryEvent::Hint:
            j.field("k", "hint").field("text", e.text);
            break;
    }
    return j.str();
}

// What the page itself does for a command: show or hide its panels, scroll,
// sound the refusal.
std::string uiEvent(const char* what) {
    return Json().field("k", "ui").field("do", what).str();
}

// The keypad's buttons, named by their captions, and what each does.
enum class Press { Char, BackSpace, Delete, Hukkatu, Recalc };
struct Button {
    const char* caption;
    const char* hint;
    Press act;
    char ch;
};
constexpr Button kButtons[] = {
    {"7", "", Press::Char, '7'},
    {"8", "", Press::Char, '8'},
    {"9", "", Press::Char, '9'},
    {"÷", "", Press::Char, '/'},
    {"←", "字を一つ消して前にもどる", Press::BackSpace, 0},
    {"4", "", Press::Char, '4'},
    {"5", "", Press::Char, '5'},
    {"6", "", Press::Char, '6'},
    {"×", "", Press::Char, '*'},
    {"消去", "式をぜんぶ消す", Press::Delete, 0},
    {"1", "", Press::Char, '1'},
    {"2", "", Press::Char, '2'},
    {"3", "", Press::Char, '3'},
    {"－", "", Press::Char, '-'},
    {"式復活", "消去した式を復活する", Press::Hukkatu, 0},
    {"0", "", Press::Char, '0'},
    {"．", "", Press::Char, '.'},
    {"＝", "", Press::Char, '='},
    {"＋", "", Press::Char, '+'},
    {"再計算", "筆算をやり直す", Press::Recalc, 0},
};

// The expression as the status line writes it.
std::string wideExpression(const std::string& typed) {
    std::string out;
    for (char c : typed) {
        switch (c) {
            case '+':
                out += "＋";
                break;
            case '-':
                out += "－";
                break;
            case '*':
                out += "×";
                break;
            case '/':
                out += "÷";
                break;
            case '=':
                out += "＝";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// What the conditions panel calls a condition, in the desktop dialog's
// words; choices list their options. Conditions without a caption (window
// places and sizes) are kept and written to the settings file, not shown.
struct Caption {
    const char* name;
    const char* group;
    const char* label;
    std::initializer_list<const char*> options{};
};
const Caption kCaptions[] = {
    {"KURIAGARI", "表示", "くり上がりを表示（A）"},
    {"KURISAGARI", "表示", "くり下がりを表示（S）"},
    {"KAIGYO_FLAG", "表示", "「＝」で改行（L）"},
    {"SYOUPTLNDSP", "表示", "余りの小数点に点線(B)"},
    {"QQ_FLAG", "表示", "各部の名称を説明(Q)"},
    {"DSP_CL_TYPE", "表示", "表示色(M)", {"黒板風", "白板風"}},
    {"FONTSIZE", "表示", "文字の大きさ"},
    {"SHOU_ITI",
     "わり算",
     "商をもとめるところ",
     {"次に指定した位まで（整数位は０）", "次に指定した小数の位で四捨五入",
      "割り切れる(max小数第10位）まで"}},
    {"POINTMAX", "わり算", "小数第何位まで（最大１０位）"},
    {"SHOU0_DSP", "わり算", "商の０の段も書く"},
    {"RENDOFLAG", "わり算", "÷で変更/表示を連動(U)"},
    {"MatsubiZeroKake", "かけ算・わり算", "末尾の０を分けてかけ算 （Ctrl+K）"},
    {"MatsubiZeroWari", "かけ算・わり算", "末尾の０を消して割り算(Ctrl+W)"},
    {"STEPFLAG", "ステップ", "手動ステップ（Y）"},
    {"AUTOSTEP", "ステップ", "自動ステップ"},
    {"ENZANSPEED", "ステップ", "自動ステップ時間（１０ごとに約１秒）"},
    {"STEPBEEP", "ステップ", "手動ステップ時Beep音"},
    {"YOMIAGEFLAG1", "読み上げ", "１字入力ごとに読む"},
    {"YOMIAGEFLAG2", "読み上げ", "式と答えを読む"},
    {"YOMIAGEHAYASA", "読み上げ", "読む速さ"},
    {"YOMIAGEOOKISA", "読み上げ", "声の大きさ"},
};

const Caption* captionOf(std::string_view name) {
    for (const Caption& c : kCaptions)
        if (name == c.name) return &c;
    return nullptr;
}

// The conditions whose change lays out the quotient again (a recalculation
// when the dialog's "connect" switch is on).
bool changesQuotient(std::string_view name) {
    return name == "POINTMAX" || name == "SHOU_ITI" || name == "SHOU0_DSP";
}

}  // namespace

Session::Session() : keisan_(jk_, metrics_) {
    jk_.StrokeDelay = jk_.ENZANSPEED;
}

core::KeyState Session::keyState(bool drawing) const {
    return {.drawing = drawing,
            .manualStep = jk_.STEPFLAG == 1,
            .typing = keisan_.NyuryokuKa() == 1,
            .speechOn = jk_.YOMIAGEFLAG2 > 0,
            .roundingAtOnePlace = jk_.SHOU_ITI == 1 && jk_.POINTMAX == 1,
            .firstOperand = keisan_.firstOperandOnly()};
}

std::string Session::run(const app::EntryReport& report, std::string extra) const {
    std::string events;
    for (const EntryEvent& e : report.events) {
        if (!events.empty()) events += ',';
        events += eventJson(e);
    }
    if (!extra.empty()) {
        if (!events.empty()) events += ',';
        events += extra;
    }
    return Json()
        .raw("events", "[" + events + "]")
        .field("status", status())
        .field("count", static_cast<int>(keisan_.ops().size()))
        .field("runStart", static_cast<int>(keisan_.runStart()))
        .str();
}

std::string Session::whileDrawing(int key, unsigned mods) const {
    switch (core::whileDrawing(static_cast<core::Key>(key), mods, keyState(true))) {
        case core::WhileDrawing::Later:
            return "later";
        case core::WhileDrawing::AtOnce:
            return "atonce";
        case core::WhileDrawing::StepEscape:
            return "escape";
        case core::WhileDrawing::StepGo:
            return "go";
    }
    return "later";
}

std::string Session::afterChange(const char* name) {
    const std::string conditions = Json().field("k", "conditions").field("name", name).str();
    if (changesQuotient(name) && jk_.RENDOFLAG == 1 && keisan_.KotaeZumi() == 1)
        return run(keisan_.ReCalcButtonClick(), conditions);
    return run(keisan_.relayout(), conditions);
}

std::string Session::key(int keyValue, unsigned mods, bool drawing) {
    using C = core::Command;
    const auto key = static_cast<core::Key>(keyValue);
    app::Keisan& k = keisan_;
    switch (const C command = core::commandFor(key, mods, keyState(drawing))) {
        case C::Nothing:
            return run({});
        case C::EndStepping:
            jk_.STEPFLAG = 0;
            jk_.StrokeDelay = 0;
            return run({}, Json().field("k", "conditions").field("name", "STEPFLAG").str());
        case C::MorePlaces:
        case C::FewerPlaces:
            jk_.POINTMAX = std::clamp(jk_.POINTMAX + (command == C::MorePlaces ? 1 : -1), 0, 10);
            if (jk_.RENDOFLAG == 1)
                return run(k.ReCalcButtonClick(),
                           Json().field("k", "conditions").field("name", "POINTMAX").str());
            return run({}, Json().field("k", "conditions").field("name", "POINTMAX").str());
        case C::SlowerStrokes:
        case C::FasterStrokes:
            jk_.StrokeDelay =
                std::clamp(jk_.StrokeDelay + (command == C::SlowerStrokes ? 1 : -1), 0, 100);
            return run({}, Json().field("k", "conditions").field("name", "StrokeDelay").str());
        case C::DeleteCalculation:
            return run(k.VK_DeleteKey(), uiEvent("hideWordProblem"));
        case C::ToggleStepMode:
            if (drawing) return run({}, uiEvent("stopStepping"));
            jk_.STEPFLAG = 1 - jk_.STEPFLAG;
            jk_.AUTOSTEP = 0;
            if (jk_.STEPFLAG == 1) jk_.StrokeDelay = 0;
            return run({}, Json().field("k", "conditions").field("name", "STEPFLAG").str());
        case C::ReadAloud:
            return readAloud();
        case C::Beep:
            return run({}, uiEvent("beep"));
        case C::ChooseFont:
        case C::BiggerFont:
        case C::SmallerFont: {
            if (command == C::ChooseFont) return run({}, uiEvent("conditions"));
            const int size = k.grid().MojiSize + (command == C::BiggerFont ? 1 : -1);
            jk_.FONTSIZE = std::clamp(size, 5, 50);
            return run(k.relayout(metrics_),
                       Json().field("k", "conditions").field("name", "FONTSIZE").str());
        }
        case C::SpeechSettings:
            return run({}, uiEvent("conditions"));
        case C::ToggleDecimalLine:
            return setCondition("SYOUPTLNDSP", 1 - jk_.SYOUPTLNDSP);
        case C::ToggleRecalc:
            return setCondition("RENDOFLAG", 1 - jk_.RENDOFLAG);
        case C::ToggleQQ:
            return setCondition("QQ_FLAG", 1 - jk_.QQ_FLAG);
        case C::SwitchColours:
            return setCondition("DSP_CL_TYPE", 1 - jk_.DSP_CL_TYPE);
        case C::Recalculate:
            return run(k.ReCalcButtonClick());
        case C::ToggleLineBreak:
            return setCondition("KAIGYO_FLAG", 1 - jk_.KAIGYO_FLAG);
        case C::ToggleWordProblem:
            return run({}, uiEvent("toggleWordProblem"));
        case C::ToggleCarries:
            return setCondition("KURIAGARI", 1 - jk_.KURIAGARI);
        case C::ToggleBorrows:
            return setCondition("KURISAGARI", 1 - jk_.KURISAGARI);
        case C::RestoreExpression:
            return run(k.Hukkatu());
        case C::Home:
            return run({}, uiEvent("home"));
        case C::ToggleConditions:
            return run({}, uiEvent("conditions"));
        case C::ToggleKeypad:
            return run({}, uiEvent("keypad"));
        case C::ScrollUp:
            return run({}, uiEvent("scrollUp"));
        case C::ScrollDown:
            return run({}, uiEvent("scrollDown"));
        case C::TypePi:
            return run(k.TypePi());
        case C::BackSpace:
            return run(k.BackSpace());
        case C::TypeDigit:
            return run(k.MojiInput(core::digitOf(key)));
        case C::TypePoint:
            return run(k.MojiInput('.'));
        case C::TypePlus:
            return run(k.MojiInput('+'));
        case C::TypeMinus:
            return run(k.MojiInput('-'));
        case C::TypeTimes:
            return run(k.MojiInput('*'));
        case C::TypeDivide:
            return run(k.MojiInput('/'));
        case C::TypeEquals:
            return run(k.MojiInput('='));
    }
    return run({});
}

std::string Session::readAloud() {
    const app::Keisan& k = keisan_;
    app::EntryReport r;
    for (const std::string& text :
         {k.ShikiNyuryoku() + "イコール", dialogs::KotaeYomi(k.ShikiNyuryoku(), k.Kotae())}) {
        EntryEvent e;
        e.kind = EntryEvent::Speak;
        e.text = text;
        if (!k.ShikiNyuryoku().empty() && !text.empty()) r.events.push_back(e);
    }
    return run(r);
}

std::string Session::keypad() const {
    std::string out = "[";
    for (const Button& b : kButtons) {
        if (out.size() > 1) out += ',';
        out += Json().field("caption", b.caption).field("hint", b.hint).str();
    }
    return out + "]";
}

std::string Session::press(int button) {
    if (button < 0 || button >= static_cast<int>(std::size(kButtons))) return run({});
    const Button& b = kButtons[button];
    switch (b.act) {
        case Press::Char:
            return run(keisan_.MojiInput(b.ch));
        case Press::BackSpace:
            return run(keisan_.BackSpace());
        case Press::Delete:
            return run(keisan_.VK_DeleteKey(), uiEvent("hideWordProblem"));
        case Press::Hukkatu:
            return run(keisan_.Hukkatu());
        case Press::Recalc:
            return run(keisan_.ReCalcButtonClick());
    }
    return run({});
}

namespace {

// One op's numbers, in the order the page reads them.
std::array<long, 15> opNumbers(const hissan::Op& op) {
    return {long(op.kind),      long(op.part),        long(op.stepOnly),  long(op.bold),
            long(op.underline), long(op.dotted),      long(op.x1),        long(op.y1),
            long(op.x2),        long(op.y2),          long(op.size),      long(op.width),
            long(op.units),     long(op.colour.role), long(op.colour.rgb)};
}

}  // namespace

std::string Session::ops(size_t from) const {
    // One array per op: kind, part, stepOnly, bold, underline, dotted,
    // x1, y1, x2, y2, size, width, units, role, rgb, text.
    const hissan::DisplayList& list = keisan_.ops();
    std::string out = "[";
    char buf[16];
    for (size_t i = from; i < list.size(); ++i) {
        if (i > from) out += ',';
        out += '[';
        for (long v : opNumbers(list[i])) {
            const auto r = std::to_chars(buf, buf + sizeof buf, v);
            out.append(buf, r.ptr);
            out += ',';
        }
        out += quoted(list[i].text);
        out += ']';
    }
    out += ']';
    return out;
}

void Session::opsPacked(size_t from, std::vector<int32_t>& numbers, std::string& texts) const {
    const hissan::DisplayList& list = keisan_.ops();
    numbers.clear();
    texts.clear();
    for (size_t i = from; i < list.size(); ++i) {
        for (long v : opNumbers(list[i])) numbers.push_back(static_cast<int32_t>(v));
        if (i > from) texts += '\x1F';
        texts += list[i].text;
    }
}

std::string Session::status() const {
    const std::string& typed = keisan_.ShikiNyuryoku();
    std::string out = wideExpression(typed);
    if (keisan_.KotaeZumi() == 1 && !typed.empty() && typed.back() == '=') {
        std::string answer = keisan_.Kotae();
        const size_t r = answer.find('R');
        if (r != std::string::npos) answer.replace(r, 1, "あまり");
        out += answer;
    }
    return out;
}

std::string Session::conditions() const {
    std::string out = "[";
    const hissan::TJouken defaults;
    for (const core::Condition& c : core::conditions()) {
        if (!c.field) continue;
        if (out.size() > 1) out += ',';
        const Caption* caption = captionOf(c.name);
        std::string options = "[";
        if (caption)
            for (const char* o : caption->options) {
                if (options.size() > 1) options += ',';
                options += quoted(o);
            }
        options += ']';
        out += Json()
                   .field("name", c.name)
                   .field("label", caption ? caption->label : "")
                   .field("group", caption ? caption->group : "")
                   .raw("options", options)
                   .field("value", jk_.*c.field)
                   .field("default", defaults.*c.field)
                   .field("lo", c.lo)
                   .field("hi", c.hi)
                   .field("choice", c.choice)
                   .field("stored", c.stored != core::Stored::No)
                   .str();
    }
    return out + "]";
}

std::string Session::setCondition(std::string_view name, int value) {
    const core::Condition* c = core::findCondition(name);
    if (!c || !c->field) return run({});
    if (value < c->lo || value > c->hi)
        value = c->choice ? hissan::TJouken{}.*c->field : std::clamp(value, c->lo, c->hi);
    jk_.*c->field = value;
    if (name == "ENZANSPEED") jk_.StrokeDelay = value;
    if (name == "STEPFLAG" && value == 1) jk_.StrokeDelay = 0;
    if (name == "FONTSIZE") {
        const std::string conditions = Json().field("k", "conditions").field("name", c->name).str();
        return run(keisan_.relayout(metrics_), conditions);
    }
    return afterChange(c->name);
}

std::string Session::stepEscaped() {
    jk_.STEPFLAG = 0;
    jk_.StrokeDelay = 0;
    return run({}, Json().field("k", "conditions").field("name", "STEPFLAG").str());
}

std::string Session::scheme(int index) {
    const hissan::Scheme& s = hissan::schemeFor(index);
    std::string out = "[";
    for (int i = 0; i < hissan::kRoleCount; ++i) {
        if (i) out += ',';
        out += std::to_string(s.rgb[static_cast<size_t>(i)]);
    }
    return out + "]";
}

std::string Session::iniExport() const {
    return iniText(jk_);
}

std::string Session::iniImport(std::string_view bytes) {
    std::string why;
    if (!readIniText(jk_, bytes, why)) {
        app::EntryReport r;
        EntryEvent e;
        e.kind = EntryEvent::ShowMessage;
        e.message = {why, "お知らせ", hissan::Message::Warning};
        r.events.push_back(e);
        return run(r);
    }
    jk_.StrokeDelay = jk_.ENZANSPEED;
    return run(keisan_.relayout(metrics_), Json().field("k", "conditions").field("name", "").str());
}

std::string Session::speechText(const std::string& reading) {
    return speech::YomiSeiki(reading);
}

std::string Session::loadStories(std::string_view bytes) {
    const dialogs::BunExFault fault = dialogs::BunExRead(stories_, bytes);
    storiesRead_ = fault.kind == dialogs::BunExFault::None;
    if (storiesRead_) return {};
    return "文章題のファイルを読めませんでした。";
}

std::string Session::wordProblem(int answerMode) {
    if (!storiesRead_ || keisan_.KotaeZumi() != 1) return "null";
    dialogs::ReibunInput in;
    in.ReibunOn = 1;
    in.AmariMode = answerMode;
    in.ShikiNyuryoku = keisan_.ShikiNyuryoku();
    in.EnzanshiNyuryoku = keisan_.EnzanshiNyuryoku();
    in.ZenkouShosuKeta = keisan_.ZenkouShosuKeta();
    in.KoukouShosuKeta = keisan_.KoukouShosuKeta();
    in.Kotae = keisan_.Kotae();
    const dialogs::Reibun r = dialogs::ReibunCompose(stories_, in, enzanIndex_);
    return Json()
        .field("type", r.type)
        .field("title", r.title)
        .field("bun1", r.bun1)
        .field("bun2", r.bun2)
        .field("bun3", r.bun3)
        .field("label", r.label)
        .field("expression", r.expression)
        .field("check", r.check)
        .field("answer", r.answer)
        .str();
}

int Session::domKey(std::string_view code, std::string_view key) {
    using K = core::Key;
    constexpr int kPad = 0x100;
    auto from = [](K first, int offset) { return static_cast<int>(first) + offset; };
    // The numeric pad by where the key is.
    if (code.substr(0, 6) == "Numpad") {
        const std::string_view rest = code.substr(6);
        if (rest.size() == 1 && rest[0] >= '0' && rest[0] <= '9')
            return kPad | from(K::Digit0, rest[0] - '0');
        static const std::pair<std::string_view, K> pad[] = {
            {"Add", K::Plus},     {"Subtract", K::Minus}, {"Multiply", K::Asterisk},
            {"Divide", K::Slash}, {"Decimal", K::Period}, {"Comma", K::Comma},
            {"Enter", K::Enter},  {"Equal", K::Enter},
        };
        for (const auto& [name, k] : pad)
            if (rest == name) return kPad | static_cast<int>(k);
    }
    // The main keyboard's minus key wherever the layout puts its character.
    if (code == "Minus") return static_cast<int>(K::Minus);
    // Everything else by what it types or names.
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= '0' && c <= '9') return from(K::Digit0, c - '0');
        if (c >= 'a' && c <= 'z') return from(K::A, c - 'a');
        if (c >= 'A' && c <= 'Z') return from(K::A, c - 'A');
        static const std::pair<char, K> chars[] = {
            {'.', K::Period},   {',', K::Comma}, {'+', K::Plus},   {'-', K::Minus},
            {'*', K::Asterisk}, {'/', K::Slash}, {'=', K::Equals},
        };
        for (const auto& [ch, k] : chars)
            if (c == ch) return static_cast<int>(k);
        return static_cast<int>(K::Other);
    }
    if (key.size() >= 2 && key.size() <= 3 && key[0] == 'F') {
        int n = 0;
        for (char c : key.substr(1)) n = c >= '0' && c <= '9' ? n * 10 + (c - '0') : 99;
        if (n >= 1 && n <= 12) return from(K::F1, n - 1);
    }
    static const std::pair<std::string_view, K> named[] = {
        {"Enter", K::Enter},       {"Escape", K::Escape},  {"Backspace", K::Backspace},
        {"Delete", K::Delete},     {"Insert", K::Insert},  {"Home", K::Home},
        {"End", K::End},           {"ArrowLeft", K::Left}, {"ArrowUp", K::Up},
        {"ArrowRight", K::Right},  {"ArrowDown", K::Down}, {"PageUp", K::PageUp},
        {"PageDown", K::PageDown},
    };
    for (const auto& [name, k] : named)
        if (key == name) return static_cast<int>(k);
    return static_cast<int>(K::Other);
}

std::string Session::pacing() const {
    return Json()
        .field("delay", jk_.StrokeDelay)
        .field("step", jk_.STEPFLAG)
        .field("beep", jk_.STEPBEEP)
        .field("scheme", jk_.DSP_CL_TYPE)
        .field("hayasa", jk_.YOMIAGEHAYASA)
        .field("ookisa", jk_.YOMIAGEOOKISA)
        .field("blink", jk_.CUR_SEC)
        .str();
}

std::string Session::cursor() const {
    // The block cursor inside its cell, as the desktop board draws it:
    // yellow on the blackboard, green on the whiteboard.
    const hissan::Grid& g = keisan_.grid();
    return Json()
        .field("x", keisan_.cursorX() + 2)
        .field("y", keisan_.cursorY() + 2)
        .field("w", g.DigitW - 4)
        .field("h", g.CharH - 4)
        .field("line", g.LineH)
        .field("rgb", jk_.DSP_CL_TYPE == 0 ? 0xFFFF00 : 0x008000)
        .field("on", keisan_.cursorOn() == 1 && keisan_.NyuryokuKa() == 1)
        .str();
}

}  // namespace web
