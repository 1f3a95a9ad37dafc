#include "watch/AlertCommand.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "base/FileDescriptor.h"
#include "base/SystemReason.h"
#include "base/TextScan.h"
#include "storage/FileWriting.h"
#include "watch/AlertShell.h"

extern char** environ;

namespace gleanwork {

namespace {

// A file in the temporary folder, readable by its owner alone, removed when
// the object goes.
class PrivateTempFile {
public:
    PrivateTempFile() = default;
    PrivateTempFile(const PrivateTempFile&) = delete;
    PrivateTempFile& operator=(const PrivateTempFile&) = delete;
    ~PrivateTempFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }

    // Makes the file and writes `content` into it. False (errno set) when
    // that fails; no file is left then.
    bool Write(std::string_view content) {
        std::string path = TemporaryFolder() + "/gleanwork-alert-diff-XXXXXX";
        FileDescriptor file(::mkostemp(path.data(), O_CLOEXEC));  // mode 0600
        if (!file.IsOpen()) {
            return false;
        }
        path_ = path;
        return WriteAll(file.Get(), content) && file.Reset();
    }

    const std::string& Path() const { return path_; }

private:
    static std::string TemporaryFolder() {
        const char* folder = std::getenv("TMPDIR");
        return folder != nullptr && *folder == '/' ? folder : "/tmp";
    }

    std::string path_;
};

// The name part of a "NAME=value" entry.
std::string_view NameOf(std::string_view entry) {
    return entry.substr(0, entry.find('='));
}

// This process's environment with `variables` in place of any of their
// names that it holds.
std::vector<std::string> EnvironmentWith(std::vector<std::string> variables) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const auto sameName = [entry](const std::string& variable) {
            return NameOf(variable) == NameOf(*entry);
        };
        if (std::none_of(variables.begin(), variables.end(), sameName)) {
            environment.emplace_back(*entry);
        }
    }
    std::move(variables.begin(), variables.end(), std::back_inserter(environment));
    return environment;
}

// The last line of `output` that holds more than white space; empty if none.
std::string LastLineOf(const std::string& output) {
    std::string_view rest(output);
    while (!rest.empty()) {
        const std::size_t start = rest.find_last_of('\n', rest.size() - 1);
        const std::string_view line =
            start == std::string_view::npos ? rest : rest.substr(start + 1);
        if (!TrimWhitespace(line).empty()) {
            return std::string(TrimWhitespace(line));
        }
        rest = start == std::string_view::npos ? std::string_view() : rest.substr(0, start);
    }
    return "";
}

// `limit` as a person reads it: "30 seconds", "250 milliseconds".
std::string DurationText(std::chrono::milliseconds limit) {
    return limit.count() % 1000 == 0 ? std::to_string(limit.count() / 1000) + " seconds"
                                     : std::to_string(limit.count()) + " milliseconds";
}

// Why the command that ended as `end` delivered nothing; empty when it did.
std::string FailureOf(const ShellCommandEnd& end, std::chrono::milliseconds limit) {
    if (!end.started) {
        return "Alert command could not be started: " + end.failure;
    }
    if (!end.failure.empty()) {
        return "Alert command could not be watched and was stopped: " + end.failure;
    }
    if (end.timedOut) {
        return "Alert command did not finish within " + DurationText(limit) + " and was stopped";
    }
    std::string reason;
    if (WIFSIGNALED(end.waitStatus)) {
        reason = "Alert command was ended by signal " + std::to_string(WTERMSIG(end.waitStatus));
    } else if (WEXITSTATUS(end.waitStatus) != 0) {
        reason = "Alert command exited with status " + std::to_string(WEXITSTATUS(end.waitStatus));
    }
    const std::string said = LastLineOf(end.output);
    return reason.empty() || said.empty() ? reason : reason + ": " + said;
}

}  // namespace

std::vector<std::string> AlertVariables(AlertEvent event, const AlertRun& run,
                                        const std::string& diffPath) {
    return {
        "GLEANWORK_AGENT=" + run.agent,
        std::string("GLEANWORK_EVENT=") + AlertEventWord(event),
        "GLEANWORK_OUTCOME=" + run.outcome,
        "GLEANWORK_ERROR=" + run.firstError,
        "GLEANWORK_ADDED=" + std::to_string(run.linesAdded),
        "GLEANWORK_REMOVED=" + std::to_string(run.linesRemoved),
        "GLEANWORK_DIFF=" + diffPath,
    };
}

AlertDelivery DeliverByCommand(const std::string& command, AlertEvent event, const AlertRun& run,
                               std::chrono::milliseconds limit) {
    PrivateTempFile diff;
    if (!diff.Write(run.diff)) {
        return {false, "Alert command not run: its diff file could not be written: " +
                           SystemReason(errno)};
    }
    const std::string failure = FailureOf(
        RunShellCommand(command, EnvironmentWith(AlertVariables(event, run, diff.Path())), limit),
        limit);
    return {failure.empty(), failure};
}

}  // namespace gleanwork
