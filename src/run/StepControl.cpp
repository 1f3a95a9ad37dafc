#include "run/StepControl.h"

#include <utility>

namespace gleanwork {

void StepControl::SetPauseListener(std::function<void()> listener) {
    const std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void StepControl::RequestPause() {
    const std::lock_guard lock(mutex_);
    pauseRequested_ = true;
    UpdateArmed();
}

void StepControl::Step() {
    Resume(true);
}

void StepControl::Continue() {
    Resume(false);
}

void StepControl::Resume(bool pauseAgain) {
    const std::lock_guard lock(mutex_);
    pauseRequested_ = pauseAgain;
    ++resumeCount_;
    UpdateArmed();
    resumed_.notify_all();
}

void StepControl::Release() {
    const std::lock_guard lock(mutex_);
    released_ = true;
    UpdateArmed();
    resumed_.notify_all();
}

void StepControl::SetBreakpoint(std::size_t lineIndex, bool on) {
    const std::lock_guard lock(mutex_);
    if (on) {
        breakpoints_.insert(lineIndex);
    } else {
        breakpoints_.erase(lineIndex);
    }
    UpdateArmed();
}

bool StepControl::HasBreakpoint(std::size_t lineIndex) const {
    const std::lock_guard lock(mutex_);
    return breakpoints_.contains(lineIndex);
}

bool StepControl::IsPaused() const {
    const std::lock_guard lock(mutex_);
    return snapshot_.has_value();
}

std::optional<StepSnapshot> StepControl::Snapshot() const {
    const std::lock_guard lock(mutex_);
    return snapshot_;
}

std::optional<StepSnapshot> StepControl::EndState() const {
    const std::lock_guard lock(mutex_);
    return endState_;
}

bool StepControl::KeepsEndState() const {
    const std::lock_guard lock(mutex_);
    return everArmed_;
}

void StepControl::KeepEndState(StepSnapshot snapshot) {
    const std::lock_guard lock(mutex_);
    endState_ = std::move(snapshot);
}

void StepControl::WaitBeforeLine(StepSnapshot snapshot) {
    std::unique_lock lock(mutex_);
    if (released_ || (!pauseRequested_ && !breakpoints_.contains(snapshot.lineIndex))) {
        return;
    }
    snapshot_ = std::move(snapshot);
    pauseRequested_ = false;
    const std::uint64_t resumeSeen = resumeCount_;
    if (listener_) {
        listener_();
    }
    resumed_.wait(lock, [&] { return released_ || resumeCount_ != resumeSeen; });
    snapshot_.reset();
}

void StepControl::UpdateArmed() {
    const bool armed = !released_ && (pauseRequested_ || !breakpoints_.empty());
    everArmed_ = everArmed_ || armed;
    armed_.store(armed, std::memory_order_relaxed);
}

}  // namespace gleanwork
