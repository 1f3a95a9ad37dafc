#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "engine/RunLog.h"
#include "engine/RunOutput.h"
#include "net/SourceContext.h"
#include "net/StopSignal.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// How far a run may go: at most `maxSteps` script lines and `maxDuration`
// in all (0: no limit). A run that reaches a limit ends with an "ERROR: " line.
struct RunLimits {
    std::uint64_t maxSteps = 0;
    std::chrono::milliseconds maxDuration{0};
};

// Variables of a run, by exact name; looked up by string_view without copies.
using VariableTable = std::map<std::string, std::string, std::less<>>;

// Runs one agent once: reads its source, runs its script over the text,
// writes what the script prints and reports every step to the run log.
// The engine keeps its own copy of the agent, so the caller's record may
// change or go while the run lasts.
//
// Every failure is an "ERROR: " line. A run whose source failed (an error
// line while it was read, or nothing read) or that was stopped before its
// script began leaves the output file as it was; so does a run whose output
// could not be written completely or that ended on an exception. Relative
// paths in URL and FILE are relative to the installation folder.
class AgentEngine : private SourceLog {
public:
    // `log` may be null: the run is then silent. It must outlive the engine.
    AgentEngine(const AgentDefinition& agent, RunLog* log);

    // One complete run; always ends with "Agent completed.". Throws nothing.
    void Run();

    // Reads the agent's source into `text`: FetchHttp for a URL that begins
    // with "http://", else ReadFileSource. Returns the reader's result.
    std::int64_t ReadSource(std::string& text);

    // Asks the run to stop: a wait of the fetch ends at once, no further
    // script line runs. Safe from any thread and from a signal handler, also
    // before the run has started (it then runs no script line).
    void Stop() noexcept;
    bool IsRunning() const { return running_.load(std::memory_order_relaxed); }
    // Called before each script line: whether it may run. Counts the step
    // and ends the run once it reaches one of its limits.
    bool ContinueRun();
    // Whether the run has logged an "ERROR: " line so far.
    bool ErrorLogged() const { return errorLogged_; }

    void LogLine(std::string_view line) override;
    // Logs the echo of `scriptLine`: "# " followed by the line as stored.
    void LogCommand(std::string_view scriptLine);

    void SetHttpLimits(const HttpLimits& limits) { httpLimits_ = limits; }
    void SetRunLimits(const RunLimits& limits) { runLimits_ = limits; }

    const AgentDefinition& agent() const { return agent_; }
    RunOutput& output() { return output_; }
    VariableTable& variables() { return variables_; }
    std::string& sourceText() { return sourceText_; }
    std::string& redirectUrl() { return redirectUrl_; }

private:
    // Reads the source and runs the script; whether the output is to be kept.
    bool ReadAndRun();
    void OpenOutput();
    bool EndRun(const std::string& errorLine);

    std::atomic<bool> running_{false};
    StopSignal stop_;
    const AgentDefinition agent_;
    RunOutput output_;
    VariableTable variables_;
    std::string sourceText_;
    std::string redirectUrl_;
    RunLog* log_;
    HttpLimits httpLimits_;
    RunLimits runLimits_;
    std::uint64_t steps_ = 0;
    std::chrono::steady_clock::time_point runDeadline_;
    bool errorLogged_ = false;
    std::string commandEcho_;
};

}  // namespace gleanwork
