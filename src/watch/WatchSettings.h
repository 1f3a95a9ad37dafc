#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/LinePattern.h"
#include "watch/OutputComparison.h"

namespace gleanwork {

inline constexpr std::size_t kDefaultKeepRuns = 10;
inline constexpr std::size_t kMostKeepRuns = 10000;

// What an agent's keys ask of its history: how many runs keep their output
// and log (KEEPRUNS), which output lines take no part in a comparison
// (IGNORELINES) and whether their order counts (IGNOREORDER).
struct WatchSettings {
    std::size_t keepRuns = kDefaultKeepRuns;
    std::optional<LinePattern> ignoredLines;
    bool ignoreOrder = false;
    // Each key that could not be used and what is done instead, as one line
    // for the run log.
    std::vector<std::string> problems;

    // The rules for comparing outputs; they refer to this object.
    ComparisonRules Rules() const { return {ignoredLines ? &*ignoredLines : nullptr, ignoreOrder}; }
};

WatchSettings ReadWatchSettings(const AgentDefinition& agent);

}  // namespace gleanwork
