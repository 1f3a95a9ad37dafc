#include "support/PostgresServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

extern char** environ;

namespace gleanwork::test {

namespace {

// The bin folder of the newest PostgreSQL installed the Debian way.
std::string FindServerBin() {
    std::string newest;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
        const std::string bin = entry.path().string() + "/bin";
        if (std::filesystem::exists(bin + "/initdb") && bin > newest) {
            newest = bin;
        }
    }
    return newest;
}

}  // namespace

bool PostgresServer::Start(std::string& error) {
    if (bin_.empty()) {
        bin_ = FindServerBin();
        if (bin_.empty()) {
            error = "no PostgreSQL server under /usr/lib/postgresql/*/bin";
            return false;
        }
        WriteFile(folder_ / "password", kPassword);
        const passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() == 0 &&
            (nobody == nullptr ||
             ::chown(folder_.Path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0)) {
            error = "cannot hand the server's folder to nobody";
            return false;
        }
        if (Run({bin_ + "/initdb", "-D", folder_ / "data", "-U", kUser, "-E", "UTF8", "--locale=C",
                 "-N", "--auth=scram-sha-256", "--pwfile=" + folder_ / "password"}) != 0) {
            error = "initdb failed: " + ReadFile(folder_ / "log");
            return false;
        }
    }
    running_ = Run({bin_ + "/pg_ctl", "start", "-w", "-t", "30", "-D", folder_ / "data", "-l",
                    folder_ / "server.log", "-o",
                    "-c listen_addresses='' -c fsync=off -k " + folder_.Path()}) == 0;
    if (!running_) {
        error = "the server did not start: " + ReadFile(folder_ / "server.log");
    }
    return running_;
}

void PostgresServer::Stop() {
    if (running_) {
        Run({bin_ + "/pg_ctl", "stop", "-w", "-m", "immediate", "-D", folder_ / "data"});
        running_ = false;
    }
}

std::string PostgresServer::Uri() const {
    return "postgresql:///postgres?host=" + folder_.Path();
}

void PostgresServer::StartOrSkip(PostgresServer& server) {
    std::string error;
    if (server.Start(error)) {
        return;
    }
    if (std::getenv("CI") != nullptr) {
        FAIL() << "PostgreSQL test server: " << error;
    }
    GTEST_SKIP() << "PostgreSQL test server: " << error
                 << "; tools/install-deps installs what it needs (with CI set, this fails)";
}

// Runs `command` (as nobody when this process is root), its output appended
// to the folder's log; its exit status, or -1.
int PostgresServer::Run(std::initializer_list<std::string> command) const {
    std::vector<std::string> words;
    if (::geteuid() == 0) {
        words = {"runuser", "-u", "nobody", "--"};
    }
    words.insert(words.end(), command);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = folder_ / "log";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace gleanwork::test
