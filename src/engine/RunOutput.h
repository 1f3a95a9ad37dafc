#pragma once

#include <string>
#include <string_view>

#include "net/SourceContext.h"
#include "storage/OutputFile.h"

namespace gleanwork {

// Where a run's PRINT and PRINTLN go: the agent's output file (see
// OutputFile), standard output, or nowhere. Buffered. The first write that
// fails is logged as an "ERROR: " line and nothing more is written there.
class RunOutput {
public:
    explicit RunOutput(SourceLog& log) : log_(log) {}
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    // Opens `path` to add to it or to replace it. False, with `error` set to
    // the system's errno value, when it cannot be opened for writing.
    bool OpenFile(const std::string& path, bool append, int& error);
    void UseStandardOutput();
    // Drops everything the run prints.
    void UseNothing();

    void Write(std::string_view text);

    // Ends the output: with `keep`, what was written goes in place unless a
    // write failed; otherwise (and after a failed write) an output file is
    // left as it was before the run, and the log says so.
    void Close(bool keep);

private:
    enum class Target { Nothing, StandardOutput, File };

    void Flush();
    void ReportFailure(std::string_view what, int error);

    SourceLog& log_;
    Target target_ = Target::Nothing;
    OutputFile file_;
    std::string path_;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace gleanwork
