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
// last kKeptLogLines of them. The last ones are appended to one block of
// text at a time, the newer of two that take turns, so that a long log
// costs one copy per line and no allocation.
class LogKeeper : public RunLog {
public:
    // `next` must outlive the keeper.
    explicit LogKeeper(RunLog& next) : next_(next) {}

    void LogLine(std::string_view line) override;
    void LogCommand(std::string_view line) override;
    void LogTrace(std::string_view prefix, std::string_view text) override;

    LogParts Parts() const;

private:
    // Lines one after another, and where each ends.
    struct Block {
        std::string text;
        std::vector<std::size_t> ends;
        void AppendLinesTo(std::vector<std::string>& lines, std::size_t skip) const;
    };

    // Keeps the line that `prefix` and `text` make.
    void Keep(std::string_view prefix, std::string_view text = {});

    RunLog& next_;
    std::vector<std::string> head_;
    Block older_;
    Block newer_;
    std::uint64_t lines_ = 0;
};

}  // namespace gleanwork
