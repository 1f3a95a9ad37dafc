#include "cli/RunnerOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace gleanwork {

const char* const kRunnerUsage =
    "usage: gleanwork-run [--log FILE] [--connect-timeout S] [--read-timeout S] [--] NAME\n"
    "       gleanwork-run [--log FILE] [--connect-timeout S] [--read-timeout S] "
    "--agent-file PATH\n"
    "       gleanwork-run --check NAME | --check --agent-file PATH\n"
    "\n"
    "Runs one agent without windows: the agent NAME of the catalogue in the\n"
    "installation folder, or the agent stored in the file PATH.\n"
    "\n"
    "  --log FILE             write the run log to FILE instead of standard error\n"
    "  --connect-timeout S    give up a connection after S seconds (default 30)\n"
    "  --read-timeout S       give up a receive after S seconds (default 60)\n"
    "  --agent-file PATH      run the agent file PATH instead of a catalogue agent\n"
    "  --check                check the agent's script instead of running it: each\n"
    "                         warning is printed as FILE:LINE: message\n"
    "  --help                 print this help\n"
    "  --                     end of options: NAME may begin with \"-\"\n"
    "\n"
    "In the run log, one line is one entry: a line break inside an entry is\n"
    "written as \\n (a carriage return as \\r, a backslash as \\\\).\n"
    "\n"
    "Exit status: 0 after a run (and after a check without warnings), 1 after a\n"
    "check with warnings, 2 for a usage error, an unknown agent or an\n"
    "agent file that cannot be read.\n";

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

bool ApplyTimeout(ArgumentReader& reader, const std::string& option,
                  std::chrono::milliseconds& limit, std::string& error) {
    const std::optional<std::string> value = reader.ValueOf(option);
    if (!value) {
        return false;
    }
    const auto parsed = ParseSeconds(*value);
    if (!parsed) {
        error = "option " + option + " needs a positive number of seconds, not '" + *value + "'";
        return false;
    }
    limit = *parsed;
    return true;
}

bool ApplyText(ArgumentReader& reader, const std::string& option, std::string& target) {
    const std::optional<std::string> value = reader.ValueOf(option);
    if (value) {
        target = *value;
    }
    return value.has_value();
}

bool ApplyName(const std::string& arg, RunnerOptions& options, std::string& error) {
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
    if (arg.size() > 1 && arg.starts_with("-")) {
        error = "unknown option " + arg + " (an agent name that begins with \"-\" follows \"--\")";
        return false;
    }
    return ApplyName(arg, options, error);
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
    if (options.agentName.empty() == options.agentFile.empty()) {
        error = options.agentName.empty() ? "name an agent, or give --agent-file PATH"
                                          : "give an agent name or --agent-file, not both";
        return std::nullopt;
    }
    return options;
}

}  // namespace gleanwork
