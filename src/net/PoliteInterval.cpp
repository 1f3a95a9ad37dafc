#include "net/PoliteInterval.h"

#include <algorithm>
#include <limits>

#include "base/TextScan.h"

namespace gleanwork {

std::chrono::milliseconds PoliteInterval::Read(std::string_view text) {
    if (text.empty()) {
        return kDefault;
    }
    // At most a day, which keeps every sum with a time point in range.
    constexpr std::int64_t kLongest = 24 * 60 * 60 * 1000;
    return std::chrono::milliseconds(std::clamp<std::int64_t>(ReadDecimal(text), 0, kLongest));
}

PoliteInterval::Clock::duration PoliteInterval::WaitBefore(const std::string& host,
                                                           Clock::time_point now) const {
    const auto last = lastFetch_.find(host);
    if (last == lastFetch_.end()) {
        return Clock::duration::zero();
    }
    return std::max(Clock::duration::zero(), last->second + interval_ - now);
}

void PoliteInterval::Record(const std::string& host, Clock::time_point now) {
    if (interval_ <= std::chrono::milliseconds::zero()) {
        return;
    }
    std::erase_if(lastFetch_, [&](const auto& entry) { return entry.second + interval_ <= now; });
    lastFetch_[host] = now;
}

}  // namespace gleanwork
