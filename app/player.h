// Plays a recorded board drawing the way a pupil sees it being written: the
// ops are revealed one after another, waiting at the pacing marks, without
// ever blocking the event loop.
//
//  - A pause mark waits units x StrokeDelay x 100 ms. StrokeDelay is read when
//    the mark is reached, so a change during a run counts from the next mark.
//  - A step point in manual step mode (STEPFLAG = 1, read at the mark) waits
//    200 ms, then for stepGo() (G or a left click on the board; a beep first
//    when STEPBEEP = 1) or stepEscape() (Escape: manual stepping ends, the
//    stroke delay drops to 0 and the rest is drawn at once).
//  - stopStepping() (Y or End) ends every kind of stepping at any point of a
//    run, paced or waiting at a step, and draws the rest at once.
//  - Marks flagged step-only count only while STEPFLAG = 1.
// Whoever paints the board shows the first revealed() ops.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "hissan/display_list.h"
#include "hissan/jouken.h"

namespace app {

class Player : public QObject {
    Q_OBJECT
  public:
    enum class State {
        Idle,       // nothing playing; the whole list is shown
        Drawing,    // revealing ops, or waiting out a pause
        StepGuard,  // at a step point, the 200 ms before input counts
        StepWait,   // at a step point, waiting for G, a click or Escape
    };

    // `source` gives the board's current list; it is asked at every step, so
    // a list that is rebuilt or cleared during a run is never read stale.
    using Source = std::function<const hissan::DisplayList&()>;
    Player(hissan::TJouken& jk, Source source, QObject* parent = nullptr);

    // Plays ops[from..] of the list; the ops before `from` count as shown.
    // Ops up to the first wait are revealed before this returns; a run
    // without waits is over at once.
    void start(size_t from);
    // Reveals the rest at once, skipping every remaining wait.
    void finish();

    bool running() const { return state_ != State::Idle; }
    State state() const { return state_; }
    bool atStepPoint() const { return state_ == State::StepGuard || state_ == State::StepWait; }
    // How many ops of the list to show; every op when idle.
    size_t revealed() const { return running() ? pos_ : size_t(-1); }
    // The wait now running (a pause or a step's guard), in ms; 0 when none.
    int pendingWaitMs() const { return timer_.isActive() ? timer_.interval() : 0; }

    // G or a left click on the board: goes on from a step point (after its
    // 200 ms). Returns true when it was taken.
    bool stepGo();
    // Escape at a step point: ends manual stepping and draws the rest.
    bool stepEscape();
    // Ends stepping of either kind (STEPFLAG, AUTOSTEP and the stroke delay
    // drop to 0) anywhere in a run and draws the rest at once. Returns true
    // when a run was playing.
    bool stopStepping();

    // Stepping lasts this long before G counts (ms).
    static constexpr int kStepGuardMs = 200;

  signals:
    void progressed();     // more ops are revealed: repaint
    void stepModeEnded();  // stepping ended during a run (STEPFLAG and AUTOSTEP are 0 now)
    void beep();           // a manual step with STEPBEEP = 1
    void finished();       // the run is over; revealed() is the whole list

  private:
    void advance();
    void onTimer();
    void end();

    hissan::TJouken& jk_;
    Source source_;
    size_t pos_ = 0;
    State state_ = State::Idle;
    QTimer timer_;
};

}  // namespace app
