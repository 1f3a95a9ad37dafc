#pragma once

#include <atomic>

#include "base/FileDescriptor.h"

namespace gleanwork {

// A stop request (or any other one-time event, such as the end of a task)
// that blocking waits can watch along with their socket: once raised it stays
// raised, and its descriptor stays readable. Raise is safe from any thread
// and from a signal handler.
class StopSignal {
public:
    StopSignal();

    void Raise() noexcept;
    bool Raised() const noexcept { return raised_.load(); }
    // Readable once raised; -1 when the system gave no descriptor (waits then
    // only notice a stop between their steps).
    int Descriptor() const { return event_.Get(); }

private:
    std::atomic<bool> raised_{false};
    FileDescriptor event_;
};

}  // namespace gleanwork
