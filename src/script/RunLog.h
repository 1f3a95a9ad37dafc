#pragma once

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
};

}  // namespace gleanwork
