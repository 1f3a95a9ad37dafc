#include "net/RetryAfter.h"

#include <algorithm>

#include "base/TextScan.h"
#include "net/CookieDate.h"

namespace gleanwork {

namespace {

bool IsDelaySeconds(std::string_view value) {
    return !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::optional<std::chrono::seconds> ReadRetryAfter(std::string_view value, std::time_t now) {
    value = TrimWhitespace(value);
    if (IsDelaySeconds(value)) {
        return std::chrono::seconds(ReadDecimal(value));
    }
    if (const std::optional<std::time_t> date = ParseCookieDate(value)) {
        return std::chrono::seconds(std::max<std::time_t>(*date - now, 0));
    }
    return std::nullopt;
}

RetryDecision DecideRetry(int status, std::string_view value, int retriesSoFar, std::time_t now,
                          std::chrono::seconds longestWait) {
    value = TrimWhitespace(value);
    if ((status != 429 && status != 503) || value.empty()) {
        return {};
    }
    const std::string busy = "Server busy (HTTP " + std::to_string(status) + ")";
    const std::optional<std::chrono::seconds> wait = ReadRetryAfter(value, now);
    if (!wait) {
        return {false, {}, busy + ": Retry-After \"" + std::string(value) + "\" not understood."};
    }
    const std::string seconds = std::to_string(wait->count());
    if (retriesSoFar >= kMostRetries) {
        return {false, *wait,
                busy + " after " + std::to_string(retriesSoFar) + " retries: not tried again."};
    }
    if (*wait > longestWait) {
        return {false, *wait,
                busy + ": Retry-After asks for " + seconds + " seconds, more than the " +
                    std::to_string(longestWait.count()) + " a run waits: not tried again."};
    }
    return {true, *wait,
            busy + ": trying again in " + seconds + " seconds (retry " +
                std::to_string(retriesSoFar + 1) + " of " + std::to_string(kMostRetries) + ")."};
}

}  // namespace gleanwork
