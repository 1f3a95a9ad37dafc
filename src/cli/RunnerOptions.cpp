#include "cli/RunnerOptions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "watch/KubernetesName.h"

namespace gleanwork {

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

// Where the help of an option begins on its line, and how the lines of
// its help after the first are indented.
constexpr std::size_t kHelpColumn = 25;

// The lines of --help before the options, and after them.
constexpr std::string_view kUsageForms =
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
    "\n";
constexpr std::string_view kUsageNotes =
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

}  // namespace

// The arguments after the program name as the options' actions read them,
// one after another, into the options.
class ArgumentReader {
public:
    ArgumentReader(const std::vector<std::string>& args, RunnerOptions& read, std::string& error)
        : options(read), args_(args), error_(error) {}

    RunnerOptions& options;

    bool Done() const { return next_ >= args_.size(); }
    const std::string& Next() { return args_[next_++]; }
    // Names the option whose action reads next, for its error messages.
    void ReadingOption(std::string_view option) { option_ = option; }

    // After "--", every argument is a name, even one that begins with "-".
    bool OptionsEnded() const { return optionsEnded_; }
    bool EndOptions() {
        optionsEnded_ = true;
        return true;
    }

    bool Set(bool& flag) {
        flag = true;
        return true;
    }
    // Each sets `target` from the value that follows the option; false, with
    // the error set, when there is none or it cannot be read.
    bool Text(std::string& target) {
        const std::optional<std::string> value = Value();
        if (value) {
            target = *value;
        }
        return value.has_value();
    }
    bool Seconds(std::chrono::milliseconds& target) {
        return Parsed(target, ParseSeconds, "a positive number of seconds");
    }
    bool Count(std::uint64_t& target) {
        return Parsed(target, ParseCount, "a positive whole number");
    }

private:
    std::optional<std::string> Value() {
        if (Done()) {
            error_ = "option " + std::string(option_) + " needs a value";
            return std::nullopt;
        }
        return Next();
    }

    // `expected` says what the value must be when `parse` cannot read it.
    template <typename Value, typename Parse>
    bool Parsed(Value& target, Parse parse, const char* expected) {
        const std::optional<std::string> value = this->Value();
        if (!value) {
            return false;
        }
        const auto parsed = parse(*value);
        if (!parsed) {
            error_ =
                "option " + std::string(option_) + " needs " + expected + ", not '" + *value + "'";
            return false;
        }
        target = *parsed;
        return true;
    }

    const std::vector<std::string>& args_;
    std::string& error_;
    std::size_t next_ = 0;
    std::string_view option_;
    bool optionsEnded_ = false;
};

