#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

namespace gleanwork {

// Keeps the fetches of one run from one host at least an interval apart:
// a fetch waits until the interval has passed since the last fetch from
// that host ended.
class PoliteInterval {
public:
    using Clock = std::chrono::steady_clock;

    // One second: about what a person clicking through a site takes, and the
    // delay that sites most often ask of crawlers.
    static constexpr std::chrono::milliseconds kDefault{1000};

    // The interval that an agent's INTERVAL value asks for, in milliseconds:
    // the default when the value is empty, none when it is 0 or negative.
    static std::chrono::milliseconds Read(std::string_view text);

    explicit PoliteInterval(std::chrono::milliseconds interval = kDefault) : interval_(interval) {}

    // How long a fetch from `host` that starts at `now` must wait first.
    Clock::duration WaitBefore(const std::string& host, Clock::time_point now) const;

    // Notes that a fetch from `host` ended at `now`. Hosts whose interval has
    // passed are forgotten, so a run over many hosts keeps few entries.
    void Record(const std::string& host, Clock::time_point now);

    // Makes the interval of `host` at least `least` (a Crawl-delay that the
    // host asks for), whatever the run's own interval is.
    void KeepAtLeast(const std::string& host, std::chrono::milliseconds least);

private:
    std::chrono::milliseconds IntervalOf(const std::string& host) const;

    std::chrono::milliseconds interval_;
    std::map<std::string, Clock::time_point, std::less<>> lastFetch_;
    std::map<std::string, std::chrono::milliseconds, std::less<>> least_;
};

}  // namespace gleanwork
