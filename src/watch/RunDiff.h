#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/HistoryStore.h"

namespace gleanwork {

// What a run's output came to against the run before it.
struct RunDiff {
    std::string diff;  // unified diff; empty when there is none to show
    std::string note;  // why there is none, in words; empty when there is one
    HistoryResult read;
};

// The unified diff of the kept output of `runs[index]` (runs of `agent`,
// newest first, as HistoryStore::Runs gives them) against that of the run
// it was compared with: the nearest earlier successful run whose output is
// kept. Compared as the agent's IGNORELINES and IGNOREORDER say; the labels
// name the agent and each run's start.
RunDiff DiffWithRunBefore(HistoryStore& store, const AgentDefinition& agent,
                          const std::vector<RunEntry>& runs, std::size_t index);

}  // namespace gleanwork
