// gleanwork-run: runs one agent without windows.

#include <fcntl.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/FileCloser.h"
#include "cli/AgentLookup.h"
#include "cli/RunnerOptions.h"
#include "cli/ScheduleCommands.h"
#include "cli/ScriptCheckReport.h"
#include "cli/StreamRunLog.h"
#include "engine/AgentEngine.h"
#include "storage/OutputFile.h"
#include "storage/SystemReason.h"

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

int Run(const gleanwork::RunnerOptions& options, const gleanwork::AgentDefinition& agent) {
    using namespace gleanwork;
    FileStream logFile;
    if (!options.logFile.empty()) {
        FileDescriptor fd = OpenForWriting(options.logFile, O_CREAT | O_TRUNC);
        if (fd.IsOpen()) {
            logFile.reset(::fdopen(fd.Get(), "w"));
        }
        if (!logFile) {
            return Fail("cannot write the log file '" + options.logFile +
                        "': " + SystemReason(errno));
        }
        static_cast<void>(fd.Release());
    }
    StreamRunLog log(logFile ? logFile.get() : stderr, logFile != nullptr, options.logFile);
    AgentEngine engine(agent, &log);
    engine.SetHttpLimits(options.limits);
    engine.SetRunLimits(options.runLimits);
    runningEngine.store(&engine);
    HandleSignals();
    engine.Run();
    runningEngine.store(nullptr);
    const bool logWritten = log.Flush();
    if (const int signal = stoppingSignal.load(); signal != 0) {
        return kStoppedBySignalBase + signal;
    }
    return engine.ErrorLogged() || !logWritten ? kRunHadErrors : kRunClean;
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
            std::fputs(kRunnerUsage, stdout);
            return kRunClean;
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
        std::fprintf(stderr, "ERROR: gleanwork-run ends on an unexpected failure: %s\n",
                     failure.what());
        return kRunHadErrors;
    }
}
