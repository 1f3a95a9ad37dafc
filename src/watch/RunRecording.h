#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/FinishedRun.h"
#include "watch/HistoryStore.h"

namespace gleanwork {

// The largest output that the history keeps and compares; a larger one is
// recorded by its size and digest alone.
inline constexpr std::size_t kMostKeptOutputBytes = std::size_t{64} << 20;

// What recording a run came to.
struct RecordedRun {
    RunEntry entry;  // the run as recorded, or as it would have been
    // Agent keys that could not be used and an output too large to keep, one
    // line each for the run log.
    std::vector<std::string> notes;
    HistoryResult stored;  // whether the history holds the run, and why not
};

// Records `run` of `agent` in `store`, for the run host to call at the end
// of each run (Test runs are not recorded). The outcome is decided here: a
// run whose output is to be compared (OutcomeBeforeComparison gives ok) is
// compared with the output of the agent's latest successful run whose
// output is kept, under the agent's IGNORELINES and IGNOREORDER. KEEPRUNS
// says how many runs keep their output and log. Whatever goes wrong, the
// run is not failed: the caller logs `notes` and, when not stored, why.
RecordedRun RecordRun(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run);

// The log of `run` as the history keeps it: its first lines, a line that
// says how many were left out (when any were), and its last lines, each
// ended by a line feed.
std::string KeptLogText(const FinishedRun& run);

}  // namespace gleanwork
