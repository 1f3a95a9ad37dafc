#include "watch/UserTimerSetup.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "storage/InstallFolder.h"

namespace gleanwork {

namespace {

constexpr std::string_view kRunnerName = "gleanwork-run";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

bool IsExecutableFile(const std::filesystem::path& path) {
    std::error_code failed;
    return std::filesystem::is_regular_file(path, failed) && ::access(path.c_str(), X_OK) == 0;
}

std::string RunnerInPath() {
    const std::string path = Environment("PATH");
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find(':', at), path.size());
        const std::filesystem::path folder = path.substr(at, end - at);
        if (folder.is_absolute() && IsExecutableFile(folder / kRunnerName)) {
            return (folder / kRunnerName).lexically_normal().string();
        }
        at = end + 1;
    }
    return {};
}

}  // namespace

std::string InstalledRunnerPath() {
    std::error_code failed;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (!failed && self.filename() == kRunnerName) {
        return self.string();
    }
    if (!failed && IsExecutableFile(self.parent_path() / kRunnerName)) {
        return (self.parent_path() / kRunnerName).string();
    }
    return RunnerInPath();
}

std::string UserUnitFolder() {
    if (const std::string config = Environment("XDG_CONFIG_HOME"); !config.empty()) {
        return config + "/systemd/user";
    }
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.config/systemd/user";
}

std::optional<TimerSetup> MakeUserTimerSetup(std::string& reason) {
    TimerSetup setup;
    setup.runner = InstalledRunnerPath();
    setup.unitFolder = UserUnitFolder();
    std::error_code failed;
    const std::string folder = GetInstallFolder();
    if (!folder.empty()) {
        setup.installFolder = std::filesystem::absolute(folder, failed).lexically_normal().string();
    }
    if (setup.runner.empty()) {
        reason = "cannot find gleanwork-run: it is neither beside this program nor in PATH";
    } else if (setup.unitFolder.empty()) {
        reason = "cannot tell where user units go: neither XDG_CONFIG_HOME nor HOME is set";
    } else if (setup.installFolder.empty() || failed) {
        reason = "the installation folder is unknown";
    } else {
        return setup;
    }
    return std::nullopt;
}

}  // namespace gleanwork
