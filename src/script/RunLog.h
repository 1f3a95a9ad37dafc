#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The sink of a run's log: one call, one line, no line end. An implementation
// returns only once it has taken the line; lines are never reordered.
class RunLog {
public:
    virtual ~RunLog() = default;

    // A progress, error or trace line.
    virtual void LogLine(std::string_view line) = 0;

    // The echo of one script command: "# " and the script line.
    virtual void LogCommand(std::string_view line) = 0;

    // The line that `prefix` and `text` make (`text` is often a collected
    // or printed text, as long as a page): a log that writes the two in
    // place, without joining them first, overrides this.
    virtual void LogTrace(std::string_view prefix, std::string_view text) {
        std::string line;
        line.reserve(prefix.size() + text.size());
        line.append(prefix).append(text);
        LogLine(line);
    }
};

}  // namespace gleanwork
