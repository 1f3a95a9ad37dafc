#pragma once

#include <string>
#include <string_view>

#include "engine/RunLog.h"
#include "net/SourceLog.h"

namespace gleanwork {

// Writes one run's lines to its run log, or nowhere when the run has none,
// and notes whether any of them reported a failure.
class RunLogWriter : public SourceLog {
public:
    // `log` may be null; otherwise it must outlive the writer.
    explicit RunLogWriter(RunLog* log) : log_(log) {}

    void LogLine(std::string_view line) override;
    // Logs the echo of `scriptLine`: "# " followed by the line as stored.
    void LogCommand(std::string_view scriptLine);
    // Whether an "ERROR: " line has been logged so far.
    bool ErrorLogged() const { return errorLogged_; }

private:
    RunLog* log_;
    std::string echo_;
    bool errorLogged_ = false;
};

}  // namespace gleanwork
