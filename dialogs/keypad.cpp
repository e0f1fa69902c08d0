#include "dialogs/keypad.h"

#include <QFrame>
#include <QKeyEvent>
#include <QRect>
#include <QScreen>
#include <QToolButton>
#include <QTouchEvent>
#include <algorithm>

namespace dialogs {

namespace {

enum class Act { Char, BackSpace, Hukkatu, Delete, Recalc, Jouken, Pai, Yomi, Voice };

// The keypad's size at normal scale: the buttons, and below them the strip
// with the size switch. The large keypad doubles every length.
constexpr int kWidth = 162, kHeight = 208;
constexpr int kButtonH = 25;
constexpr QRect kSizeSwitch(4, 181, 150, 22);
constexpr int kLargeScale = 2;
constexpr int kTouchMin = 48;  // a large button is at least this wide and high

// A button that a finger works as a mouse does: a tap inside it clicks it
// once, a touch that leaves it before it is lifted does nothing. Touch
// screens (interactive whiteboards, tablets) send touch events, which a
// plain button leaves to the window system's mouse emulation.
class TouchButton : public QToolButton {
  public:
    explicit TouchButton(QWidget* parent) : QToolButton(parent) {
        setAttribute(Qt::WA_AcceptTouchEvents);
    }

  protected:
    bool event(QEvent* e) override {
        switch (e->type()) {
            case QEvent::TouchBegin:
                if (!isEnabled()) break;
                setDown(true);
                e->accept();
                return true;
            case QEvent::TouchUpdate:
                setDown(inside(static_cast<QTouchEvent*>(e)));
                e->accept();
                return true;
            case QEvent::TouchEnd: {
                const bool tap = isDown() && inside(static_cast<QTouchEvent*>(e));
                setDown(false);
                e->accept();
                if (tap && isEnabled()) click();
                return true;
            }
            case QEvent::TouchCancel:
                setDown(false);
                e->accept();
                return true;
            default:
                break;
        }
        return QToolButton::event(e);
    }

  private:
    bool inside(const QTouchEvent* e) const {
        return !e->points().isEmpty() && rect().contains(e->points().first().position().toPoint());
    }
};

struct ButtonSpec {
    const char* name;
    const char* caption;
    int left, top, width;
    const char* hint;
    Act act;
    char ch;
};

// Every button at its place at normal scale (25 pixels high; 25 wide unless
// given).
const ButtonSpec kButtons[] = {
    {"SpeedButton19", "×", 4, 6, 25, "", Act::Char, '*'},
    {"SpeedButton21", "÷", 33, 6, 25, "", Act::Char, '/'},
    {"SpeedButton18", "＋", 62, 6, 25, "", Act::Char, '+'},
    {"SpeedButton20", "－", 91, 6, 25, "", Act::Char, '-'},
    {"BackSpaceButton", "←", 126, 6, 25, "字を一つ消して前にもどる", Act::BackSpace, 0},
    {"SpeedButton7", "７", 4, 35, 25, "", Act::Char, '7'},
    {"SpeedButton8", "８", 33, 35, 25, "", Act::Char, '8'},
    {"SpeedButton17", "９", 62, 35, 25, "", Act::Char, '9'},
    {"HukkatuButton", "式復活H", 93, 35, 60, "消去した式を復活する", Act::Hukkatu, 0},
    {"SpeedButton6", "４", 4, 64, 25, "", Act::Char, '4'},
    {"SpeedButton9", "５", 33, 64, 25, "", Act::Char, '5'},
    {"SpeedButton16", "６", 62, 64, 25, "", Act::Char, '6'},
    {"DeleteButton", "消去D", 93, 64, 60, "式をぜんぶ消す", Act::Delete, 0},
    {"SpeedButton4", "１", 4, 93, 25, "", Act::Char, '1'},
    {"SpeedButton10", "２", 33, 93, 25, "", Act::Char, '2'},
    {"SpeedButton15", "３", 62, 93, 25, "", Act::Char, '3'},
    {"RecalcButton", "再計算Ｒ", 93, 93, 60, "筆算をやり直す", Act::Recalc, 0},
    {"SpeedButton3", "０", 4, 122, 25, "", Act::Char, '0'},
    {"TenInpButton", " ．", 33, 122, 20, "", Act::Char, '.'},
    {"EqualButton", "＝", 62, 122, 25, "キーボードでは<Enter>を押します。", Act::Char, '='},
    {"SpeedButton1", "条件Ｊ", 93, 122, 60, "条件設定ダイアログを開く", Act::Jouken, 0},
    {"SpeedButton2", "円周率Ｐ", 4, 152, 59, "マウスは長めに押してね！", Act::Pai, 0},
    {"SpeedButton5", "読Ｖ", 66, 152, 36, "", Act::Yomi, 0},
    {"SpeedButton11", "声設Ｋ", 104, 152, 50, "", Act::Voice, 0},
};

}  // namespace

TInputFormM::TInputFormM(QWidget* owner)
    : ToolWindow(owner, QStringLiteral("<入力パネル>　▼ Ｆ８ ▲"), QSize(kWidth, kHeight), false) {
    setObjectName(QStringLiteral("InputFormM"));
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 0));
    setPalette(pal);

    auto* panel = new QFrame(this);
    panel_ = panel;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, kWidth, kHeight);
    panel->setStyleSheet(QStringLiteral(
        "QFrame#Panel1 { background: rgb(192, 220, 192); border: 1px solid black; }"
        "QToolButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd,"
        " stop:1 #dcdcdc); border: 1px solid #6f6f6f; border-radius: 3px; padding: 0px;"
        " color: black; }"
        "QToolButton:hover { background: #fffbe0; }"
        "QToolButton:pressed { background: #c8c8c8; }"
        "QToolButton:disabled { color: #909090; }"));

    for (const ButtonSpec& def : kButtons) {
        auto* b = new TouchButton(panel);
        b->setObjectName(QLatin1String(def.name));
        b->setText(QString::fromUtf8(def.caption));
        b->setFocusPolicy(Qt::NoFocus);
        if (def.hint[0] != '\0') b->setToolTip(QString::fromUtf8(def.hint));
        if (def.act != Act::Yomi && def.act != Act::Voice) b->setCursor(Qt::PointingHandCursor);
        const Act act = def.act;
        const char ch = def.ch;
        connect(b, &QToolButton::clicked, this, [this, act, ch] {
            switch (act) {
                case Act::Char:
                    charButton(ch);
                    break;
                case Act::BackSpace:
                    BackSpaceButtonClick();
                    break;
                case Act::Hukkatu:
                    HukkatuButtonClick();
                    break;
                case Act::Delete:
                    DeleteButtonClick();
                    break;
                case Act::Recalc:
                    RecalcButtonClick();
                    break;
                case Act::Jouken:
                    JoukenButtonClick();
                    break;
                case Act::Pai:
                    SpeedButton2Click();
                    break;
                case Act::Yomi:
                    SpeedButton5Click();
                    break;
                case Act::Voice:
                    SpeedButton11Click();
                    break;
            }
        });
    }
    // The size switch: large buttons for a finger on a touch screen.
    sizeSwitch_ = new TouchButton(panel);
    sizeSwitch_->setObjectName(QStringLiteral("SizeButton"));
    sizeSwitch_->setFocusPolicy(Qt::NoFocus);
    sizeSwitch_->setCursor(Qt::PointingHandCursor);
    sizeSwitch_->setToolTip(QStringLiteral("ボタンの大きさを切りかえる（タッチ画面・電子黒板用）"));
    connect(sizeSwitch_, &QToolButton::clicked, this, [this] {
        setLarge(!large_);
        emit sizeChosen(large_);
        emit boardFocusRequested();
    });
    layOut();

    // Left for another window: the timer of the board may take the focus back.
    connect(this, &ToolWindow::deactivated, this, [this] { KeypadActive = 0; });
}

