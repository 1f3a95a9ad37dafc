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
      cookieFile_(agent_, pages_.Cookies(), log_),
      database_(agent_, log_),
      control_(log_) {}

RunOutcome AgentEngine::Run() {
    const auto started = std::chrono::system_clock::now();
    const auto start = std::chrono::steady_clock::now();
    log_.LogLine("Engine started.");
    if (database_.HasSource()) {
        control_.SetStopAction([this] { database_.Interrupt(); });
    }
    control_.Start();
    log_.LogLine("Setting variables...");
    if (testRun_) {
        log_.LogLine("Test run: nothing is written to the output file or the database.");
    }
    bool ranThrough = false;
    try {
        ReadAndRun();
        ranThrough = true;
    } catch (const std::bad_alloc&) {
        log_.WriteAll();
        log_.LogError("Out of memory; the run ends here");
    } catch (const std::exception& error) {
        log_.WriteAll();
        log_.LogError("The run ends on an unexpected failure: " + std::string(error.what()));
    }
    control_.Finish();
    OutputFate output = output_.Close(ranThrough);
    if (output == OutputFate::kNone && !agent_.FILE.empty()) {
        output = OutputFate::kLeftAsItWas;
    }
    if (!testRun_) {
        cookieFile_.Save();
    }
    log_.LogLine("Agent completed.");
    return Outcome(started, start, output);
}

RunOutcome AgentEngine::Outcome(std::chrono::system_clock::time_point started,
                                std::chrono::steady_clock::time_point start,
                                OutputFate output) const {
    RunOutcome outcome;
    outcome.limit = control_.LimitReached();
    outcome.errors = log_.ErrorCount();
    outcome.firstError = log_.FirstError();
    if (outcome.limit != RunLimit::kNone) {
        outcome.end = RunEnd::kLimitReached;
    } else if (control_.StopAsked()) {
        outcome.end = RunEnd::kStopped;
    } else {
        outcome.end = outcome.errors > 0 ? RunEnd::kCompletedWithErrors : RunEnd::kCompleted;
    }
    outcome.output = output;
    outcome.outputStart = output_.OutputStart();
    if (!agent_.FILE.empty()) {
        outcome.outputPath = InInstallFolder(agent_.FILE);
    }
    outcome.database = database_.Fate();
    outcome.rows = database_.RowCount();
    outcome.linesPrinted = output_.LinesPrinted();
    outcome.started = started;
    outcome.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    outcome.testRun = testRun_;
    return outcome;
}

void AgentEngine::ReadAndRun() {
    pages_.SetHttpLimits(FetchLimits());
    cookieFile_.Load();
    const bool sourceRead = !pages_.OpenSource().Failed();
    ChooseOutput(sourceRead);
    ScriptInterpreter({agent_.SCRIPT, agent_.DBINSERT, agent_.DBUPDATE, pages_, variables_, output_,
                       database_, log_, control_, stepControl_})
        .RunScript();
    control_.Finish();
    database_.Finish(sourceRead && !testRun_);
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
    cookieFile_.Load();
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
        log_.LogError("Cannot open " + path + ": " + SystemReason(error));
        output_.UseStandardOutput();
    }
}

}  // namespace gleanwork
