#pragma once

#include <string>
#include <string_view>

#include "net/CookieJar.h"
#include "net/HttpLimits.h"
#include "net/SourceLog.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

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
