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
    return std::max(Clock::duration::zero(), last->second + IntervalOf(host) - now);
}

void PoliteInterval::Record(const std::string& host, Clock::time_point now) {
    std::erase_if(lastFetch_,
                  [&](const auto& entry) { return entry.second + IntervalOf(entry.first) <= now; });
    if (IntervalOf(host) > std::chrono::milliseconds::zero()) {
        lastFetch_[host] = now;
    }
}

void PoliteInterval::KeepAtLeast(const std::string& host, std::chrono::milliseconds least) {
    least_[host] = least;
}

std::chrono::milliseconds PoliteInterval::IntervalOf(const std::string& host) const {
    const auto least = least_.find(host);
    return least == least_.end() ? interval_ : std::max(interval_, least->second);
}

}  // namespace gleanwork
