// The tool windows that stand beside the blackboard: built when first shown,
// kept on top of the board and moved with it.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "ui/tool_window.h"

namespace dialogs {
class SenExHost;
class TInputFormM;
class TSenExForm;
}  // namespace dialogs

#include "hissan/jouken.h"

namespace dialogs {
class TJoukenSetFormM;
}  // namespace dialogs

namespace speech {
class SpeechEngine;
class TFaceS;
class TVoiceSetForm;
}  // namespace speech

namespace app {

// The manual-step box: tells the pupil which keys go on and which end the
// stepping. It has no behaviour of its own; when it becomes active it hands
// the keyboard focus straight back to the board.
class TStepGoForm : public ToolWindow {
    Q_OBJECT
  public:
    explicit TStepGoForm(QWidget* owner);
};

// The companion windows, in their fixed order of creation.
enum class Companion { Conditions, StepBox, WordProblem, Keypad, Face, Voice };

// A window's frame from stored numbers, safe for any of them (the sums are
// worked in 64 bits): the size at least `minSize` and at most what the screens
// offer together; the place kept while some of the frame shows on a screen
// (part of it may stand off the edge, as it was left), otherwise 20 pixels
// into the primary screen's top left corner (a projector that is gone).
QRect frameOnScreen(qint64 left, qint64 top, qint64 width, qint64 height, QSize minSize);

// `v` as a window coordinate, kept within the positions Qt can give a window
// so that a position plus a size stays an int.
int windowCoord(qint64 v);

// What the companion windows are made from. The conditions dialog works on
// `jk` and the keypad work alone and tell the rest through their signals; the
// word-problem window talks through `links`. The face shows `faces` (they must outlive it);
// the speech settings edit `jk` and test their sound on what `voice` gives. `created`
// runs on every window once it is built.
struct CompanionLinks {
    dialogs::SenExHost* senEx;
};
struct CompanionParts {
    QWidget* owner = nullptr;
    hissan::TJouken* jk = nullptr;
    CompanionLinks links{};
    const std::array<QPixmap, 9>* faces = nullptr;
    std::function<speech::SpeechEngine*()> voice;
    std::function<void(Companion, ToolWindow*)> created;
};

// The one owner of the companion windows. A window is built when it is first
// asked for (start-up builds only what it shows), placed beside the board,
// and kept on top of it; whether a window is shown is asked of the window.
class Companions {
  public:
    void setUp(CompanionParts parts) { parts_ = std::move(parts); }

    // Each window, built when first asked for.
    dialogs::TJoukenSetFormM* conditions();
    TStepGoForm* stepBox();
    dialogs::TSenExForm* wordProblem();
    dialogs::TInputFormM* keypad();
    speech::TFaceS* face();
    speech::TVoiceSetForm* voice();
    ToolWindow* window(Companion c);

    // The window if it was built, else null: nothing is built to be hidden.
    ToolWindow* built(Companion c) const { return built_[static_cast<size_t>(c)]; }
    bool shown(Companion c) const;
    void hide(Companion c);
    // Every window built so far, in the order of creation.
    std::vector<ToolWindow*> all() const;

    // The windows follow the board at (left, top), width x height.
    void place(const QRect& main);

    // Moves every shown window that covers `drawing` (global coordinates) or
    // a window before it to the nearest place within `area` where it covers
    // neither; a window that covers nothing stays where it is. Returns the
    // frames of the windows that found no such place.
    std::vector<QRect> keepClear(const QRect& drawing, const QRect& area);
    // Hides the shown windows (full screen), and shows again those of them
    // that are still hidden.
    void putAway();
    void bringBack();
    // The window was moved off its place by keepClear (and not placed since).
    bool displaced(Companion c) const { return displaced_[static_cast<size_t>(c)]; }

  private:
    ToolWindow* build(Companion c);
    void placeOne(Companion c);

    CompanionParts parts_;
    std::array<ToolWindow*, 6> built_{};
    std::array<bool, 6> displaced_{};
    std::array<bool, 6> putAway_{};
    // The board's bounds when last placed; empty before the first placing.
    QRect main_;
};

}  // namespace app
