#include "base/ReadyWait.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "base/StopSignal.h"

namespace gleanwork {

WaitResult WaitReady(int fd, short events, std::chrono::steady_clock::time_point deadline,
                     const StopSignal* stop) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        if (stop != nullptr && stop->Raised()) {
            return WaitResult::Stopped;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return WaitResult::TimedOut;
        }
        std::array<pollfd, 2> entries{
            {{fd, events, 0}, {stop != nullptr ? stop->Descriptor() : -1, POLLIN, 0}}};
        const int ready = ::poll(entries.data(), entries.size(),
                                 static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
        if (ready > 0 && entries[0].revents != 0) {
            return WaitResult::Ready;
        }
        if (ready < 0 && errno != EINTR) {
            return WaitResult::Failed;
        }
    }
}

}  // namespace gleanwork
