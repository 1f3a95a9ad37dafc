#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

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
// (or none), the redirect target carried between HTTP attempts, and limits.
struct SourceContext {
    const AgentDefinition& agent;
    SourceLog* log;
    std::string& redirectUrl;
    HttpLimits limits;

    void LogLine(std::string_view line) const {
        if (log != nullptr) {
            log->LogLine(line);
        }
    }
};

}  // namespace gleanwork
