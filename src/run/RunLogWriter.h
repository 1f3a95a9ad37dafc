#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/SourceLog.h"
#include "script/RunLog.h"

namespace gleanwork {

// Writes one run's lines to its run log, or nowhere when the run has none.
// Every error line of the run is written by LogError, which counts them and
// keeps the first.
class RunLogWriter : public RunLog, public SourceLog {
public:
    // `log` may be null; otherwise it must outlive the writer.
    explicit RunLogWriter(RunLog* log) : log_(log) {}

    void LogLine(std::string_view line) override;
    void LogCommand(std::string_view line) override;
    void LogTrace(std::string_view prefix, std::string_view text) override;
    // Writes the error line of `reason` (see ErrorLine).
    void LogError(std::string_view reason) override;

    // The error lines written so far, and the first of them.
    std::uint64_t ErrorCount() const { return errors_; }
    const std::string& FirstError() const { return firstError_; }

private:
    RunLog* log_;
    std::uint64_t errors_ = 0;
    std::string firstError_;
};

}  // namespace gleanwork
