#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/HttpClient.h"
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

// One fetch with everything it works on kept in view: the request (whose
// credentials belong to its own address), the log and the result. Limits are
// generous, so that only the tests about time limits ever reach them.
struct Fetch {
    explicit Fetch(const std::string& url = "") {
        request.url = url;
        request.credentials.originUrl = url;
        request.limits = {std::chrono::seconds(20), std::chrono::seconds(20)};
    }

    HttpRequest request;
    RecordingSourceLog log;
    HttpResult result;

    // Over `transport`, or over real sockets when it is null. Returns the
    // size of the body, or -1 when the fetch gave no page.
    std::int64_t Run(Transport* transport = nullptr) {
        result =
            transport == nullptr ? FetchHttp(request, &log) : FetchHttp(request, &log, *transport);
        return result.failure.GavePage() ? static_cast<std::int64_t>(result.body.size()) : -1;
    }
};

// An agent that reads `url` without a polite wait between pages, runs
// `script` and writes to `file`.
inline AgentDefinition LoopbackAgent(const std::string& url, const std::string& file,
                                     std::vector<std::string> script) {
    AgentDefinition agent;
    agent.URL = url;
    agent.FILE = file;
    agent.INTERVAL = "0";
    agent.SCRIPT = std::move(script);
    return agent;
}

}  // namespace gleanwork::test
