#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/HttpLimits.h"
#include "run/AgentEngine.h"
#include "watch/CronJobManifest.h"

namespace gleanwork {

// The command line of gleanwork-run.
struct RunnerOptions {
    std::string logFile;    // empty: the run log goes to standard error
    std::string agentName;  // the catalogue agent to run, or
    std::string agentFile;  // the agent file to run
    HttpLimits limits;
    RunLimits runLimits;
    bool check = false;    // check the script instead of running it
    bool history = false;  // list the agent's runs instead of running it
    bool diff = false;     // show what changed between two of its kept outputs
    // With diff: how many kept outputs before the latest the one compared
    // with it is (nothing: 1).
    std::optional<std::size_t> diffBefore;
    bool schedule = false;       // write (or remove) the units of the agent's schedule
    bool listSchedules = false;  // list the scheduled agents of the catalogue
    bool cronJob = false;        // print the agent's Kubernetes manifests
    CronJobSettings kubernetes;  // what the manifests are made of besides the agent
    bool help = false;
};

class ArgumentReader;

// One option of gleanwork-run: its name (and another name, or none), the
// word that --help shows after it (none for an option that takes nothing),
// its help text (lines separated by line feeds) and what it does.
struct RunnerOption {
    std::string_view name;
    std::string_view alias;
    std::string_view argument;
    std::string_view help;
    bool (*apply)(ArgumentReader& reader);
};

// Every option, in the order of the help text. The parser, --help and the
// manual page's list of options all follow it.
std::span<const RunnerOption> RunnerOptionTable();

// What --help prints: the forms of the command line, then each option of the
// table with its help, then what the exit status says.
std::string RunnerUsage();

// Parses the arguments after the program name. On a usage error returns
// nothing and sets `error` to a one-line explanation.
std::optional<RunnerOptions> ParseRunnerOptions(const std::vector<std::string>& args,
                                                std::string& error);

}  // namespace gleanwork
