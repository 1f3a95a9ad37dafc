#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/RunOutcome.h"

namespace gleanwork {

// A finished run as the history records it (Test runs are not recorded):
// what the engine says it came to, what it printed and its log.
struct FinishedRun {
    RunOutcome outcome;
    // What the run printed: the output file's content when the run replaced
    // it, the part it added when it appended. Nothing when the host has none
    // (the output went to standard output, or the file was left as it was).
    std::optional<std::string> output;
    // The run log: its first lines, how many lines were left out after them
    // and its last lines, as the Agent Output window keeps them.
    std::vector<std::string> logHead;
    std::uint64_t logLinesLeftOut = 0;
    std::vector<std::string> logTail;
};

}  // namespace gleanwork
