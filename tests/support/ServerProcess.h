#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace gleanwork::test {

// A server program that a shell command starts (the command should `exec`
// it, so that stopping the shell stops the server), stopped with SIGTERM
// when the object goes. The port it listens on is read from its output: the
// digits after the last ":" of the first line that begins with `portLine`.
// Port() is 0 when no such line came.
class ServerProcess {
public:
    ServerProcess(const std::string& command, const std::string& portLine);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }

private:
    FILE* output_ = nullptr;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace gleanwork::test
