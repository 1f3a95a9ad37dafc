#pragma once

#include <optional>
#include <string>

#include "run/RunOutcome.h"
#include "watch/LogKeeper.h"

namespace gleanwork {

// A finished run as the history records it (Test runs are not recorded):
// what the engine says it came to, what it printed and its log.
struct FinishedRun {
    RunOutcome outcome;
    // What the run printed: the output file's content when the run replaced
    // it, the part it added when it appended. Nothing when the host has none
    // (the output went to standard output, or the file was left as it was).
    std::optional<std::string> output;
    // The run log's first and last lines.
    LogParts log;
};

}  // namespace gleanwork
