#include "app/companions.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/jouken_set_form.h"
#include "dialogs/keypad.h"
#include "dialogs/senex_form.h"
#include "speech/face_s.h"
#include "speech/voice_set_form.h"

namespace app {

namespace {

QLabel* stepText(QWidget* parent, const QString& text, const char* fg, const char* bg,
                 const QString& hint = QString()) {
    auto* l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; font-weight: bold; "
                                    "padding: 2px; }")
                         .arg(QLatin1String(fg), QLatin1String(bg)));
    l->setAlignment(Qt::AlignCenter);
    if (!hint.isEmpty()) l->setToolTip(hint);
    return l;
}

// The main window's bounds at (left, top), width x height, and the height of
// its settings panel, which the start positions are measured from.
struct MainBounds {
    int left, top, width, height, harufa;
};

}  // namespace

TStepGoForm::TStepGoForm(QWidget* owner)
    : ToolWindow(owner, QStringLiteral("◆手動ステップ◆"), QSize(180, 150), false) {
    setObjectName(QStringLiteral("StepGoForm"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));  // navy
    setPalette(pal);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->setSpacing(3);
    lay->addWidget(stepText(this, QStringLiteral("<手動ステップ中>"), "#ff0000", "#ffff00"));
    lay->addWidget(stepText(this, QStringLiteral(" 《ステップ進行》 "), "#ffffff", "#ff0000",
                            QStringLiteral("Enter(=)を入力後は、G or 左Clickで進行します。")));
    lay->addWidget(stepText(this, QStringLiteral(" G / 左クリック"), "#ffff00", "transparent"));
    lay->addWidget(stepText(this, QStringLiteral(" 《ステップ解除》 "), "#ffffff", "#008000",
                            QStringLiteral("Escでは、入力途中でも、解除できます。")));
    lay->addWidget(stepText(this, QStringLiteral(" Y or Endキー"), "#ff0000", "transparent"));
    // Whenever the box becomes active, the board gets the keyboard back.
    connect(this, &ToolWindow::activated, this, [owner] {
        if (owner) owner->activateWindow();
    });
}

QRect frameOnScreen(qint64 left, qint64 top, qint64 width, qint64 height, QSize minSize) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QRect desktop;  // the screens' available areas together
    for (const QScreen* s : screens) desktop |= s->availableGeometry();
    const qint64 w = std::min<qint64>(std::max<qint64>(width, minSize.width()),
                                      desktop.isEmpty() ? QWIDGETSIZE_MAX : desktop.width());
    const qint64 h = std::min<qint64>(std::max<qint64>(height, minSize.height()),
                                      desktop.isEmpty() ? QWIDGETSIZE_MAX : desktop.height());
    const bool shows = std::any_of(screens.begin(), screens.end(), [&](const QScreen* s) {
        const QRect a = s->availableGeometry();
        return left < qint64{a.x()} + a.width() && left + w > a.x() &&
               top < qint64{a.y()} + a.height() && top + h > a.y();
    });
    if (!shows) {
        if (const QScreen* primary = QGuiApplication::primaryScreen()) {
            left = primary->availableGeometry().left() + 20;
            top = primary->availableGeometry().top() + 20;
        }
    }
    return QRect(windowCoord(left), windowCoord(top), static_cast<int>(w), static_cast<int>(h));
}

