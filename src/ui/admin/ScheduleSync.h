#pragma once

#include <map>
#include <string>
#include <vector>

namespace gleanwork {

class AgentCatalogue;
struct AgentDefinition;

// Keeps the user's timer units in step with the agents as they are saved:
// each agent's units as they were last written (or found, when the
// catalogue was loaded), so that a save writes the units of the agents whose
// name or schedule changed, and removes those of agents renamed, removed or
// no longer scheduled. Only the agents that changed cost a call on the
// service manager.
class ScheduleSync {
public:
    // `agent` as loaded: its units are taken to be written.
    void Remember(const AgentDefinition& agent);
    // `agent` is about to leave the catalogue: its units go at the next save.
    void Forget(const AgentDefinition* agent);

    // Brings the units in step with `catalogue`, just saved. Returns what the
    // user should know: a line for each agent whose units could not be
    // written or removed (tried again at the next save), then the notes.
    std::vector<std::string> Apply(const AgentCatalogue& catalogue);

private:
    struct Units {
        std::string name;
        std::string schedule;  // without surrounding white space; empty: none

        bool operator==(const Units&) const = default;
    };

    std::map<const AgentDefinition*, Units> written_;
    std::vector<std::string> leaving_;  // names whose units go
};

}  // namespace gleanwork
