#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "engine/RunLog.h"
#include "engine/RunOutput.h"
#include "net/SourceContext.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// Variables of a run, by exact name; looked up by string_view without copies.
using VariableTable = std::map<std::string, std::string, std::less<>>;

// Runs one agent once: reads its source, runs its script over the text,
// writes what the script prints and reports every step to the run log.
// The engine keeps its own copy of the agent, so the caller's record may
// change or go while the run lasts.
class AgentEngine : private SourceLog {
public:
    // `log` may be null: the run is then silent. It must outlive the engine.
    AgentEngine(const AgentDefinition& agent, RunLog* log);

    // One complete run; always ends with "Agent completed.".
    void Run();

    // Reads the agent's source into `text`: FetchHttp for a URL that begins
    // with "http://" or "https://", else ReadFileSource. Returns the reader's result.
    std::int64_t ReadSource(std::string& text);

    // Asks the run to stop before its next script line. Safe from any thread,
    // also before the run has started (it then runs no script line).
    void Stop();
    bool IsRunning() const { return running_.load(std::memory_order_relaxed); }

    void LogLine(std::string_view line) override;
    // Logs the echo of `scriptLine`: "# " followed by the line as stored.
    void LogCommand(std::string_view scriptLine);

    void SetHttpLimits(const HttpLimits& limits) { httpLimits_ = limits; }

    const AgentDefinition& agent() const { return agent_; }
    RunOutput& output() { return output_; }
    VariableTable& variables() { return variables_; }
    std::string& sourceText() { return sourceText_; }
    std::string& redirectUrl() { return redirectUrl_; }

private:
    void OpenOutput();

    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    const AgentDefinition agent_;
    RunOutput output_;
    VariableTable variables_;
    std::string sourceText_;
    std::string redirectUrl_;
    RunLog* log_;
    HttpLimits httpLimits_;
    std::string commandEcho_;
};

}  // namespace gleanwork