int windowCoord(qint64 v) {
    return static_cast<int>(std::clamp<qint64>(v, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

dialogs::TJoukenSetFormM* Companions::conditions() {
    return static_cast<dialogs::TJoukenSetFormM*>(window(Companion::Conditions));
}
TStepGoForm* Companions::stepBox() {
    return static_cast<TStepGoForm*>(window(Companion::StepBox));
}
dialogs::TSenExForm* Companions::wordProblem() {
    return static_cast<dialogs::TSenExForm*>(window(Companion::WordProblem));
}
dialogs::TInputFormM* Companions::keypad() {
    return static_cast<dialogs::TInputFormM*>(window(Companion::Keypad));
}
speech::TFaceS* Companions::face() {
    return static_cast<speech::TFaceS*>(window(Companion::Face));
}
speech::TVoiceSetForm* Companions::voice() {
    return static_cast<speech::TVoiceSetForm*>(window(Companion::Voice));
}

ToolWindow* Companions::window(Companion c) {
    ToolWindow*& w = built_[static_cast<size_t>(c)];
    if (!w) {
        w = build(c);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        if (parts_.created) parts_.created(c, w);
        // Built after the board was placed: it stands where placing puts it.
        if (main_.isValid()) placeOne(c);
    }
    return w;
}

bool Companions::shown(Companion c) const {
    const ToolWindow* w = built(c);
    return w && !w->isHidden();
}

void Companions::hide(Companion c) {
    if (ToolWindow* w = built(c)) w->hide();
}

std::vector<ToolWindow*> Companions::all() const {
    std::vector<ToolWindow*> out;
    for (ToolWindow* w : built_)
        if (w) out.push_back(w);
    return out;
}

// The start positions, beside the board as it stands: the step box at the
// right, the word-problem window where it was left (BLEFT, BTOP), the keypad
// in the lower right corner and shown, the face at the top right and shown,
// the speech settings near the top left.
ToolWindow* Companions::build(Companion c) {
    QWidget* owner = parts_.owner;
    hissan::TJouken& jk = *parts_.jk;
    const QRect g =
        main_.isValid() ? main_ : QRect(owner->x(), owner->y(), owner->width(), owner->height());
    const MainBounds m{g.x(), g.y(), g.width(), g.height(), jk.HARUFA};
    // Positions beside the main window, summed without overflow.
    const qint64 left = m.left, top = m.top, right = left + m.width, bottom = top + m.height;
    switch (c) {
        case Companion::Conditions:
            return new dialogs::TJoukenSetFormM(owner, jk);
        case Companion::StepBox: {
            auto* step = new TStepGoForm(owner);
            step->move(windowCoord(right - 220), windowCoord(top + 300));
            return step;
        }
        case Companion::WordProblem: {
            // Where it was left, or back on the screen.
            auto* senEx = new dialogs::TSenExForm(owner, parts_.links.senEx);
            const QSize size = senEx->size();
            senEx->move(
                frameOnScreen(jk.BLEFT, jk.BTOP, size.width(), size.height(), size).topLeft());
            return senEx;
        }
        case Companion::Keypad: {
            auto* pad = new dialogs::TInputFormM(owner);
            pad->move(windowCoord(right - 200), windowCoord(bottom - 220));
            pad->show();
            return pad;
        }
        case Companion::Face: {
            auto* face = new speech::TFaceS(owner, *parts_.faces);
            face->move(windowCoord(right - 180), windowCoord(top + m.harufa));
            face->show();
            return face;
        }
        case Companion::Voice: {
            auto* v = new speech::TVoiceSetForm(owner, jk, parts_.voice());
            v->move(windowCoord(left + 40), windowCoord(top + 80));
            return v;
        }
    }
    return nullptr;
}

// Placing: the keypad, the conditions dialog, the step box and the face keep
// their places beside the board; a minimised or maximised window stays.
void Companions::place(const QRect& main) {
    main_ = main;
    displaced_ = {};
    for (Companion c :
         {Companion::Keypad, Companion::Conditions, Companion::StepBox, Companion::Face})
        placeOne(c);
}

void Companions::placeOne(Companion c) {
    // Summed without overflow, whatever the window system reports.
    const qint64 l = main_.x(), t = main_.y(), w = main_.width(), h = main_.height();
    auto place = [this, c](Companion which, qint64 left, qint64 top) {
        ToolWindow* win = built(which);
        if (which != c || !win) return;
        if (win->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
        win->move(windowCoord(left), windowCoord(top));
    };
    // A large keypad keeps the normal one's lower right corner.
    const ToolWindow* pad = built(Companion::Keypad);
    const QSize padGrowth = pad ? pad->size() - dialogs::TInputFormM::normalSize() : QSize();
    place(Companion::Keypad, l + w - 210 - padGrowth.width(), t + h - 220 - padGrowth.height());
    place(Companion::Conditions, l + w - 290, t + 230);
    place(Companion::StepBox, l + w - 220, t + 300);
    place(Companion::Face, l + w - 180, t + 60);
}

namespace {

bool coversAny(const QRect& r, const std::vector<QRect>& taken) {
    return std::any_of(taken.begin(), taken.end(), [&](const QRect& t) { return r.intersects(t); });
}

// The free place for a frame of `size` nearest to `from` within `area`, on a
// grid of a few pixels; `from` itself when there is none.
QPoint nearestFree(const QPoint& from, QSize size, const QRect& area,
                   const std::vector<QRect>& taken) {
    constexpr int kStep = 8;
    QPoint best = from;
    qint64 bestDistance = -1;
    for (int y = area.top(); y + size.height() <= area.bottom() + 1; y += kStep) {
        for (int x = area.left(); x + size.width() <= area.right() + 1; x += kStep) {
            const QRect r(QPoint(x, y), size);
            if (coversAny(r, taken)) continue;
            const qint64 dx = x - from.x(), dy = y - from.y();
            const qint64 d = dx * dx + dy * dy;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = QPoint(x, y);
            }
        }
    }
    return best;
}

}  // namespace

void Companions::putAway() {
    for (size_t i = 0; i < built_.size(); ++i) {
        putAway_[i] = built_[i] && !built_[i]->isHidden();
        if (putAway_[i]) built_[i]->hide();
    }
}

void Companions::bringBack() {
    for (size_t i = 0; i < built_.size(); ++i)
        if (putAway_[i] && built_[i]->isHidden()) built_[i]->show();
    putAway_ = {};
}

std::vector<QRect> Companions::keepClear(const QRect& drawing, const QRect& area) {
    std::vector<QRect> taken, stuck;
    if (!drawing.isEmpty()) taken.push_back(drawing);
    for (size_t i = 0; i < built_.size(); ++i) {
        ToolWindow* w = built_[i];
        if (!w || w->isHidden() || w->isMinimised()) continue;
        QRect frame = w->frameGeometry();
        if (coversAny(frame, taken)) {
            const QPoint to = nearestFree(frame.topLeft(), frame.size(), area, taken);
            if (to != frame.topLeft()) {
                w->move(w->pos() + (to - frame.topLeft()));
                frame.moveTopLeft(to);
                displaced_[i] = true;
            }
            if (!drawing.isEmpty() && frame.intersects(drawing)) stuck.push_back(frame);
        }
        taken.push_back(frame);
    }
    return stuck;
}

}  // namespace app
