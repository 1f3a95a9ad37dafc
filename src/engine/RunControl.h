#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "engine/RunLogWriter.h"
#include "net/StopSignal.h"

namespace gleanwork {

// How far a run may go: at most `maxSteps` script lines and `maxDuration`
// in all (0: no limit). A run that reaches a limit ends with an "ERROR: " line.
struct RunLimits {
    std::uint64_t maxSteps = 0;
    std::chrono::milliseconds maxDuration{0};
};

// Whether a run goes on: its running flag and stop signal, which any thread
// may raise, and its limits, checked before every script line.
class RunControl {
public:
    // `log` receives the line that ends a run at a limit; it must outlive this.
    explicit RunControl(RunLogWriter& log) : log_(log) {}

    void SetLimits(const RunLimits& limits) { limits_ = limits; }
    const RunLimits& limits() const { return limits_; }

    // Begins the run: running unless a stop came first; the time limit
    // counts from here.
    void Start();
    // Safe from any thread and from a signal handler.
    void Stop() noexcept;
    bool IsRunning() const { return running_.load(std::memory_order_relaxed); }
    const StopSignal& stopSignal() const { return stop_; }

    // Called before each script line: whether it may run. Counts the step
    // and ends the run once it reaches one of its limits.
    bool ContinueRun();

    // Logs `errorLine` and ends the run: no further script line runs. False,
    // for ContinueRun to return.
    bool EndRun(const std::string& errorLine);

private:
    RunLogWriter& log_;
    std::atomic<bool> running_{false};
    StopSignal stop_;
    RunLimits limits_;
    std::uint64_t steps_ = 0;
    std::chrono::steady_clock::time_point deadline_;
};

}  // namespace gleanwork
