#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/CookieJar.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// Where a source reader reports its progress and errors, one line at a time.
class SourceLog {
public:
    virtual ~SourceLog() = default;
    virtual void LogLine(std::string_view line) = 0;
};

class StopSignal;

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
    bool Stopped() const;
    // The end of a wait of `wait` from now, kept within the fetch's deadline.
    Clock::time_point WaitEnd(std::chrono::milliseconds wait) const {
        const Clock::time_point now = Clock::now();
        return fetchDeadline - now < wait ? fetchDeadline : now + wait;
    }
};

// What a source reader works with: the agent whose source it reads, the log
// (or none), the redirect target carried between HTTP attempts, limits, the
// cookies of the run (none: no cookie is sent or kept), the number of
// redirects the last fetch followed, and the address whose origin the
// agent's web credentials belong to (the agent's URL unless set otherwise).
struct SourceContext {
    SourceContext(const AgentDefinition& agentToRead, SourceLog* logOrNone, std::string& redirect,
                  HttpLimits httpLimits = {}, CookieJar* runCookies = nullptr)
        : agent(agentToRead),
          log(logOrNone),
          redirectUrl(redirect),
          limits(httpLimits),
          cookies(runCookies),
          homeUrl(agentToRead.URL) {}

    const AgentDefinition& agent;
    SourceLog* log;
    std::string& redirectUrl;
    HttpLimits limits;
    CookieJar* cookies = nullptr;
    int redirects = 0;
    CookieOrigin origin;  // of the request whose reply is being read
    std::string_view homeUrl;

    void LogLine(std::string_view line) const {
        if (log != nullptr) {
            log->LogLine(line);
        }
    }
};

}  // namespace gleanwork
