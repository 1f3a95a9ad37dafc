#include "support/ServerProcess.h"

#include <csignal>
#include <cstdlib>

namespace gleanwork::test {

namespace {

// Reads the next line of `stream` into `line`, without its line feed; false
// at the end of the stream.
bool ReadLine(std::FILE* stream, std::string& line) {
    line.clear();
    int c = std::fgetc(stream);
    for (; c != EOF && c != '\n'; c = std::fgetc(stream)) {
        line.push_back(static_cast<char>(c));
    }
    return c != EOF || !line.empty();
}

}  // namespace

ServerProcess::ServerProcess(const std::string& command, const std::string& portLine) {
    output_ = ::popen(("echo $$; " + command + " 2>&1").c_str(), "r");
    // The shell's process id first, then what the server writes.
    std::string text;
    for (int at = 0; output_ != nullptr && ReadLine(output_, text); ++at) {
        if (at == 0) {
            pid_ = std::atoi(text.c_str());
        } else if (text.starts_with(portLine)) {
            port_ = std::atoi(text.substr(text.rfind(':') + 1).c_str());
            break;
        }
    }
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
    }
    if (output_ != nullptr) {
        ::pclose(output_);
    }
}

}  // namespace gleanwork::test
