#include "watch/AlertShell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <array>
#include <cerrno>

#include "base/FileDescriptor.h"
#include "base/SystemReason.h"

namespace gleanwork {

namespace {

// A child process that leads a process group of its own. Unless it was
// reaped, its group is killed and it is reaped when the object goes.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) {
            KillGroup();
            Reap();
        }
    }

    pid_t Id() const { return pid_; }
    void KillGroup() const { ::kill(-pid_, SIGKILL); }

    // Waits for the child to end; its wait status.
    int Reap() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_;
};

// posix_spawn's file actions and attributes, destroyed when the object goes.
class SpawnSettings {
public:
    SpawnSettings() {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attributes_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    ~SpawnSettings() {
        ::posix_spawnattr_destroy(&attributes_);
        ::posix_spawn_file_actions_destroy(&actions_);
    }

    // Standard input from /dev/null, output and error to `output`, nothing
    // else open; a new process group, no signal blocked or ignored. 0 or the
    // error that prevented it.
    int Prepare(int output) {
        sigset_t none;
        sigset_t all;
        ::sigemptyset(&none);
        ::sigfillset(&all);
        const std::array<int, 7> results = {
            ::posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0),
            ::posix_spawn_file_actions_adddup2(&actions_, output, 1),
            ::posix_spawn_file_actions_adddup2(&actions_, output, 2),
            ::posix_spawn_file_actions_addclosefrom_np(&actions_, 3),
            ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP |
                                                         POSIX_SPAWN_SETSIGMASK |
                                                         POSIX_SPAWN_SETSIGDEF),
            ::posix_spawnattr_setsigmask(&attributes_, &none),
            ::posix_spawnattr_setsigdefault(&attributes_, &all),
        };
        for (const int result : results) {
            if (result != 0) {
                return result;
            }
        }
        return 0;
    }

    const posix_spawn_file_actions_t* Actions() const { return &actions_; }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Pointers to the texts of `texts`, ended by a null pointer, as exec takes
// them.
std::vector<char*> ArgumentList(std::vector<std::string>& texts) {
    std::vector<char*> list;
    for (std::string& text : texts) {
        list.push_back(text.data());
    }
    list.push_back(nullptr);
    return list;
}

// Appends what `fd` holds now to `output`, keeping its last kMostShellOutput
// bytes. False once the pipe is at its end (or broken).
bool ReadAvailable(int fd, std::string& output) {
    std::string chunk(kMostShellOutput, '\0');
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 && errno == EAGAIN;
        }
        output.append(chunk, 0, static_cast<std::size_t>(got));
        if (output.size() > kMostShellOutput) {
            output.erase(0, output.size() - kMostShellOutput);
        }
    }
}

// Gathers `child`'s output from `output` until it ends or `limit` passes.
void Watch(ChildProcess& child, FileDescriptor output, std::chrono::milliseconds limit,
           ShellCommandEnd& end) {
    // glibc 2.36 declares pidfd_open without C linkage, so it is called as
    // the system call it is.
    const FileDescriptor exitSignal(static_cast<int>(::syscall(SYS_pidfd_open, child.Id(), 0)));
    if (!exitSignal.IsOpen() || ::fcntl(output.Get(), F_SETFL, O_NONBLOCK) != 0) {
        end.failure = SystemReason(errno);
        return;  // the child goes with its group
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            end.timedOut = true;
            child.KillGroup();
            child.Reap();
            return;
        }
        std::array<pollfd, 2> ready = {{{exitSignal.Get(), POLLIN, 0}, {output.Get(), POLLIN, 0}}};
        if (::poll(ready.data(), ready.size(), static_cast<int>(left.count())) < 0) {
            continue;  // interrupted by a signal
        }
        if (ready[1].revents != 0 && !ReadAvailable(output.Get(), end.output)) {
            output.Reset();  // poll passes over a negative descriptor
        }
        if (ready[0].revents != 0) {
            end.waitStatus = child.Reap();
            if (output.IsOpen()) {
                ReadAvailable(output.Get(), end.output);
            }
            return;
        }
    }
}

}  // namespace

ShellCommandEnd RunShellCommand(const std::string& command, std::vector<std::string> environment,
                                std::chrono::milliseconds limit) {
    ShellCommandEnd end;
    std::array<int, 2> pipeEnds{};
    if (::pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        end.failure = SystemReason(errno);
        return end;
    }
    FileDescriptor readEnd(pipeEnds[0]);
    FileDescriptor writeEnd(pipeEnds[1]);
    SpawnSettings settings;
    std::vector<std::string> arguments = {"sh", "-c", command};
    const std::vector<char*> argv = ArgumentList(arguments);
    const std::vector<char*> envp = ArgumentList(environment);
    pid_t pid = -1;
    int error = settings.Prepare(writeEnd.Get());
    if (error == 0) {
        error = ::posix_spawn(&pid, "/bin/sh", settings.Actions(), settings.Attributes(),
                              argv.data(), envp.data());
    }
    if (error != 0) {
        end.failure = SystemReason(error);
        return end;
    }
    end.started = true;
    ChildProcess child(pid);
    writeEnd.Reset();
    Watch(child, std::move(readEnd), limit, end);
    return end;
}

}  // namespace gleanwork
