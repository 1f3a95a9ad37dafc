#include "ui/admin/AgentStatus.h"

#include <QTreeWidgetItem>

#include "storage/AgentDefinition.h"
#include "ui/common/DisplayText.h"
#include "ui/common/OutcomeIcon.h"
#include "ui/common/TimeText.h"
#include "watch/HistoryOpen.h"
#include "watch/ScheduleForecast.h"

namespace gleanwork {

LastRuns ReadLastRuns() {
    LastRuns last;
    HistoryResult result;
    const std::unique_ptr<HistoryStore> store =
        HistoryMayHoldRuns() ? OpenHistory(result) : nullptr;
    std::vector<RunEntry> runs;
    if (store) {
        result = store->LastRuns(runs);
    }
    if (!result) {
        last.problem = result.reason;
    }
    for (RunEntry& run : runs) {
        std::string name = run.agent;
        last.byAgent.emplace(std::move(name), std::move(run));
    }
    return last;
}

void ShowAgentStatus(QTreeWidgetItem& item, const AgentDefinition& agent, const LastRuns& runs,
                     CalendarTime now) {
    const auto last = runs.byAgent.find(agent.name);
    if (last == runs.byAgent.end()) {
        item.setText(kLastRunColumn, QString());
        item.setIcon(kLastRunColumn, QIcon());
        item.setToolTip(kLastRunColumn, QString());
    } else {
        const RunEntry& run = last->second;
        item.setText(kLastRunColumn,
                     LocalTimeText(run.started) + QStringLiteral("  ") + OutcomeText(run.outcome));
        item.setIcon(kLastRunColumn, OutcomeIcon(run.outcome));
        item.setToolTip(kLastRunColumn, ToDisplayText(run.firstError));
    }
    const ScheduleForecast next = ForecastSchedule(agent.SCHEDULE, now, 1);
    item.setText(kNextRunColumn, !next.runs.empty()     ? LocalTimeText(next.runs.front())
                                 : next.refusal.empty() ? QString()
                                                        : QStringLiteral("(bad schedule)"));
    item.setToolTip(kNextRunColumn, ToDisplayText(next.refusal));
}

}  // namespace gleanwork
