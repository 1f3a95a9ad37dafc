#include "run/RunControl.h"

#include <poll.h>

#include <cerrno>

#include "base/ReadyWait.h"
#include "base/SystemReason.h"

namespace gleanwork {

RunControl::~RunControl() {
    if (finished_) {
        finished_->Raise();
    }
}

// A Stop on another thread raises the signal before it clears running_, and
// Start sets running_ before it looks at the signal: however the two
// interleave, a stop is never lost.
void RunControl::Start() {
    const auto start = std::chrono::steady_clock::now();
    running_.store(true);
    if (stop_.Raised()) {
        running_.store(false);
    }
    const bool timed = limits_.maxDuration.count() > 0;
    if (!timed && !stopAction_) {
        return;
    }
    finished_.emplace();
    if (finished_->Descriptor() < 0) {
        EndRun("The run cannot watch its limits: " + SystemReason(errno));
        return;
    }
    const auto deadline =
        timed ? start + limits_.maxDuration : std::chrono::steady_clock::time_point::max();
    watcher_ = std::jthread([this, deadline] { Watch(deadline); });
}

void RunControl::Stop() noexcept {
    stop_.Raise();
    running_.store(false);
}

bool RunControl::ContinueRun() {
    if (!running_.load(std::memory_order_relaxed)) {
        ReportTimeLimit();
        return false;
    }
    ++steps_;
    if (limits_.maxSteps != 0 && steps_ > limits_.maxSteps) {
        limitReached_ = RunLimit::kSteps;
        EndRun("The run took more than " + std::to_string(limits_.maxSteps) + " steps");
        return false;
    }
    return true;
}

bool RunControl::Ending() const {
    return !IsRunning() || (limits_.maxSteps != 0 && steps_ >= limits_.maxSteps);
}

RunMark RunControl::Mark() {
    log_.Hold();
    return {log_.Position(), steps_};
}

// The end at the time limit is logged again if its line goes.
void RunControl::GoBack(const RunMark& mark) {
    log_.DropFrom(mark.lines);
    steps_ = mark.steps;
    if (timeLimitLine_ && *timeLimitLine_ >= mark.lines) {
        timeLimitLine_.reset();
        timeUp_.store(true);
    }
}

void RunControl::Release(const RunMark* mark) {
    if (mark != nullptr) {
        log_.WriteBefore(mark->lines);
    } else {
        log_.WriteAll();
    }
}

void RunControl::Finish() {
    if (finished_) {
        finished_->Raise();
    }
    if (watcher_.joinable()) {
        watcher_.join();
    }
    ReportTimeLimit();
}

// A deadline that passes once the run has ended by itself is none of its
// business; a stop, by time or from elsewhere, runs the stop action.
void RunControl::Watch(std::chrono::steady_clock::time_point deadline) {
    const WaitResult result = WaitReady(finished_->Descriptor(), POLLIN, deadline, &stop_);
    if (result == WaitResult::TimedOut && running_.load()) {
        timeUp_.store(true);
        Stop();
    } else if (result != WaitResult::Stopped) {
        return;
    }
    if (stopAction_) {
        stopAction_();
    }
}

void RunControl::EndRun(const std::string& reason) {
    log_.LogError(reason);
    running_.store(false);
}

void RunControl::ReportTimeLimit() {
    if (timeUp_.exchange(false)) {
        timeLimitLine_ = log_.Position();
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(limits_.maxDuration);
        limitReached_ = RunLimit::kTime;
        log_.LogError("The run took longer than " + std::to_string(seconds.count()) + " seconds");
    }
}

}  // namespace gleanwork
