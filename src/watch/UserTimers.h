#pragma once

#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "watch/CalendarElapse.h"
#include "watch/ScheduleUnits.h"

namespace gleanwork {

// What writing or removing an agent's units came to.
struct ScheduleReport {
    bool done = false;               // the units are as the agent asks
    std::string error;               // when not done: why
    std::vector<std::string> notes;  // what the user should know: what is missing, what to do
};

// Makes the units of `agent` what its SCHEDULE asks: writes its service and
// timer into the setup's unit folder and has the user's service manager
// take the timer when the agent has a schedule; stops the timer and removes
// both when it has none. A bad expression is refused with its reason
// before anything is written. Where no service manager answers, the units
// are still written (and the timer enabled for the next session), and a
// note says what is missing.
ScheduleReport UpdateAgentSchedule(const AgentDefinition& agent, const TimerSetup& setup,
                                   CalendarTime now);

// Stops and removes the units of the agent named `name`, if it has any.
ScheduleReport RemoveAgentSchedule(const std::string& name, const TimerSetup& setup);

// The agent once named `oldName` is now `agent`: the old name's units go,
// and the new name's follow its schedule.
ScheduleReport RenameAgentSchedule(const std::string& oldName, const AgentDefinition& agent,
                                   const TimerSetup& setup, CalendarTime now);

}  // namespace gleanwork
