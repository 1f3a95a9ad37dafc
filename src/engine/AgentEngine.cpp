#include "engine/AgentEngine.h"

#include "engine/ScriptInterpreter.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/UrlSplit.h"

namespace gleanwork {

AgentEngine::AgentEngine(const AgentDefinition& agent, RunLog* log) : agent_(agent), log_(log) {}

void AgentEngine::Run() {
    LogLine("Engine started.");
    running_.store(true);
    if (stopRequested_.load()) {
        running_.store(false);
    }
    LogLine("Setting variables...");
    if (ReadSource(sourceText_) == 0) {
        LogLine("ERROR: Unable to read specified URL or file");
    }
    OpenOutput();
    ScriptInterpreter(*this).RunScript();
    output_.Close();
    LogLine("Agent completed.");
}

std::int64_t AgentEngine::ReadSource(std::string& text) {
    SourceContext context{agent_, this, redirectUrl_, httpLimits_};
    if (IsWebUrl(agent_.URL)) {
        return FetchHttp(context, text);
    }
    return ReadFileSource(context, text);
}

void AgentEngine::Stop() {
    stopRequested_.store(true);
    running_.store(false);
}

void AgentEngine::LogLine(std::string_view line) {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

void AgentEngine::LogCommand(std::string_view scriptLine) {
    if (log_ == nullptr) {
        return;
    }
    commandEcho_.assign("# ");
    commandEcho_.append(scriptLine);
    log_->LogCommand(commandEcho_);
}

void AgentEngine::OpenOutput() {
    if (agent_.FILE.empty()) {
        output_.UseStandardOutput();
        return;
    }
    LogLine("Opening output file: " + agent_.FILE);
    if (!output_.OpenFile(agent_.FILE, agent_.APPEND != 0)) {
        LogLine("Error opening output file!");
        output_.UseStandardOutput();
    }
}

}  // namespace gleanwork
