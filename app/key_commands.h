// The keyboard of the board: a Qt key press is translated into the board's
// key names and looked up in the key map (core/keymap.h); the command found
// is carried out on the entry, the board and the companion windows. While a
// drawing plays, G / Escape act on its step points, a few keys act at once
// and the others wait for its end.
#pragma once

#include <QObject>
#include <functional>

#include "app/conditions_control.h"
#include "core/keymap.h"

namespace app {

class BoardScreen;
class Companions;
class RunQueue;

class KeyCommands : public QObject {
    Q_OBJECT
  public:
    KeyCommands(hissan::TJouken& jk, Keisan& keisan, RunQueue& runs, BoardScreen& screen,
                ConditionsControl& controls, Companions& companions, WindowActions actions,
                QWidget* window);

    // A key press of the user, `scanCode` being its native scan code (0 when
    // unknown).
    void keyPressed(int key, Qt::KeyboardModifiers mods, quint32 scanCode = 0);
    // Carries out what the key map finds for a key in the present state.
    void command(core::Key key, unsigned mods);
    // What the key map's state tests look at.
    core::KeyState state() const;

  signals:
    void beep();
    void speechSettingsRequested();

  private:
    hissan::TJouken& jk_;
    Keisan& keisan_;
    RunQueue& runs_;
    BoardScreen& screen_;
    ConditionsControl& controls_;
    Companions& comp_;
    WindowActions act_;
    QWidget* window_;
};

}  // namespace app
