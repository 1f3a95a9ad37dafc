#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/RunLog.h"

namespace gleanwork {

// How many lines of a run log the history keeps at its start, and as many
// at its end.
inline constexpr std::size_t kKeptLogLines = 2000;

// The parts of a run log that the history keeps: its first lines, how many
// were left out after them, and its last lines.
struct LogParts {
    std::vector<std::string> head;
    std::uint64_t leftOut = 0;
    std::vector<std::string> tail;
};

// A run log that passes every line on to `next` and keeps the first and the
// last kKeptLogLines of them; the last ones in a ring whose strings are
// reused, so that a long log costs no allocation per line.
class LogKeeper : public RunLog {
public:
    // `next` must outlive the keeper.
    explicit LogKeeper(RunLog& next) : next_(next) {}

    void LogLine(std::string_view line) override;
    void LogCommand(std::string_view line) override;
    void LogTrace(std::string_view prefix, std::string_view text) override;

    LogParts Parts() const;

private:
    // Keeps the line that `prefix` and `text` make.
    void Keep(std::string_view prefix, std::string_view text = {});

    RunLog& next_;
    std::vector<std::string> head_;
    std::vector<std::string> tail_;
    std::size_t oldest_ = 0;  // in tail_, once it is full
    std::uint64_t leftOut_ = 0;
};

}  // namespace gleanwork
