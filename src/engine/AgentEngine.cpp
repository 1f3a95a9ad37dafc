#include "engine/AgentEngine.h"

#include "engine/ScriptInterpreter.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/UrlSplit.h"

namespace gleanwork {

AgentEngine::AgentEngine(const AgentDefinition& agent, RunLog* log)
    : agent_(agent), log_(log), database_(agent_, log_) {}

void AgentEngine::Run() {
    log_.LogLine("Engine started.");
    running_.store(true);
    if (stopRequested_.load()) {
        running_.store(false);
    }
    log_.LogLine("Setting variables...");
    if (ReadSource(sourceText_) == 0) {
        log_.LogLine("ERROR: Unable to read specified URL or file");
    }
    OpenOutput();
    ScriptInterpreter(
        {agent_, sourceText_, variables_, output_, log_, database_, running_, stepControl_})
        .RunScript();
    database_.Finish();
    output_.Close();
    log_.LogLine("Agent completed.");
}

std::int64_t AgentEngine::ReadSource(std::string& text) {
    SourceContext context{agent_, &log_, redirectUrl_, httpLimits_};
    if (IsWebUrl(agent_.URL)) {
        return FetchHttp(context, text);
    }
    return ReadFileSource(context, text);
}

void AgentEngine::Stop() {
    stopRequested_.store(true);
    running_.store(false);
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
