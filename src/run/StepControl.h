#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "script/StepHook.h"

namespace gleanwork {

// Lets a window pause a run between script lines, step it line by line and
// set breakpoints. The run thread asks IsArmed() before each line; only when
// it is true does it take a snapshot and call WaitBeforeLine(), so a run that
// is never paused and has no breakpoint pays one relaxed load per line.
// Every member is safe from any thread.
class StepControl : public StepHook {
public:
    // Called on the run thread each time the run pauses (after the snapshot
    // is stored). It must not block.
    void SetPauseListener(std::function<void()> listener);

    // Pauses before the next line the run reaches.
    void RequestPause();
    // Runs one line and pauses again.
    void Step();
    // Runs on up to the next breakpoint.
    void Continue();
    // Ends every wait for good: the run goes on without pausing again, so
    // that a stopped run can see its stop flag.
    void Release();

    void SetBreakpoint(std::size_t lineIndex, bool on);
    bool HasBreakpoint(std::size_t lineIndex) const;

    bool IsArmed() const override { return armed_.load(std::memory_order_relaxed); }
    bool IsPaused() const;
    // The state of the run while it is paused; nothing while it runs.
    std::optional<StepSnapshot> Snapshot() const;
    // The state the script ended in, once it has ended, if it was kept.
    std::optional<StepSnapshot> EndState() const;

    // Run thread: pauses when a pause was asked for or a breakpoint is on
    // `snapshot.lineIndex`, until Step, Continue or Release.
    void WaitBeforeLine(StepSnapshot snapshot) override;
    // Whether the control was ever armed (someone watches the run's state).
    bool KeepsEndState() const override;
    void KeepEndState(StepSnapshot snapshot) override;

private:
    void Resume(bool pauseAgain);
    void UpdateArmed();  // with mutex_ held

    mutable std::mutex mutex_;
    std::condition_variable resumed_;
    std::atomic<bool> armed_{false};
    bool pauseRequested_ = false;
    bool released_ = false;
    bool everArmed_ = false;
    std::uint64_t resumeCount_ = 0;
    std::set<std::size_t> breakpoints_;
    std::optional<StepSnapshot> snapshot_;
    std::optional<StepSnapshot> endState_;
    std::function<void()> listener_;
};

}  // namespace gleanwork
