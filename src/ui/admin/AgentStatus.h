#pragma once

#include <QString>
#include <map>
#include <string>

#include "watch/CalendarElapse.h"
#include "watch/RunEntry.h"

class QTreeWidgetItem;

namespace gleanwork {

struct AgentDefinition;

// The last run of every agent in the history, by name, or why the history
// could not be read.
struct LastRuns {
    std::map<std::string, RunEntry> byAgent;
    std::string problem;
};

// Reads the last runs from the history (OpenHistory); for a thread of its
// own, since a shared history may be slow to answer.
LastRuns ReadLastRuns();

// The columns of the Agents list that follow the name.
enum AgentColumn { kNameColumn, kLastRunColumn, kNextRunColumn, kAgentColumns };

// Shows in `item` the last run of `agent` (its time and outcome with the
// outcome's mark, the first error as the tip; empty when it never ran) and
// its next scheduled run after `now` (empty without a schedule).
void ShowAgentStatus(QTreeWidgetItem& item, const AgentDefinition& agent, const LastRuns& runs,
                     CalendarTime now);

}  // namespace gleanwork
