// gleanwork-run: runs one agent without windows.

#include <cstdio>
#include <string>
#include <vector>

#include "base/FileCloser.h"
#include "cli/AgentLookup.h"
#include "cli/RunnerOptions.h"
#include "cli/ScriptCheckReport.h"
#include "cli/StreamRunLog.h"
#include "engine/AgentEngine.h"

namespace {

constexpr int kRunEnded = 0;
constexpr int kScriptWarnings = 1;
constexpr int kCannotRun = 2;

int Fail(const std::string& message) {
    std::fprintf(stderr, "gleanwork-run: %s\n", message.c_str());
    return kCannotRun;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gleanwork;
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const std::optional<RunnerOptions> options = ParseRunnerOptions(args, error);
    if (!options) {
        return Fail(error + " (see --help)");
    }
    if (options->help) {
        std::fputs(kRunnerUsage, stdout);
        return kRunEnded;
    }
    const std::optional<AgentDefinition> agent = LookUpAgent(*options, error);
    if (!agent) {
        return Fail(error);
    }
    if (options->check) {
        return ReportScriptCheck(*agent, AgentFileOf(*options), stdout) == 0 ? kRunEnded
                                                                             : kScriptWarnings;
    }
    FileStream logFile;
    if (!options->logFile.empty()) {
        logFile.reset(std::fopen(options->logFile.c_str(), "w"));
        if (!logFile) {
            return Fail("cannot write the log file '" + options->logFile + "'");
        }
    }
    StreamRunLog log(logFile ? logFile.get() : stderr, logFile != nullptr);
    AgentEngine engine(*agent, &log);
    engine.SetHttpLimits(options->limits);
    engine.Run();
    return kRunEnded;
}
