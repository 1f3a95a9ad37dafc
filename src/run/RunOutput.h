#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/SourceLog.h"
#include "run/RunControl.h"
#include "run/RunOutcome.h"
#include "script/ScriptRun.h"
#include "storage/OutputFile.h"

namespace gleanwork {

// Where a run's PRINT and PRINTLN go: the agent's output file (see
// OutputFile), standard output, or nowhere. Buffered, and written in whole
// lines, each piece in one write: runs that append to the same file at once
// never splice their lines (only a line of more than 16 MiB goes in pieces,
// and a last line without a line end goes as it is at the close).
// The first write that fails ends the run with an error line, and nothing
// more is written there. Every line printed is counted, wherever it goes.
class RunOutput : public ScriptOutput {
public:
    // `log` and `control` must outlive the output.
    RunOutput(SourceLog& log, RunControl& control) : log_(log), control_(control) {}
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    // Opens `path` to add to it or to replace it. False, with `error` set to
    // the system's errno value, when it cannot be opened for writing.
    bool OpenFile(const std::string& path, bool append, int& error);
    void UseStandardOutput();
    // Drops everything the run prints.
    void UseNothing();

    void Write(std::string_view text) override;

    // Ends the output: with `keep`, what was written goes in place unless a
    // write failed; otherwise (and after a failed write) an output file is
    // left as it was before the run, and the log says so. Returns what
    // became of the output: kNone when it went nowhere.
    OutputFate Close(bool keep);

    // Where the lines of the output file that was closed last begin in it:
    // past what it held before, when the run appended to it.
    std::uint64_t OutputStart() const { return outputStart_; }

    // The lines printed so far, a last one without a line end too.
    std::uint64_t LinesPrinted() const { return lineEnds_ + (openLine_ ? 1 : 0); }

private:
    enum class Target { Nothing, StandardOutput, File };

    // Writes the first `size` bytes of the buffer and drops them from it.
    void WriteOut(std::size_t size);
    // Writes `bytes` to the target; a failure ends the run.
    void WriteBytes(std::string_view bytes);
    void ReportFailure(std::string_view what, int error);
    OutputFate CloseFile(bool keep);

    SourceLog& log_;
    RunControl& control_;
    Target target_ = Target::Nothing;
    OutputFile file_;
    std::string path_;
    std::string buffer_;
    bool failed_ = false;
    bool append_ = false;
    std::uint64_t outputStart_ = 0;
    std::uint64_t lineEnds_ = 0;
    bool openLine_ = false;  // the last text printed did not end its line
};

}  // namespace gleanwork
