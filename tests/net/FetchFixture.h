#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/HttpClient.h"
#include "net/SourceContext.h"
#include "storage/AgentDefinition.h"

namespace gleanwork::test {

// Keeps every line a source reader logs.
class RecordingSourceLog : public SourceLog {
public:
    void LogLine(std::string_view line) override { lines.emplace_back(line); }

    std::vector<std::string> lines;
};

// The log line of a fetch that contacts 127.0.0.1 at `port`.
inline std::string ContactingLine(int port) {
    return "Contacting host: 127.0.0.1 (port " + std::to_string(port) + ")...";
}

// One fetch with everything it works on kept in view: the agent, the log,
// the redirect target and the text. Limits are generous, so that only the
// tests about time limits ever reach them.
struct Fetch {
    Fetch() = default;
    explicit Fetch(std::string url) { agent.URL = std::move(url); }

    AgentDefinition agent;
    RecordingSourceLog log;
    std::string redirectUrl;
    HttpLimits limits{std::chrono::seconds(20), std::chrono::seconds(20)};
    std::string text;

    // Over `transport`, or over real sockets when it is null.
    std::int64_t Run(Transport* transport = nullptr) {
        SourceContext context{agent, &log, redirectUrl, limits};
        return transport == nullptr ? FetchHttp(context, text)
                                    : FetchHttp(context, text, *transport);
    }
};

}  // namespace gleanwork::test
