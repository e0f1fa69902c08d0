// The board's runs: a calculation that "=" laid out is played on the board
// by the player, the mouse shows busy and the input windows wait meanwhile,
// and whatever the user asked during the run (keys, a word problem to show)
// waits in turn until the drawing is over.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>

#include "app/player.h"
#include "core/keisan.h"
#include "core/keymap.h"

namespace app {

class BoardScreen;
class Companions;

class RunQueue : public QObject {
    Q_OBJECT
  public:
    RunQueue(hissan::TJouken& jk, Keisan& keisan, BoardScreen& screen, Companions& companions,
             QObject* parent = nullptr);
    ~RunQueue() override;

    Player& player() { return *player_; }
    const Player& player() const { return *player_; }
    // True while a recorded calculation is being played on the board.
    bool drawing() const { return player_->running(); }

    // The board changed as an entry operation reported.
    void boardChanged(BoardChange change);
    // The keypad and the conditions dialog take input (`on`) once no
    // drawing plays.
    void setInputWindowsEnabled(bool on);
    // Whether the keypad and the conditions dialog take input now.
    bool inputWindowsOn() const { return inputWindowsWanted_ && !drawing(); }
    // Runs `action` now, or after the drawing when one plays.
    void whenIdle(std::function<void()> action);
    // A key pressed while a drawing plays: acts on the step points, waits
    // for the end of the drawing (`later`), or is left to act at once (false).
    bool takeKey(core::Key key, unsigned mods, const core::KeyState& state,
                 std::function<void()> later);
    // Shows the rest of the drawing at once, if one plays.
    void settle();
    // Shows the rest of the drawing at once and carries out what waited.
    void finish();

  signals:
    void stepModeEnded();  // stepping ended during a run
    void beep();           // a manual step asks for a beep

  private:
    void onRunFinished();
    void drainDeferred();
    void enableInputWindows(bool on);

    Keisan& keisan_;
    BoardScreen& screen_;
    Companions& companions_;
    std::unique_ptr<Player> player_;
    std::deque<std::function<void()>> deferred_;
    bool busyCursor_ = false;
    bool inputWindowsWanted_ = true;  // keypad and dialog, once no drawing plays
};

}  // namespace app
