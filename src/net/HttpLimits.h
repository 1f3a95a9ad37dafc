#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "base/StopSignal.h"

namespace gleanwork {

// How long the HTTP client waits for a connection and for each receive (or
// for the peer to take more of the request), and the most bytes that one
// receive call takes (tests set 1 to reach every edge of the reply). A whole
// fetch, name lookup included, lasts at most `fetch`, and a source holds at
// most `maxSourceBytes`. A fetch sets `fetchDeadline` when it starts; every
// wait also ends early once `stop` (when given) is raised.
struct HttpLimits {
    using Clock = std::chrono::steady_clock;

    std::chrono::milliseconds connect{std::chrono::seconds(30)};
    std::chrono::milliseconds receive{std::chrono::seconds(60)};
    std::size_t receiveChunk = std::size_t{1} << 20;
    std::chrono::milliseconds fetch{std::chrono::minutes(10)};
    std::uint64_t maxSourceBytes = std::uint64_t{2} << 30;
    const StopSignal* stop = nullptr;
    Clock::time_point fetchDeadline = Clock::time_point::max();

    // Whether `stop` has been raised.
    bool Stopped() const { return stop != nullptr && stop->Raised(); }
    // The end of a wait of `wait` from now, kept within the fetch's deadline.
    Clock::time_point WaitEnd(std::chrono::milliseconds wait) const {
        const Clock::time_point now = Clock::now();
        return fetchDeadline - now < wait ? fetchDeadline : now + wait;
    }
};

}  // namespace gleanwork