namespace {

constexpr RunnerOption kRunnerOptions[] = {
    {"--log", "", "FILE", "write the run log to FILE instead of standard error",
     [](ArgumentReader& in) { return in.Text(in.options.logFile); }},
    {"--connect-timeout", "", "S", "give up a connection after S seconds (default 30)",
     [](ArgumentReader& in) { return in.Seconds(in.options.limits.connect); }},
    {"--read-timeout", "", "S", "give up a receive after S seconds (default 60)",
     [](ArgumentReader& in) { return in.Seconds(in.options.limits.receive); }},
    {"--fetch-timeout", "", "S", "give up a whole fetch after S seconds (default 600)",
     [](ArgumentReader& in) { return in.Seconds(in.options.limits.fetch); }},
    {"--max-source-bytes", "", "N", "refuse a source of more than N bytes (default 2 GiB)",
     [](ArgumentReader& in) { return in.Count(in.options.limits.maxSourceBytes); }},
    {"--max-steps", "", "N", "end the run after N script lines (default: no limit)",
     [](ArgumentReader& in) { return in.Count(in.options.runLimits.maxSteps); }},
    {"--max-seconds", "", "S", "end the run after S seconds (default: no limit)",
     [](ArgumentReader& in) { return in.Seconds(in.options.runLimits.maxDuration); }},
    {"--agent-file", "", "PATH", "run the agent file PATH instead of a catalogue agent",
     [](ArgumentReader& in) { return in.Text(in.options.agentFile); }},
    {"--check", "", "",
     "check the agent's script instead of running it: each\n"
     "warning is printed as FILE:LINE: message",
     [](ArgumentReader& in) { return in.Set(in.options.check); }},
    {"--history", "", "NAME",
     "list the recorded runs of the agent NAME, newest first,\n"
     "one a line: start (ISO 8601, local time), outcome\n"
     "(ok, changed, unchanged, empty, failed, stopped),\n"
     "errors, lines printed, lines added, lines removed\n"
     "(- when not compared) and seconds, separated by tabs",
     [](ArgumentReader& in) { return in.Set(in.options.history); }},
    {"--diff", "", "NAME [N]",
     "show as a unified diff what changed between the latest\n"
     "kept output of NAME and the N-th kept output before it\n"
     "(default 1); lines that IGNORELINES matches are left\n"
     "out, and with IGNOREORDER=1 the lines are sorted",
     [](ArgumentReader& in) { return in.Set(in.options.diff); }},
    {"--schedule", "", "",
     "write the systemd user timer and service that run the\n"
     "catalogue agent NAME on its SCHEDULE, and start the\n"
     "timer; remove them when SCHEDULE is empty",
     [](ArgumentReader& in) { return in.Set(in.options.schedule); }},
    {"--schedules", "", "",
     "list each scheduled agent of the catalogue: its name,\n"
     "SCHEDULE and next run time, separated by tabs",
     [](ArgumentReader& in) { return in.Set(in.options.listSchedules); }},
    {"--cronjob", "", "",
     "print the Kubernetes manifests (YAML) that run the\n"
     "catalogue agent NAME on its SCHEDULE: a ConfigMap\n"
     "holding the agent and a CronJob; --max-source-bytes\n"
     "sets the runs' source limit and memory",
     [](ArgumentReader& in) { return in.Set(in.options.cronJob); }},
    {"--image", "", "IMAGE", "the container image of gleanwork-run (with --cronjob)",
     [](ArgumentReader& in) { return in.Text(in.options.kubernetes.image); }},
    {"--namespace", "", "NAME", "the namespace of the objects (default: kubectl's)",
     [](ArgumentReader& in) { return in.Text(in.options.kubernetes.nameSpace); }},
    {"--secret", "", "NAME",
     "the Secret whose keys dbpass and webpass hold the\n"
     "agent's passwords, which no ConfigMap holds",
     [](ArgumentReader& in) { return in.Text(in.options.kubernetes.secret); }},
    {"--output-claim", "", "NAME",
     "the PersistentVolumeClaim that keeps the output files\n"
     "(default: an emptyDir, gone with the run's pod)",
     [](ArgumentReader& in) { return in.Text(in.options.kubernetes.outputClaim); }},
    {"--help", "-h", "", "print this help",
     [](ArgumentReader& in) { return in.Set(in.options.help); }},
    {"--", "", "", "end of options: NAME may begin with \"-\"",
     [](ArgumentReader& in) { return in.EndOptions(); }},
};

const RunnerOption* OptionNamed(std::string_view arg) {
    for (const RunnerOption& option : kRunnerOptions) {
        if (arg == option.name || (!option.alias.empty() && arg == option.alias)) {
            return &option;
        }
    }
    return nullptr;
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

bool ApplyArgument(ArgumentReader& reader, std::string& error) {
    RunnerOptions& options = reader.options;
    const std::string& arg = reader.Next();
    if (reader.OptionsEnded()) {
        return ApplyName(arg, options, error);
    }
    if (const RunnerOption* option = OptionNamed(arg)) {
        reader.ReadingOption(option->name);
        return option->apply(reader);
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
    ArgumentReader reader(args, options, error);
    while (!reader.Done()) {
        if (!ApplyArgument(reader, error)) {
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

std::span<const RunnerOption> RunnerOptionTable() {
    return kRunnerOptions;
}

std::string RunnerUsage() {
    std::string usage(kUsageForms);
    for (const RunnerOption& option : kRunnerOptions) {
        std::string head = "  " + std::string(option.name);
        if (!option.argument.empty()) {
            head.append(" ").append(option.argument);
        }
        head.resize(std::max(head.size() + 1, kHelpColumn), ' ');
        usage += head;
        for (const char c : option.help) {
            usage += c;
            if (c == '\n') {
                usage.append(kHelpColumn, ' ');
            }
        }
        usage += '\n';
    }
    return usage.append(kUsageNotes);
}

}  // namespace gleanwork
