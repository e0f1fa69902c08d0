#include "app/player.h"

namespace app {

using hissan::Op;

Player::Player(hissan::TJouken& jk, Source source, QObject* parent)
    : QObject(parent), jk_(jk), source_(std::move(source)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Player::onTimer);
}

void Player::start(size_t from) {
    if (running()) finish();
    pos_ = std::min(from, source_().size());
    state_ = State::Drawing;
    advance();
}

void Player::finish() {
    if (!running()) return;
    timer_.stop();
    end();
}

void Player::end() {
    timer_.stop();
    state_ = State::Idle;
    pos_ = source_().size();
    emit progressed();
    emit finished();
}

// Reveals ops up to the next mark that makes the run wait, then arms the
// timer for that wait; at the end of the list the run is over.
void Player::advance() {
    state_ = State::Drawing;
    const hissan::DisplayList& ops = source_();
    bool shownMore = false;
    while (pos_ < ops.size()) {
        const Op& op = ops[pos_];
        ++pos_;
        if (op.stepOnly && jk_.STEPFLAG != 1) {
            if (op.kind != Op::Pause && op.kind != Op::Step) shownMore = true;
            continue;
        }
        if (op.kind == Op::Pause) {
            const int ms = op.units * std::max(0, jk_.StrokeDelay) * 100;
            if (ms <= 0) continue;
            if (shownMore) emit progressed();
            timer_.start(ms);
            return;
        }
        if (op.kind == Op::Step) {
            if (jk_.STEPFLAG != 1) continue;
            if (shownMore) emit progressed();
            state_ = State::StepGuard;
            timer_.start(kStepGuardMs);
            return;
        }
        shownMore = true;
    }
    end();
}

void Player::onTimer() {
    if (state_ == State::StepGuard) {
        state_ = State::StepWait;
        return;
    }
    if (state_ == State::Drawing) advance();
}

bool Player::stepGo() {
    if (state_ != State::StepWait) return false;
    if (jk_.STEPBEEP == 1) emit beep();
    advance();
    return true;
}

bool Player::stepEscape() {
    return atStepPoint() && stopStepping();
}

bool Player::stopStepping() {
    if (!running()) return false;
    timer_.stop();
    jk_.STEPFLAG = 0;
    jk_.AUTOSTEP = 0;
    jk_.StrokeDelay = 0;
    emit stepModeEnded();
    advance();
    return true;
}

}  // namespace app
