#pragma once

#include <string_view>

#include "net/SourceLog.h"
#include "script/RunLog.h"

namespace gleanwork {

// Writes one run's lines to its run log, or nowhere when the run has none,
// and notes whether any of them reported a failure.
class RunLogWriter : public RunLog, public SourceLog {
public:
    // `log` may be null; otherwise it must outlive the writer.
    explicit RunLogWriter(RunLog* log) : log_(log) {}

    void LogLine(std::string_view line) override;
    void LogCommand(std::string_view line) override;
    void LogTrace(std::string_view prefix, std::string_view text) override;
    // Whether an "ERROR: " line has been logged so far.
    bool ErrorLogged() const { return errorLogged_; }

private:
    RunLog* log_;
    bool errorLogged_ = false;
};

}  // namespace gleanwork
