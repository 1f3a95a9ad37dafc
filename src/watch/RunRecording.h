#pragma once

#include <cstddef>
#include <cstdint>
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
    HistoryResult stored;      // whether the history holds the run, and why not
    std::size_t keepRuns = 0;  // the agent's KEEPRUNS
    // The unified diff against the output compared with; empty when the
    // output was not compared or did not change.
    std::string diff;
};

// Records `run` of `agent` in `store`, for the run host to call at the end
// of each run (Test runs are not recorded). The outcome is decided here: a
// run whose output is to be compared (OutcomeBeforeComparison gives ok) is
// compared with the output of the agent's latest successful run whose
// output is kept, under the agent's IGNORELINES and IGNOREORDER. KEEPRUNS
// says how many runs keep their output and log. Whatever goes wrong, the
// run is not failed: the caller logs `notes` and, when not stored, why.
RecordedRun RecordRun(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run);

// The two steps of RecordRun, for a host that has more to tell in between
// (an alert that failed): JudgeRun decides the outcome (`stored` says
// whether the history could be read for it) and makes the diff; StoreRun
// records the entry as it then stands, with the run's output and log.
RecordedRun JudgeRun(HistoryStore& store, const AgentDefinition& agent, const FinishedRun& run);
void StoreRun(HistoryStore& store, const FinishedRun& run, RecordedRun& recorded);
// The run as JudgeRun gives it, for a host without a history: its outcome
// is the one before comparison.
RecordedRun UnjudgedRun(const AgentDefinition& agent, const FinishedRun& run);

// The note for an output of `bytes` that the history does not keep.
std::string OutputTooLargeNote(std::uint64_t bytes);

// The log of `run` as the history keeps it: its first lines, a line that
// says how many were left out (when any were), and its last lines, each
// ended by a line feed.
std::string KeptLogText(const FinishedRun& run);

}  // namespace gleanwork
