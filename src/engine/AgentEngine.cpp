#include "engine/AgentEngine.h"

#include <algorithm>
#include <exception>
#include <new>

#include "engine/ScriptInterpreter.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "storage/InstallFolder.h"
#include "storage/SystemReason.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHttpPrefix = "http://";

}  // namespace

AgentEngine::AgentEngine(const AgentDefinition& agent, RunLog* log)
    : agent_(agent), output_(*this), log_(log) {}

void AgentEngine::Run() {
    LogLine("Engine started.");
    running_.store(!stop_.Raised());
    LogLine("Setting variables...");
    runDeadline_ = std::chrono::steady_clock::now() + runLimits_.maxDuration;
    bool keepOutput = false;
    try {
        keepOutput = ReadAndRun();
    } catch (const std::bad_alloc&) {
        LogLine("ERROR: Out of memory; the run ends here");
    } catch (const std::exception& error) {
        LogLine("ERROR: The run ends on an unexpected failure: " + std::string(error.what()));
    }
    output_.Close(keepOutput);
    LogLine("Agent completed.");
}

bool AgentEngine::ReadAndRun() {
    const std::int64_t read = ReadSource(sourceText_);
    if (read == 0) {
        LogLine("ERROR: Unable to read specified URL or file");
    }
    const bool sourceRead = read > 0 && !errorLogged_;
    if (agent_.FILE.empty()) {
        output_.UseStandardOutput();
    } else if (sourceRead && !stop_.Raised()) {
        OpenOutput();
    } else {
        output_.UseNothing();
        LogLine("Output file left as it was: " + InInstallFolder(agent_.FILE));
    }
    ScriptInterpreter(*this).RunScript();
    return true;
}

std::int64_t AgentEngine::ReadSource(std::string& text) {
    HttpLimits limits = httpLimits_;
    limits.stop = &stop_;
    if (runLimits_.maxDuration.count() > 0) {
        limits.fetch = std::min(limits.fetch, runLimits_.maxDuration);
    }
    SourceContext context{agent_, this, redirectUrl_, limits};
    if (std::string_view(agent_.URL).starts_with(kHttpPrefix)) {
        return FetchHttp(context, text);
    }
    return ReadFileSource(context, text);
}

void AgentEngine::Stop() noexcept {
    running_.store(false);
    stop_.Raise();
}

bool AgentEngine::ContinueRun() {
    if (!running_.load(std::memory_order_relaxed)) {
        return false;
    }
    ++steps_;
    if (runLimits_.maxSteps != 0 && steps_ > runLimits_.maxSteps) {
        return EndRun("ERROR: The run took more than " + std::to_string(runLimits_.maxSteps) +
                      " steps");
    }
    constexpr std::uint64_t kStepsBetweenClockReads = 1024;
    if (runLimits_.maxDuration.count() > 0 && steps_ % kStepsBetweenClockReads == 0 &&
        std::chrono::steady_clock::now() >= runDeadline_) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(runLimits_.maxDuration);
        return EndRun("ERROR: The run took longer than " + std::to_string(seconds.count()) +
                      " seconds");
    }
    return true;
}

bool AgentEngine::EndRun(const std::string& errorLine) {
    LogLine(errorLine);
    running_.store(false);
    return false;
}

void AgentEngine::LogLine(std::string_view line) {
    if (line.starts_with("ERROR: ")) {
        errorLogged_ = true;
    }
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
    LogLine("Opening output file: " + agent_.FILE);
    const std::string path = InInstallFolder(agent_.FILE);
    int error = 0;
    if (!output_.OpenFile(path, agent_.APPEND != 0, error)) {
        LogLine("Error opening output file!");
        LogLine("ERROR: Cannot open " + path + ": " + SystemReason(error));
        output_.UseStandardOutput();
    }
}

}  // namespace gleanwork
