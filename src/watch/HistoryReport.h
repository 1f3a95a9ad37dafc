#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/HistoryStore.h"

namespace gleanwork {

// What a report on the history came to, as diff gives it in its exit status.
enum class ReportStatus {
    kDone = 0,       // written; for a diff: the outputs are equal
    kDifferent = 1,  // a diff was written: the outputs differ
    kRefused = 2,    // nothing written; the messages say why
};

// `time` as ISO 8601 in local time with its offset: 2026-03-01T09:30:00+01:00.
std::string LocalIsoTime(HistoryTime time);

// Writes the runs of `agent` to `out`, newest first, one a line, its fields
// separated by tabs: start (LocalIsoTime), outcome word, errors, lines
// printed, lines added, lines removed ("-" for both when not compared) and
// seconds. An agent that neither the catalogue (`known`) nor the history
// knows is refused.
ReportStatus ReportRunHistory(HistoryStore& store, const AgentDefinition& agent, bool known,
                              std::FILE* out, std::vector<std::string>& messages);

// Writes the unified diff between the newest kept output of `agent` and the
// kept output `before` places before it, compared as the agent's IGNORELINES
// and IGNOREORDER say, each labelled with the agent's name and its run's
// start. `messages` receives keys that could not be used, or why nothing
// was written.
ReportStatus ReportOutputDiff(HistoryStore& store, const AgentDefinition& agent, bool known,
                              std::size_t before, std::FILE* out,
                              std::vector<std::string>& messages);

}  // namespace gleanwork
