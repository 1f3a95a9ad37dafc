#pragma once

#include <chrono>
#include <cstddef>
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

// How long the HTTP client waits for a connection and for each receive (or
// for the peer to take more of the request), and the most bytes that one
// receive call takes (tests set 1 to reach every edge of the reply).
struct HttpLimits {
    std::chrono::milliseconds connect{std::chrono::seconds(30)};
    std::chrono::milliseconds receive{std::chrono::seconds(60)};
    std::size_t receiveChunk = std::size_t{1} << 20;
};

// What a source reader works with: the agent whose source it reads, the log
// (or none), the redirect target carried between HTTP attempts, limits, the
// cookies of the run (none: no cookie is sent or kept), and the number of
// redirects the last fetch followed.
struct SourceContext {
    SourceContext(const AgentDefinition& agentToRead, SourceLog* logOrNone, std::string& redirect,
                  HttpLimits httpLimits = {}, CookieJar* runCookies = nullptr)
        : agent(agentToRead),
          log(logOrNone),
          redirectUrl(redirect),
          limits(httpLimits),
          cookies(runCookies) {}

    const AgentDefinition& agent;
    SourceLog* log;
    std::string& redirectUrl;
    HttpLimits limits;
    CookieJar* cookies = nullptr;
    int redirects = 0;
    CookieOrigin origin;  // of the request whose reply is being read

    void LogLine(std::string_view line) const {
        if (log != nullptr) {
            log->LogLine(line);
        }
    }
};

}  // namespace gleanwork
