#pragma once

#include <chrono>

namespace gleanwork {

class StopSignal;

enum class WaitResult { Ready, TimedOut, Stopped, Failed };

// Waits until `fd` is ready for `events` (poll's), `deadline` passes or
// `stop` (may be null) is raised, whichever comes first.
WaitResult WaitReady(int fd, short events, std::chrono::steady_clock::time_point deadline,
                     const StopSignal* stop);

}  // namespace gleanwork
