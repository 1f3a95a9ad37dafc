#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace gleanwork {

// How long the Retry-After `value` of a reply received at `now` asks a
// client to wait: delta-seconds ("120") or an HTTP-date (any of its three
// forms; a date already past asks for no wait). None when it is neither.
std::optional<std::chrono::seconds> ReadRetryAfter(std::string_view value, std::time_t now);

// Whether to send a request again after a reply that asked for a wait.
struct RetryDecision {
    bool retry = false;
    std::chrono::seconds wait{0};  // before the next try
    std::string note;              // the run-log line; empty when the reply asked nothing
};

// What to do after a reply with HTTP `status` and Retry-After `value` (empty
// when the reply had none), received at `now`, when `retriesSoFar` retries
// of this request have been made. Only a 429 or 503 with a Retry-After that
// can be read is retried, at most kMostRetries times, and only when the wait
// it asks for is at most `longestWait`: a client that came back sooner than
// asked would not honour it, so a longer wait leaves the reply as it is.
RetryDecision DecideRetry(int status, std::string_view value, int retriesSoFar, std::time_t now,
                          std::chrono::seconds longestWait);

// The most retries of one request, and the longest wait a run takes by
// default before one.
inline constexpr int kMostRetries = 2;
inline constexpr std::chrono::seconds kLongestRetryWait{120};

}  // namespace gleanwork
