#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace gleanwork {

// A child process, killed and reaped when the object goes unless it was
// waited for.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid = -1) : pid_(pid) {}
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool IsRunning() const { return pid_ > 0; }

    // Waits for the child to end: its exit status, or -1 when a signal ended
    // it (or there was no child).
    int Wait();

    // Ends the child at once and reaps it.
    void Kill();

private:
    pid_t pid_ = -1;
};

// Reads every pipe of `pipes` into the text of the same place in `texts`
// until each is closed by its writer. False when `deadline` passed first or
// a read failed.
bool ReadPipesUntilClosed(const std::vector<int>& pipes, std::vector<std::string>& texts,
                          std::chrono::steady_clock::time_point deadline);

// What running a program came to.
struct ProgramOutcome {
    bool started = false;  // false: it could not be started (`reason` says why)
    int exitStatus = -1;   // -1 when it did not end by itself in time
    std::string output;    // its standard output
    std::string errors;    // its standard error
    std::string reason;    // why it did not start or end in time

    bool Succeeded() const { return started && exitStatus == 0; }
};

// Runs the program `arguments[0]` (looked up in PATH when it names no
// folder) with `arguments`, standard input empty and both outputs
// collected, no shell in between. A program still running after `timeLimit`
// is killed.
ProgramOutcome RunProgram(const std::vector<std::string>& arguments,
                          std::chrono::milliseconds timeLimit);

}  // namespace gleanwork
