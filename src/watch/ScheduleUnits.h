#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "storage/AgentDefinition.h"
#include "watch/RunSlot.h"

namespace gleanwork {

// What the units of an agent's schedule run, and where they go.
struct TimerSetup {
    std::string runner;         // the gleanwork-run that runs the agent: an absolute path
    std::string installFolder;  // the installation folder of the run: an absolute path
    std::string unitFolder;     // the folder of the user's own units
};

// The two units that run one agent on its schedule.
struct AgentUnits {
    std::string serviceName;
    std::string service;  // the unit file's text
    std::string timerName;
    std::string timer;
};

// The niceness of a run that starts by itself: it gives way to what the user
// does at the same time.
inline constexpr int kScheduledNice = 10;

// How late the timer starts a run of a schedule whose runs are `slot` apart:
// a random delay of a twentieth of the slot, at most 5 minutes, so that the
// runs of many agents spread out, and a second of accuracy.
std::chrono::seconds TimerRandomDelay(std::chrono::seconds slot);
inline constexpr std::chrono::seconds kTimerAccuracy{1};

// The service and timer that run `agent` on its SCHEDULE with `limits`.
AgentUnits MakeAgentUnits(const AgentDefinition& agent, const RunSlotLimits& limits,
                          const TimerSetup& setup);

// `text` as one quoted word of a unit file's command line or assignment:
// '"' and '\' escaped; control characters, and every byte past ASCII when
// `text` is no UTF-8, as "\xNN"; "%" as "%%"; and "$" as "$$" when
// `forCommand`, so that systemd reads back exactly `text`.
std::string UnitQuoted(std::string_view text, bool forCommand);

}  // namespace gleanwork
