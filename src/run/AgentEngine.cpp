#include "run/AgentEngine.h"

#include <algorithm>
#include <exception>
#include <new>

#include "base/SystemReason.h"
#include "script/ScriptInterpreter.h"
#include "storage/InstallFolder.h"

namespace gleanwork {

AgentEngine::AgentEngine(const AgentDefinition& agent, RunLog* log)
    : agent_(agent),
      log_(log),
      output_(log_, control_),
      pages_(agent_, &log_),
      database_(agent_, log_),
      control_(log_) {}

void AgentEngine::Run() {
    log_.LogLine("Engine started.");
    if (database_.HasSource()) {
        control_.SetStopAction([this] { database_.Interrupt(); });
    }
    control_.Start();
    log_.LogLine("Setting variables...");
    if (testRun_) {
        log_.LogLine("Test run: nothing is written to the output file or the database.");
    }
    bool keepOutput = false;
    try {
        keepOutput = ReadAndRun();
    } catch (const std::bad_alloc&) {
        log_.WriteAll();
        log_.LogLine("ERROR: Out of memory; the run ends here");
    } catch (const std::exception& error) {
        log_.WriteAll();
        log_.LogLine("ERROR: The run ends on an unexpected failure: " + std::string(error.what()));
    }
    control_.Finish();
    output_.Close(keepOutput);
    log_.LogLine("Agent completed.");
}

bool AgentEngine::ReadAndRun() {
    pages_.SetHttpLimits(FetchLimits());
    const bool sourceRead = !pages_.OpenSource().Failed();
    ChooseOutput(sourceRead);
    ScriptInterpreter({agent_.SCRIPT, agent_.DBINSERT, agent_.DBUPDATE, pages_, variables_, output_,
                       database_, log_, control_, stepControl_})
        .RunScript();
    control_.Finish();
    database_.Finish(sourceRead && !testRun_);
    return true;
}

void AgentEngine::ChooseOutput(bool sourceRead) {
    if (agent_.FILE.empty()) {
        if (testRun_) {
            output_.UseNothing();
        } else {
            output_.UseStandardOutput();
        }
    } else if (sourceRead && !testRun_ && !control_.stopSignal().Raised()) {
        OpenOutput();
    } else {
        output_.UseNothing();
        log_.LogLine("Output file left as it was: " + InInstallFolder(agent_.FILE));
    }
}

SourceResult AgentEngine::ReadSource() {
    pages_.SetHttpLimits(FetchLimits());
    return pages_.ReadSource();
}

HttpLimits AgentEngine::FetchLimits() const {
    HttpLimits limits = httpLimits_;
    limits.stop = &control_.stopSignal();
    const RunLimits& runLimits = control_.limits();
    if (runLimits.maxDuration.count() > 0) {
        limits.fetch = std::min(limits.fetch, runLimits.maxDuration);
    }
    return limits;
}

void AgentEngine::Stop() {
    control_.Stop();
    if (stepControl_ != nullptr) {
        stepControl_->Release();
    }
}

void AgentEngine::OpenOutput() {
    log_.LogLine("Opening output file: " + agent_.FILE);
    const std::string path = InInstallFolder(agent_.FILE);
    int error = 0;
    if (!output_.OpenFile(path, agent_.APPEND != 0, error)) {
        log_.LogLine("Error opening output file!");
        log_.LogLine("ERROR: Cannot open " + path + ": " + SystemReason(error));
        output_.UseStandardOutput();
    }
}

}  // namespace gleanwork
