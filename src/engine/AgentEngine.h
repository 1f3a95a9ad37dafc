#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/DatabaseSession.h"
#include "engine/PageBrowser.h"
#include "engine/RunLog.h"
#include "engine/RunLogWriter.h"
#include "engine/RunOutput.h"
#include "engine/ScriptRun.h"
#include "net/SourceContext.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// Runs one agent once: reads its source, runs its script over the text,
// writes what the script prints and reports every step to the run log.
// The engine keeps its own copy of the agent, so the caller's record may
// change or go while the run lasts.
class AgentEngine {
public:
    // `log` may be null: the run is then silent. It must outlive the engine.
    AgentEngine(const AgentDefinition& agent, RunLog* log);

    // One complete run; always ends with "Agent completed.".
    void Run();

    // Reads the agent's source into `text`: FetchHttp for a URL that begins
    // with "http://" or "https://", else ReadFileSource. Returns the reader's
    // result.
    std::int64_t ReadSource(std::string& text);

    // Asks the run to stop before its next script line. Safe from any thread,
    // also before the run has started (it then runs no script line).
    void Stop();
    bool IsRunning() const { return running_.load(std::memory_order_relaxed); }

    // Lets `control` pause the script between lines; it must outlive the run.
    // Stop releases a paused run.
    void SetStepControl(StepControl* control) { stepControl_ = control; }

    void SetHttpLimits(const HttpLimits& limits) { pages_.SetHttpLimits(limits); }
    void SetPageReader(PageBrowser::PageReader reader) { pages_.SetPageReader(std::move(reader)); }

private:
    void OpenOutput();

    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    const AgentDefinition agent_;
    RunOutput output_;
    VariableTable variables_;
    RunLogWriter log_;
    PageBrowser pages_;
    DatabaseSession database_;
    StepControl* stepControl_ = nullptr;
};

}  // namespace gleanwork
