#include "cli/RunnerOptions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "watch/KubernetesName.h"

namespace gleanwork {

const char* const kRunnerUsage =
    "usage: gleanwork-run [OPTION]... [--] NAME\n"
    "       gleanwork-run [OPTION]... --agent-file PATH\n"
    "       gleanwork-run --check NAME | --check --agent-file PATH\n"
    "       gleanwork-run --history NAME\n"
    "       gleanwork-run --diff NAME [N]\n"
    "       gleanwork-run --schedule NAME | --schedules\n"
    "       gleanwork-run --cronjob --image IMAGE [OPTION]... NAME\n"
    "\n"
    "Runs one agent without windows: the agent NAME of the catalogue in the\n"
    "installation folder, or the agent stored in the file PATH.\n"
    "\n"
    "  --log FILE             write the run log to FILE instead of standard error\n"
    "  --connect-timeout S    give up a connection after S seconds (default 30)\n"
    "  --read-timeout S       give up a receive after S seconds (default 60)\n"
    "  --fetch-timeout S      give up a whole fetch after S seconds (default 600)\n"
    "  --max-source-bytes N   refuse a source of more than N bytes (default 2 GiB)\n"
    "  --max-steps N          end the run after N script lines (default: no limit)\n"
    "  --max-seconds S        end the run after S seconds (default: no limit)\n"
    "  --agent-file PATH      run the agent file PATH instead of a catalogue agent\n"
    "  --check                check the agent's script instead of running it: each\n"
    "                         warning is printed as FILE:LINE: message\n"
    "  --history NAME         list the recorded runs of the agent NAME, newest first,\n"
    "                         one a line: start (ISO 8601, local time), outcome\n"
    "                         (ok, changed, unchanged, empty, failed, stopped),\n"
    "                         errors, lines printed, lines added, lines removed\n"
    "                         (- when not compared) and seconds, separated by tabs\n"
    "  --diff NAME [N]        show as a unified diff what changed between the latest\n"
    "                         kept output of NAME and the N-th kept output before it\n"
    "                         (default 1); lines that IGNORELINES matches are left\n"
    "                         out, and with IGNOREORDER=1 the lines are sorted\n"
    "  --schedule             write the systemd user timer and service that run the\n"
    "                         catalogue agent NAME on its SCHEDULE, and start the\n"
    "                         timer; remove them when SCHEDULE is empty\n"
    "  --schedules            list each scheduled agent of the catalogue: its name,\n"
    "                         SCHEDULE and next run time, separated by tabs\n"
    "  --cronjob              print the Kubernetes manifests (YAML) that run the\n"
    "                         catalogue agent NAME on its SCHEDULE: a ConfigMap\n"
    "                         holding the agent and a CronJob; --max-source-bytes\n"
    "                         sets the runs' source limit and memory\n"
    "  --image IMAGE          the container image of gleanwork-run (with --cronjob)\n"
    "  --namespace NAME       the namespace of the objects (default: kubectl's)\n"
    "  --secret NAME          the Secret whose keys dbpass and webpass hold the\n"
    "                         agent's passwords, which no ConfigMap holds\n"
    "  --output-claim NAME    the PersistentVolumeClaim that keeps the output files\n"
    "                         (default: an emptyDir, gone with the run's pod)\n"
    "  --help                 print this help\n"
    "  --                     end of options: NAME may begin with \"-\"\n"
    "\n"
    "In the run log, one line is one entry: a line break inside an entry is\n"
    "written as \\n (a carriage return as \\r, a backslash as \\\\).\n"
    "\n"
    "SIGINT, SIGTERM and SIGHUP stop the run as Close does in the window: the\n"
    "log ends with \"Agent completed.\" and the output keeps what was printed.\n"
    "\n"
    "Exit status: 0 after a run without an \"ERROR: \" line; 1 after a run that\n"
    "logged one; 2 for a usage error, an unknown agent or an agent file that\n"
    "cannot be read; 128 plus the signal's number after a run that a signal\n"
    "stopped. With --check: 0 without warnings, 1 with warnings. With --history:\n"
    "0, or 2 for an agent that neither the catalogue nor the history knows.\n"
    "With --diff, as diff: 0 when the outputs are equal, 1 when they differ,\n"
    "2 when they cannot be compared. With --schedule:\n"
    "0 when the units are written (also when no user service manager answers:\n"
    "a note says what is missing) or removed, 1 for a bad SCHEDULE (with systemd's\n"
    "reason) or units that cannot be written. With --schedules: 1 when a listed\n"
    "SCHEDULE is bad. With --cronjob: 1 when the agent has no SCHEDULE, a bad one,\n"
    "one that cron cannot say, or passwords but no --secret.\n"
    "\n"
    "The history is history.db in the installation folder, or the PostgreSQL\n"
    "database that GLEANWORK_HISTORY names (postgresql://...).\n";

namespace {

// A positive number of seconds, fractions allowed, at most one day.
std::optional<std::chrono::milliseconds> ParseSeconds(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(seconds) || seconds <= 0 ||
        seconds > 86400) {
        return std::nullopt;
    }
    const auto millis = static_cast<long long>(std::ceil(seconds * 1000));
    return std::chrono::milliseconds(millis);
}

// A positive whole number, at most 2 to the power 62.
std::optional<std::uint64_t> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 19 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const std::uint64_t count = std::stoull(text);
    if (count == 0 || count > (std::uint64_t{1} << 62)) {
        return std::nullopt;
    }
    return count;
}

