#pragma once

#include <chrono>
#include <functional>

#include "base/ReadyWait.h"

namespace gleanwork {

// Runs `work` on a thread of its own and waits for it until `deadline` passes
// or `stop` (may be null) is raised. Ready means that `work` has finished and
// everything it wrote is visible to the caller; otherwise the thread is left
// to finish alone, so `work` must own (or share) all that it touches.
WaitResult RunLeavable(std::function<void()> work, std::chrono::steady_clock::time_point deadline,
                       const StopSignal* stop);

}  // namespace gleanwork
