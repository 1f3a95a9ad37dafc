#include "engine/RunControl.h"

namespace gleanwork {

// A Stop on another thread raises the signal before it clears running_, and
// Start sets running_ before it looks at the signal: however the two
// interleave, a stop is never lost.
void RunControl::Start() {
    deadline_ = std::chrono::steady_clock::now() + limits_.maxDuration;
    running_.store(true);
    if (stop_.Raised()) {
        running_.store(false);
    }
}

void RunControl::Stop() noexcept {
    stop_.Raise();
    running_.store(false);
}

bool RunControl::ContinueRun() {
    if (!running_.load(std::memory_order_relaxed)) {
        return false;
    }
    ++steps_;
    if (limits_.maxSteps != 0 && steps_ > limits_.maxSteps) {
        return EndRun("ERROR: The run took more than " + std::to_string(limits_.maxSteps) +
                      " steps");
    }
    constexpr std::uint64_t kStepsBetweenClockReads = 1024;
    if (limits_.maxDuration.count() > 0 && steps_ % kStepsBetweenClockReads == 0 &&
        std::chrono::steady_clock::now() >= deadline_) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(limits_.maxDuration);
        return EndRun("ERROR: The run took longer than " + std::to_string(seconds.count()) +
                      " seconds");
    }
    return true;
}

bool RunControl::EndRun(const std::string& errorLine) {
    log_.LogLine(errorLine);
    running_.store(false);
    return false;
}

}  // namespace gleanwork