class ArgumentReader {
public:
    ArgumentReader(const std::vector<std::string>& args, std::string& error)
        : args_(args), error_(error) {}

    bool Done() const { return next_ >= args_.size(); }
    const std::string& Next() { return args_[next_++]; }

    // After "--", every argument is a name, even one that begins with "-".
    bool OptionsEnded() const { return optionsEnded_; }
    void EndOptions() { optionsEnded_ = true; }

    // The value that follows option `option`, or nothing (with the error set).
    std::optional<std::string> ValueOf(const std::string& option) {
        if (Done()) {
            error_ = "option " + option + " needs a value";
            return std::nullopt;
        }
        return Next();
    }

private:
    const std::vector<std::string>& args_;
    std::string& error_;
    std::size_t next_ = 0;
    bool optionsEnded_ = false;
};

// Sets `target` from the value that follows `option`, read by `parse`;
// `expected` says what the value must be when it cannot be read.
template <typename Value, typename Parse>
bool ApplyParsed(ArgumentReader& reader, const std::string& option, Value& target, Parse parse,
                 const char* expected, std::string& error) {
    const std::optional<std::string> value = reader.ValueOf(option);
    if (!value) {
        return false;
    }
    const auto parsed = parse(*value);
    if (!parsed) {
        error = "option " + option + " needs " + expected + ", not '" + *value + "'";
        return false;
    }
    target = *parsed;
    return true;
}

bool ApplyTimeout(ArgumentReader& reader, const std::string& option,
                  std::chrono::milliseconds& limit, std::string& error) {
    return ApplyParsed(reader, option, limit, ParseSeconds, "a positive number of seconds", error);
}

bool ApplyCount(ArgumentReader& reader, const std::string& option, std::uint64_t& limit,
                std::string& error) {
    return ApplyParsed(reader, option, limit, ParseCount, "a positive whole number", error);
}

bool ApplyText(ArgumentReader& reader, const std::string& option, std::string& target) {
    const std::optional<std::string> value = reader.ValueOf(option);
    if (value) {
        target = *value;
    }
    return value.has_value();
}

bool ApplyName(const std::string& arg, RunnerOptions& options, std::string& error) {
    if (options.diff && !options.agentName.empty() && !options.diffBefore) {
        options.diffBefore = ParseCount(arg);
        if (!options.diffBefore) {
            error = "--diff NAME N needs N a positive whole number, not '" + arg + "'";
        }
        return options.diffBefore.has_value();
    }
    if (!options.agentName.empty()) {
        error = "only one agent name may be given";
        return false;
    }
    options.agentName = arg;
    return true;
}

