// gleanwork-run: runs one agent without windows.

#include <fcntl.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/ErrorLine.h"
#include "base/SystemReason.h"
#include "cli/AgentLookup.h"
#include "cli/RunnerOptions.h"
#include "cli/ScheduleCommands.h"
#include "cli/ScriptCheckReport.h"
#include "cli/StreamRunLog.h"
#include "net/StandardError.h"
#include "run/AgentEngine.h"
#include "storage/FileWriting.h"
#include "watch/AlertPost.h"
#include "watch/HistoryOpen.h"
#include "watch/HistoryReport.h"
#include "watch/LogKeeper.h"
#include "watch/RunWatch.h"

namespace {

constexpr int kRunClean = 0;
constexpr int kRunHadErrors = 1;
constexpr int kScriptWarnings = 1;
constexpr int kCannotRun = 2;

std::atomic<gleanwork::AgentEngine*> runningEngine{nullptr};
// The signal that stopped the run, 0 when none did.
std::atomic<int> stoppingSignal{0};
// A run that a signal stopped ends with the status a shell gives a program
// that the signal ended: 128 plus its number.
constexpr int kStoppedBySignalBase = 128;

int Fail(const std::string& message) {
    std::fprintf(stderr, "gleanwork-run: %s\n", message.c_str());
    return kCannotRun;
}

extern "C" void StopOnSignal(int number) {
    stoppingSignal.store(number);
    if (gleanwork::AgentEngine* engine = runningEngine.load()) {
        engine->StopFromSignal();
    }
}

// SIGINT, SIGTERM and SIGHUP stop the run the way Close does; a write past a
// file-size limit or to a closed pipe fails as a write instead of ending the
// program, so that the run can report it.
void HandleSignals() {
    struct sigaction stop {};
    stop.sa_handler = StopOnSignal;
    sigemptyset(&stop.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(number, &stop, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
}

// A run log that cannot be written ends the run, as a run would otherwise go
// on unseen, and an endless one for ever.
void StopOnLogFailure() {
    if (gleanwork::AgentEngine* engine = runningEngine.load()) {
        engine->StopFromSignal();
    }
}

// Runs the agent once; the engine, and the pages it read, are gone when this
// returns.
gleanwork::RunOutcome RunEngine(const gleanwork::RunnerOptions& options,
                                const gleanwork::AgentDefinition& agent, gleanwork::RunLog& log) {
    gleanwork::AgentEngine engine(agent, &log);
    engine.SetHttpLimits(options.limits);
    engine.SetRunLimits(options.runLimits);
    runningEngine.store(&engine);
    HandleSignals();
    const gleanwork::RunOutcome outcome = engine.Run();
    runningEngine.store(nullptr);
    return outcome;
}

int Run(const gleanwork::RunnerOptions& options, const gleanwork::AgentDefinition& agent) {
    using namespace gleanwork;
    FileDescriptor logFile;
    if (!options.logFile.empty()) {
        int error = 0;
        logFile = OpenForWriting(options.logFile, O_CREAT | O_TRUNC, error);
        if (!logFile.IsOpen()) {
            return Fail("cannot write the log file '" + options.logFile +
                        "': " + SystemReason(error));
        }
    }
    StreamRunLog log(logFile.IsOpen() ? StreamRunLog::Destination::File
                                      : StreamRunLog::Destination::StandardError,
                     logFile.IsOpen() ? logFile.Get() : STDERR_FILENO,
                     logFile.IsOpen() ? options.logFile : "on standard error", StopOnLogFailure);
    LogKeeper kept(log);
    const RunOutcome outcome = RunEngine(options, agent, kept);
    const WatchedRun watched =
        WatchRun(agent, outcome, kept, [&kept] { return kept.Parts(); }, {HttpWebPost()});
    const bool logWritten = log.Flush();
    EndStandardErrorLine();
    if (const int signal = stoppingSignal.load(); signal != 0) {
        return kStoppedBySignalBase + signal;
    }
    return outcome.Failed() || watched.errors > 0 || !logWritten ? kRunHadErrors : kRunClean;
}

// --history and --diff: what the run history holds about the agent. An
// agent missing from the catalogue may still have runs there (recorded on
// another machine, or before it was removed).
int ReportFromHistory(const gleanwork::RunnerOptions& options) {
    using namespace gleanwork;
    std::string ignored;
    const std::optional<AgentDefinition> found = LookUpAgent(options, ignored);
    AgentDefinition agent = found.value_or(AgentDefinition{});
    agent.name = options.agentName;
    HistoryResult opened;
    const std::unique_ptr<HistoryStore> store = OpenHistory(opened);
    if (!store) {
        return Fail(opened.reason);
    }
    std::vector<std::string> messages;
    const ReportStatus status =
        options.history ? ReportRunHistory(*store, agent, found.has_value(), stdout, messages)
                        : ReportOutputDiff(*store, agent, found.has_value(),
                                           options.diffBefore.value_or(1), stdout, messages);
    for (const std::string& message : messages) {
        std::fprintf(stderr, "gleanwork-run: %s\n", message.c_str());
    }
    return static_cast<int>(status);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gleanwork;
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        std::string error;
        const std::optional<RunnerOptions> options = ParseRunnerOptions(args, error);
        if (!options) {
            return Fail(error + " (see --help)");
        }
        if (options->help) {
            std::fputs(RunnerUsage().c_str(), stdout);
            return kRunClean;
        }
        if (options->history || options->diff) {
            return ReportFromHistory(*options);
        }
        if (options->listSchedules) {
            return ListSchedules(stdout);
        }
        const std::optional<AgentDefinition> agent = LookUpAgent(*options, error);
        if (!agent) {
            return Fail(error);
        }
        if (options->cronJob) {
            return PrintCronJob(*options, *agent, stdout, stderr);
        }
        if (options->schedule) {
            return ApplyAgentSchedule(*agent, stdout, stderr);
        }
        if (options->check) {
            return ReportScriptCheck(*agent, AgentFileOf(*options), stdout) == 0 ? kRunClean
                                                                                 : kScriptWarnings;
        }
        return Run(*options, *agent);
    } catch (const std::exception& failure) {
        const std::string line = ErrorLine("gleanwork-run ends on an unexpected failure: " +
                                           std::string(failure.what()));
        std::fprintf(stderr, "%s\n", line.c_str());
        return kRunHadErrors;
    }
}
