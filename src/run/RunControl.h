#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "base/StopSignal.h"
#include "run/RunLogWriter.h"
#include "run/RunOutcome.h"
#include "script/ScriptRun.h"

namespace gleanwork {

// How far a run may go: at most `maxSteps` script lines and `maxDuration`
// in all (0: no limit). A run that reaches a limit ends with an error line.
struct RunLimits {
    std::uint64_t maxSteps = 0;
    std::chrono::milliseconds maxDuration{0};
};

// Whether a run goes on: its running flag and stop signal, which any thread
// (and a signal handler) may raise, and its limits. The step limit is checked
// before every script line. The time limit is kept by a watcher thread that
// raises the stop signal when the time is up, so that the next script line
// does not run and every wait that watches the signal (a fetch, the polite
// interval) ends at once. The watcher also runs the stop action when the
// signal is raised: what ends a wait that cannot watch it (a database
// statement), also after a signal handler, which may do no more than raise.
class RunControl : public ScriptControl {
public:
    // `log` receives the line that ends a run at a limit; it must outlive this.
    explicit RunControl(RunLogWriter& log) : log_(log) {}
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;
    ~RunControl() override;

    void SetLimits(const RunLimits& limits) { limits_ = limits; }
    const RunLimits& limits() const { return limits_; }
    // `action` runs on the watcher's thread when the stop signal is raised
    // before Finish; it must be safe from another thread. Set before Start.
    void SetStopAction(std::function<void()> action) { stopAction_ = std::move(action); }

    // Begins the run: running unless a stop came first; the time limit
    // counts from here. Starts the watcher when there is a time limit or a
    // stop action.
    void Start();
    // Safe from any thread and from a signal handler.
    void Stop() noexcept;
    bool IsRunning() const { return running_.load(std::memory_order_relaxed); }
    const StopSignal& stopSignal() const { return stop_; }

    // Counts the step and ends the run once it reaches one of its limits.
    bool ContinueRun() override;
    void EndRun(const std::string& reason) override;
    bool Ending() const override;
    RunMark Mark() override;
    void GoBack(const RunMark& mark) override;
    void Release(const RunMark* mark) override;

    // The limit that ended the run; kNone while none has.
    RunLimit LimitReached() const { return limitReached_; }
    // Whether Stop was asked, by a caller or at the time limit.
    bool StopAsked() const { return stop_.Raised(); }

    // Ends the watcher, and logs the end at the time limit if no script line
    // has logged it. Called on the run's thread after its last line.
    void Finish();

private:
    void Watch(std::chrono::steady_clock::time_point deadline);
    // Logs the end at the time limit once, when the watcher has reached it.
    void ReportTimeLimit();

private:
    RunLogWriter& log_;
    std::atomic<bool> running_{false};
    std::atomic<bool> timeUp_{false};
    StopSignal stop_;
    RunLimits limits_;
    std::uint64_t steps_ = 0;
    // Where the end at the time limit was logged, once it was.
    std::optional<std::uint64_t> timeLimitLine_;
    RunLimit limitReached_ = RunLimit::kNone;  // the run's thread only
    std::function<void()> stopAction_;
    std::optional<StopSignal> finished_;  // raised when the watcher is to end
    std::jthread watcher_;
};

}  // namespace gleanwork
