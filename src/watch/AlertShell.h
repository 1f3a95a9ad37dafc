#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace gleanwork {

// The most bytes of a command's output that are kept: its last ones.
inline constexpr std::size_t kMostShellOutput = 4096;

// What running a shell command came to.
struct ShellCommandEnd {
    bool started = false;
    bool timedOut = false;  // it ran past its limit and was killed with its process group
    int waitStatus = 0;     // as waitpid gives it, when it ended by itself
    std::string output;     // the last bytes of its standard output and error
    std::string failure;    // why it could not be started or watched
};

// Runs `command` as the script of `/bin/sh -c` in a process group of its own,
// with `environment` ("NAME=value" each) as its whole environment, standard
// input from /dev/null, standard output and error into a pipe that only this
// function reads, default signal handling, and no other descriptor of this
// process. Waits for the shell to end for at most `limit`; then kills its
// whole group. Processes the shell left running in the background are left
// alone when it ended in time.
ShellCommandEnd RunShellCommand(const std::string& command, std::vector<std::string> environment,
                                std::chrono::milliseconds limit);

}  // namespace gleanwork
