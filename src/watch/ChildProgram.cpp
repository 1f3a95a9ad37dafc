#include "watch/ChildProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

#include "base/FileDescriptor.h"
#include "base/SystemReason.h"

extern char** environ;

namespace gleanwork {

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        pid_ = std::exchange(other.pid_, -1);
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    Kill();
}

int ChildProcess::Wait() {
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    pid_t ended = 0;
    do {
        ended = ::waitpid(pid_, &status, 0);
    } while (ended < 0 && errno == EINTR);
    pid_ = -1;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::Kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

bool ReadPipesUntilClosed(const std::vector<int>& pipes, std::vector<std::string>& texts,
                          std::chrono::steady_clock::time_point deadline) {
    texts.assign(pipes.size(), std::string());
    std::vector<pollfd> open;
    for (const int fd : pipes) {
        open.push_back({fd, POLLIN, 0});
    }
    std::array<char, 4096> chunk{};
    for (std::size_t left = open.size(); left > 0;) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (wait.count() <= 0) {
            return false;
        }
        const int ready = ::poll(open.data(), open.size(), static_cast<int>(wait.count()));
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        for (std::size_t at = 0; ready > 0 && at < open.size(); ++at) {
            if (open[at].fd < 0 || open[at].revents == 0) {
                continue;
            }
            const ssize_t got = ::read(open[at].fd, chunk.data(), chunk.size());
            if (got > 0) {
                texts[at].append(chunk.data(), static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                open[at].fd = -1;  // poll skips a negative descriptor
                --left;
                if (got < 0) {
                    return false;
                }
            }
        }
    }
    return true;
}

namespace {

// The pipe a child writes into: the read end stays here, the write end goes
// to the child. Both are closed on exec.
struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;
};

bool OpenPipe(Pipe& pipe) {
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
        return false;
    }
    pipe.readEnd.Reset(ends[0]);
    pipe.writeEnd.Reset(ends[1]);
    return true;
}

// posix_spawn's attributes and file actions, released when they go.
class SpawnSetup {
public:
    SpawnSetup() {
        ::posix_spawnattr_init(&attributes_);
        ::posix_spawn_file_actions_init(&actions_);
        // The child starts with every signal at its default and none blocked,
        // whatever this process ignores or blocks.
        sigset_t all;
        sigset_t none;
        ::sigfillset(&all);
        ::sigemptyset(&none);
        ::posix_spawnattr_setsigdefault(&attributes_, &all);
        ::posix_spawnattr_setsigmask(&attributes_, &none);
        ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool Connect(const Pipe& output, const Pipe& errors) {
        return ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY,
                                                  0) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, output.writeEnd.Get(),
                                                  STDOUT_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, errors.writeEnd.Get(),
                                                  STDERR_FILENO) == 0;
    }

    // Starts the program; the error number when it cannot.
    int Spawn(const std::vector<std::string>& arguments, pid_t& pid) const {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        return ::posix_spawnp(&pid, argv[0], &actions_, &attributes_, argv.data(), environ);
    }

private:
    posix_spawnattr_t attributes_{};
    posix_spawn_file_actions_t actions_{};
};

}  // namespace

ProgramOutcome RunProgram(const std::vector<std::string>& arguments,
                          std::chrono::milliseconds timeLimit) {
    ProgramOutcome outcome;
    const std::string program = arguments.empty() ? std::string() : arguments.front();
    Pipe output;
    Pipe errors;
    SpawnSetup setup;
    pid_t pid = -1;
    if (arguments.empty() || !OpenPipe(output) || !OpenPipe(errors) ||
        !setup.Connect(output, errors)) {
        outcome.reason = "cannot prepare to start " + program;
        return outcome;
    }
    if (const int error = setup.Spawn(arguments, pid); error != 0) {
        outcome.reason = "cannot start " + program + ": " + SystemReason(error);
        return outcome;
    }
    outcome.started = true;
    ChildProcess child(pid);
    output.writeEnd.Reset();
    errors.writeEnd.Reset();
    std::vector<std::string> texts;
    const bool ended = ReadPipesUntilClosed({output.readEnd.Get(), errors.readEnd.Get()}, texts,
                                            std::chrono::steady_clock::now() + timeLimit);
    outcome.output = std::move(texts[0]);
    outcome.errors = std::move(texts[1]);
    if (!ended) {
        child.Kill();
        outcome.reason =
            program + " did not end within " + std::to_string(timeLimit.count()) + " ms";
        return outcome;
    }
    outcome.exitStatus = child.Wait();
    if (outcome.exitStatus < 0) {
        outcome.reason = program + " was ended by a signal";
    }
    return outcome;
}

}  // namespace gleanwork