void TInputFormM::setLarge(bool large) {
    if (large == large_) return;
    large_ = large;
    const QSize before = size();
    layOut();
    // The keypad stands in the board's lower right corner: it grows and
    // shrinks towards the board and stays on its screen.
    QPoint at = pos() - QPoint(width() - before.width(), height() - before.height());
    if (const QScreen* sc = screen()) {
        const QRect avail = sc->availableGeometry();
        at.setX(
            std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - width())));
        at.setY(
            std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - height())));
    }
    move(at);
}

void TInputFormM::layOut() {
    const int k = large_ ? kLargeScale : 1;
    setFixedSize(kWidth * k, kHeight * k);
    panel_->setGeometry(0, 0, kWidth * k, kHeight * k);
    auto setFont = [k](QToolButton* b, int points, bool bold) {
        QFont f = b->font();
        f.setPointSize(points * k);
        f.setBold(bold);
        b->setFont(f);
    };
    // Large, every length doubles; no button is smaller than a fingertip.
    auto place = [this, k](QToolButton* b, int left, int top, int w, int h) {
        if (large_) {
            w = std::max(w * k, kTouchMin);
            h = std::max(h * k, kTouchMin);
        }
        b->setGeometry(left * k, top * k, w, h);
    };
    for (const ButtonSpec& def : kButtons) {
        QToolButton* b = button(QLatin1String(def.name));
        place(b, def.left, def.top, def.width, kButtonH);
        const bool word = def.width > 25;  // a word caption; one glyph is drawn larger
        setFont(b, word ? 9 : 13, !word);
    }
    place(sizeSwitch_, kSizeSwitch.x(), kSizeSwitch.y(), kSizeSwitch.width(), kSizeSwitch.height());
    sizeSwitch_->setText(large_ ? QStringLiteral("▼ 小さくする") : QStringLiteral("▲ 大きくする"));
    setFont(sizeSwitch_, 9, false);
}

QSize TInputFormM::normalSize() {
    return QSize(kWidth, kHeight);
}

QToolButton* TInputFormM::button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

void TInputFormM::charButton(char ch) {
    KeypadActive = 1;
    emit charTyped(ch);
    emit boardFocusRequested();
}

void TInputFormM::BackSpaceButtonClick() {
    emit backSpaceRequested();
    emit boardFocusRequested();
}

void TInputFormM::HukkatuButtonClick() {
    emit restoreRequested();
    emit boardFocusRequested();
}

void TInputFormM::DeleteButtonClick() {
    emit eraseRequested();
    emit boardFocusRequested();
}

void TInputFormM::RecalcButtonClick() {
    emit recalculateRequested();
    emit boardFocusRequested();
}

void TInputFormM::JoukenButtonClick() {
    // The board's F6 shows or hides the conditions dialog.
    emit keyPosted(Qt::Key_F6);
    emit boardFocusRequested();
}

void TInputFormM::SpeedButton2Click() {
    // The P goes to the board itself, so every click enters π, however short.
    emit keyPosted(Qt::Key_P);
    emit boardFocusRequested();
}

void TInputFormM::SpeedButton5Click() {
    emit readAloudRequested();
}

void TInputFormM::SpeedButton11Click() {
    emit voiceSettingsRequested();
}

void TInputFormM::keyPressEvent(QKeyEvent* e) {
    emit keyTyped(e->key(), e->modifiers(), e->nativeScanCode());
}

}  // namespace dialogs
