#pragma once

#include <chrono>
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

// How long the HTTP client waits for a connection and for each receive.
struct HttpLimits {
    std::chrono::milliseconds connect{std::chrono::seconds(30)};
    std::chrono::milliseconds receive{std::chrono::seconds(60)};
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
