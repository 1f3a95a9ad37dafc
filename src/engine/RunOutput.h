#pragma once

#include <string>
#include <string_view>

#include "base/FileCloser.h"

namespace gleanwork {

// Where a run's PRINT and PRINTLN go: the agent's output file, or standard
// output. Buffered; everything written is flushed by Close.
class RunOutput {
public:
    RunOutput() = default;
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;
    ~RunOutput() { Close(); }

    // Opens `path` for appending, or emptied for replacing. False when it
    // cannot be opened as a file for writing.
    bool OpenFile(const std::string& path, bool append);

    void UseStandardOutput() { Close(); }

    void Write(std::string_view text);

    // Flushes and closes an output file; standard output is only flushed.
    void Close();

private:
    FileStream file_;
};

}  // namespace gleanwork
