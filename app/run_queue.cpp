#include "app/run_queue.h"

#include <QTimer>

#include "app/board_screen.h"
#include "app/companions.h"

namespace app {

RunQueue::RunQueue(hissan::TJouken& jk, Keisan& keisan, BoardScreen& screen, Companions& companions,
                   QObject* parent)
    : QObject(parent),
      keisan_(keisan),
      screen_(screen),
      companions_(companions),
      player_(std::make_unique<Player>(
          jk, [this]() -> const hissan::DisplayList& { return keisan_.ops(); })) {
    connect(player_.get(), &Player::progressed, &screen_, &BoardScreen::update);
    connect(player_.get(), &Player::finished, this, &RunQueue::onRunFinished);
    connect(player_.get(), &Player::beep, this, &RunQueue::beep);
    connect(player_.get(), &Player::stepModeEnded, this, &RunQueue::stepModeEnded);
}

// The player may still hold a timer into the board's list.
RunQueue::~RunQueue() {
    player_->disconnect(this);
}

void RunQueue::boardChanged(BoardChange change) {
    switch (change) {
        case BoardChange::Cleared:
            settle();
            screen_.setScroll(0);
            screen_.setSideScroll(0);
            break;
        case BoardChange::Typed:
            break;
        case BoardChange::Run:
            if (!busyCursor_) {
                screen_.view()->setCursor(Qt::BusyCursor);
                busyCursor_ = true;
            }
            enableInputWindows(false);
            // The calculation is drawn from its left end.
            screen_.setSideScroll(0);
            player_->start(keisan_.runStart());
            break;
        case BoardChange::Relaid:
            settle();
            break;
    }
    screen_.updateScrollRange();
    screen_.update();
}

void RunQueue::onRunFinished() {
    if (busyCursor_) {
        screen_.view()->unsetCursor();
        busyCursor_ = false;
    }
    enableInputWindows(inputWindowsWanted_);
    screen_.update();
    if (!deferred_.empty()) QTimer::singleShot(0, this, &RunQueue::drainDeferred);
}

void RunQueue::drainDeferred() {
    while (!drawing() && !deferred_.empty()) {
        auto action = std::move(deferred_.front());
        deferred_.pop_front();
        action();
    }
}

void RunQueue::whenIdle(std::function<void()> action) {
    if (drawing())
        deferred_.push_back(std::move(action));
    else
        action();
}

bool RunQueue::takeKey(core::Key key, unsigned mods, const core::KeyState& state,
                       std::function<void()> later) {
    if (!drawing()) return false;
    switch (core::whileDrawing(key, mods, state)) {
        case core::WhileDrawing::StepEscape:
            player_->stepEscape();
            return true;
        case core::WhileDrawing::StepGo:
            player_->stepGo();
            return true;
        case core::WhileDrawing::Later:
            deferred_.push_back(std::move(later));
            return true;
        case core::WhileDrawing::AtOnce:
            break;
    }
    return false;
}

void RunQueue::settle() {
    if (drawing()) player_->finish();
}

void RunQueue::finish() {
    for (int guard = 0; guard < 1000 && (drawing() || !deferred_.empty()); ++guard) {
        player_->finish();
        drainDeferred();
    }
}

// The keypad and the conditions dialog take no input while a calculation is
// drawn; they come back when the drawing is over.
void RunQueue::setInputWindowsEnabled(bool on) {
    inputWindowsWanted_ = on;
    enableInputWindows(on && !drawing());
}

void RunQueue::enableInputWindows(bool on) {
    for (Companion c : {Companion::Keypad, Companion::Conditions})
        if (ToolWindow* w = companions_.built(c)) w->setEnabled(on);
}

}  // namespace app
