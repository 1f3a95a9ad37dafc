#include "engine/AgentEngine.h"

#include "engine/ScriptInterpreter.h"

namespace gleanwork {

AgentEngine::AgentEngine(const AgentDefinition& agent, RunLog* log)
    : agent_(agent), log_(log), pages_(agent_, &log_), database_(agent_, log_) {}

void AgentEngine::Run() {
    log_.LogLine("Engine started.");
    running_.store(true);
    if (stopRequested_.load()) {
        running_.store(false);
    }
    log_.LogLine("Setting variables...");
    pages_.OpenSource();
    OpenOutput();
    ScriptInterpreter(
        {agent_, pages_, variables_, output_, log_, database_, running_, stepControl_})
        .RunScript();
    database_.Finish();
    output_.Close();
    log_.LogLine("Agent completed.");
}

std::int64_t AgentEngine::ReadSource(std::string& text) {
    return pages_.ReadSource(text);
}

void AgentEngine::Stop() {
    stopRequested_.store(true);
    running_.store(false);
    pages_.Interrupt();
    database_.Interrupt();
    if (stepControl_ != nullptr) {
        stepControl_->Release();
    }
}

void AgentEngine::OpenOutput() {
    if (agent_.FILE.empty()) {
        output_.UseStandardOutput();
        return;
    }
    log_.LogLine("Opening output file: " + agent_.FILE);
    if (!output_.OpenFile(agent_.FILE, agent_.APPEND != 0)) {
        log_.LogLine("Error opening output file!");
        output_.UseStandardOutput();
    }
}

}  // namespace gleanwork
