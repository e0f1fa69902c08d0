// The tool windows that stand beside the blackboard: created once at start-up
// in a fixed order, kept on top of the board and moved with it.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>

#include "ui/tool_window.h"

namespace dialogs {
class KeypadHost;
class SenExHost;
class TInputFormM;
class TSenExForm;
}  // namespace dialogs

#include "hissan/jouken.h"

namespace dialogs {
class JoukenHost;
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

// Every companion window, in the order of creation.
struct Companions {
    dialogs::TJoukenSetFormM* JoukenSetFormM = nullptr;  // conditions dialog
    TStepGoForm* StepGoForm = nullptr;                   // manual-step box
    dialogs::TSenExForm* SenExForm = nullptr;            // word-problem window
    dialogs::TInputFormM* InputFormM = nullptr;          // on-screen keypad
    speech::TFaceS* FaceS = nullptr;                     // character face
    speech::TVoiceSetForm* VoiceSetForm = nullptr;       // speech settings

    // All six, in the order of creation.
    std::array<ToolWindow*, 6> all() const;

    // Last face state asked for by the main window's timer.
    int LastViseme = -1;
    int EyeState = 1;
};

// A window's frame from stored numbers, safe for any of them (the sums are
// worked in 64 bits): the size at least `minSize` and at most what the screens
// offer together; the place kept while some of the frame shows on a screen
// (part of it may stand off the edge, as it was left), otherwise 20 pixels
// into the primary screen's top left corner (a projector that is gone).
QRect frameOnScreen(qint64 left, qint64 top, qint64 width, qint64 height, QSize minSize);

// `v` as a window coordinate, kept within the positions Qt can give a window
// so that a position plus a size stays an int.
int windowCoord(qint64 v);

// Places the windows of a main window at (left, top), width x height, on
// their start positions.
struct MainBounds {
    int left, top, width, height, harufa;
};

// Creates the six windows in the fixed order: conditions dialog, step box,
// word-problem window (at bLeft, bTop), keypad, face, speech settings. The
// keypad and the face are shown, the others stay hidden. The conditions
// dialog works on `jk` and asks `joukenHost` for the rest; it is set from
// the conditions by its FormCreate once all the windows exist. The keypad and
// the word-problem window talk through `links`. The face shows `faces` (they
// must outlive it); the speech settings edit `jk` and test their sound on
// `voice`.
struct CompanionLinks {
    dialogs::KeypadHost* keypad;
    dialogs::SenExHost* senEx;
};
Companions createCompanions(QWidget* owner, const MainBounds& m, hissan::TJouken& jk,
                            dialogs::JoukenHost& joukenHost, int bLeft, int bTop,
                            const CompanionLinks& links, const std::array<QPixmap, 9>& faces,
                            speech::SpeechEngine* voice);

}  // namespace app