bool ApplyArgument(ArgumentReader& reader, RunnerOptions& options, std::string& error) {
    const std::string& arg = reader.Next();
    if (reader.OptionsEnded()) {
        return ApplyName(arg, options, error);
    }
    if (arg == "--") {
        reader.EndOptions();
        return true;
    }
    if (arg == "--help" || arg == "-h") {
        options.help = true;
        return true;
    }
    if (arg == "--check") {
        options.check = true;
        return true;
    }
    if (arg == "--history") {
        options.history = true;
        return true;
    }
    if (arg == "--diff") {
        options.diff = true;
        return true;
    }
    if (arg == "--schedule") {
        options.schedule = true;
        return true;
    }
    if (arg == "--schedules") {
        options.listSchedules = true;
        return true;
    }
    if (arg == "--cronjob") {
        options.cronJob = true;
        return true;
    }
    if (arg == "--image") {
        return ApplyText(reader, arg, options.kubernetes.image);
    }
    if (arg == "--namespace") {
        return ApplyText(reader, arg, options.kubernetes.nameSpace);
    }
    if (arg == "--secret") {
        return ApplyText(reader, arg, options.kubernetes.secret);
    }
    if (arg == "--output-claim") {
        return ApplyText(reader, arg, options.kubernetes.outputClaim);
    }
    if (arg == "--log") {
        return ApplyText(reader, arg, options.logFile);
    }
    if (arg == "--agent-file") {
        return ApplyText(reader, arg, options.agentFile);
    }
    if (arg == "--connect-timeout") {
        return ApplyTimeout(reader, arg, options.limits.connect, error);
    }
    if (arg == "--read-timeout") {
        return ApplyTimeout(reader, arg, options.limits.receive, error);
    }
    if (arg == "--fetch-timeout") {
        return ApplyTimeout(reader, arg, options.limits.fetch, error);
    }
    if (arg == "--max-seconds") {
        return ApplyTimeout(reader, arg, options.runLimits.maxDuration, error);
    }
    if (arg == "--max-source-bytes") {
        return ApplyCount(reader, arg, options.limits.maxSourceBytes, error);
    }
    if (arg == "--max-steps") {
        return ApplyCount(reader, arg, options.runLimits.maxSteps, error);
    }
    if (arg.size() > 1 && arg.starts_with("-")) {
        error = "unknown option " + arg + " (an agent name that begins with \"-\" follows \"--\")";
        return false;
    }
    return ApplyName(arg, options, error);
}

// Why the Kubernetes options do not fit, or nothing.
std::optional<std::string> KubernetesFault(const RunnerOptions& options) {
    const CronJobSettings& kubernetes = options.kubernetes;
    if (!options.cronJob) {
        const bool given = !kubernetes.image.empty() || !kubernetes.nameSpace.empty() ||
                           !kubernetes.secret.empty() || !kubernetes.outputClaim.empty();
        return given ? std::optional<std::string>(
                           "--image, --namespace, --secret and --output-claim go with --cronjob")
                     : std::nullopt;
    }
    if (!options.agentFile.empty()) {
        return "--cronjob takes the name of a catalogue agent, not --agent-file";
    }
    if (kubernetes.image.empty()) {
        return "--cronjob needs the container image: --image IMAGE";
    }
    if (!kubernetes.nameSpace.empty() && !IsDnsLabel(kubernetes.nameSpace)) {
        return "--namespace needs a Kubernetes name (lower-case letters, digits and \"-\")";
    }
    for (const std::string* name : {&kubernetes.secret, &kubernetes.outputClaim}) {
        if (!name->empty() && !IsDnsSubdomain(*name)) {
            return "'" + *name +
                   "' is no Kubernetes name (lower-case letters, digits, \"-\", \".\")";
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<RunnerOptions> ParseRunnerOptions(const std::vector<std::string>& args,
                                                std::string& error) {
    RunnerOptions options;
    ArgumentReader reader(args, error);
    while (!reader.Done()) {
        if (!ApplyArgument(reader, options, error)) {
            return std::nullopt;
        }
    }
    if (options.help) {
        return options;
    }
    if (int{options.check} + int{options.history} + int{options.diff} + int{options.schedule} +
            int{options.listSchedules} + int{options.cronJob} >
        1) {
        error = "give one of --check, --history, --diff, --schedule, --schedules and --cronjob";
        return std::nullopt;
    }
    if (const std::optional<std::string> fault = KubernetesFault(options)) {
        error = *fault;
        return std::nullopt;
    }
    if (options.listSchedules) {
        if (!options.agentName.empty() || !options.agentFile.empty()) {
            error = "--schedules lists every scheduled agent: it takes no agent";
            return std::nullopt;
        }
        return options;
    }
    if (options.schedule && !options.agentFile.empty()) {
        error = "--schedule takes the name of a catalogue agent, not --agent-file";
        return std::nullopt;
    }
    if ((options.history || options.diff) && !options.agentFile.empty()) {
        error = "--history and --diff take an agent name, not --agent-file";
        return std::nullopt;
    }
    if (options.agentName.empty() == options.agentFile.empty()) {
        error = options.agentName.empty() ? "name an agent, or give --agent-file PATH"
                                          : "give an agent name or --agent-file, not both";
        return std::nullopt;
    }
    return options;
}

}  // namespace gleanwork
