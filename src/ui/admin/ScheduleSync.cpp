#include "ui/admin/ScheduleSync.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>

#include "base/TextScan.h"
#include "storage/AgentCatalogue.h"
#include "watch/ScheduleForecast.h"
#include "watch/UserTimerSetup.h"
#include "watch/UserTimers.h"

namespace gleanwork {

namespace {

// Adds `report`'s error and its notes not given before.
void Collect(const std::string& name, const ScheduleReport& report,
             std::vector<std::string>& problems, std::vector<std::string>& notes) {
    if (!report.done) {
        problems.push_back("The schedule of " + name + ": " + report.error);
    }
    for (const std::string& note : report.notes) {
        if (std::find(notes.begin(), notes.end(), note) == notes.end()) {
            notes.push_back(note);
        }
    }
}

}  // namespace

void ScheduleSync::Remember(const AgentDefinition& agent) {
    written_[&agent] = {agent.name, std::string(TrimWhitespace(agent.SCHEDULE))};
}

void ScheduleSync::Forget(const AgentDefinition* agent) {
    const auto found = written_.find(agent);
    if (found == written_.end()) {
        return;
    }
    if (!found->second.schedule.empty()) {
        leaving_.push_back(found->second.name);
    }
    written_.erase(found);
}

std::vector<std::string> ScheduleSync::Apply(const AgentCatalogue& catalogue) {
    std::set<std::string> leaving(leaving_.begin(), leaving_.end());
    std::vector<const AgentDefinition*> changed;
    for (std::size_t index = 0; index < catalogue.Count(); ++index) {
        const AgentDefinition& agent = catalogue.At(index);
        const Units now{agent.name, std::string(TrimWhitespace(agent.SCHEDULE))};
        const auto before = written_.find(&agent);
        const bool had = before != written_.end() && !before->second.schedule.empty();
        if (had && (before->second.name != now.name || now.schedule.empty())) {
            leaving.insert(before->second.name);
        }
        if (!now.schedule.empty() && (before == written_.end() || !(before->second == now))) {
            changed.push_back(&agent);
        } else {
            written_[&agent] = now;
        }
    }
    for (const AgentDefinition* agent : changed) {
        leaving.erase(agent->name);  // its new units replace the old ones
    }
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    if (leaving.empty() && changed.empty()) {
        return problems;
    }
    std::string reason;
    const std::optional<TimerSetup> setup = MakeUserTimerSetup(reason);
    if (!setup) {
        return {"The schedules were left as they were: " + reason};
    }
    // Units go before any are written, so that agents that swap names end
    // up with the units of their new names.
    for (const std::string& name : leaving) {
        Collect(name, RemoveAgentSchedule(name, *setup), problems, notes);
    }
    leaving_.clear();
    for (const AgentDefinition* agent : changed) {
        const ScheduleReport report = UpdateAgentSchedule(*agent, *setup, CalendarNow());
        Collect(agent->name, report, problems, notes);
        if (report.done) {
            Remember(*agent);
        }
    }
    problems.insert(problems.end(), notes.begin(), notes.end());
    return problems;
}

}  // namespace gleanwork
