#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/SourceLog.h"
#include "script/RunLog.h"

namespace gleanwork {

// Writes one run's lines to its run log, or nowhere when the run has none.
// Every error line of the run is written by LogError, which counts them and
// keeps the first. Lines may be held back for a while, to be written later
// or dropped as never logged; an error line counts once it is written.
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

    // How many lines have been logged so far, held ones included.
    std::uint64_t Position() const { return base_ + held_.size(); }
    // Holds back the lines logged from now on.
    void Hold() { holding_ = true; }
    // Drops the held lines from `position` on, as if never logged; none
    // before it may have been written.
    void DropFrom(std::uint64_t position);
    // Writes the held lines logged before `position`.
    void WriteBefore(std::uint64_t position);
    // Writes every held line, and holds no more.
    void WriteAll();

private:
    enum class Kind { kLine, kCommand, kError };
    struct HeldLine {
        std::size_t end;  // in heldText_
        Kind kind;
    };

    void Take(std::string_view line, Kind kind);
    void Write(std::string_view line, Kind kind);

    RunLog* log_;
    std::uint64_t errors_ = 0;
    std::string firstError_;
    bool holding_ = false;
    // The held lines, one after the other, and where each ends; those before
    // firstHeld_ are written already. base_ counts the lines before held_.
    std::string heldText_;
    std::vector<HeldLine> held_;
    std::size_t firstHeld_ = 0;
    std::uint64_t base_ = 0;
};

}  // namespace gleanwork
