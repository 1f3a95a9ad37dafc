#include "support/AgentFixtures.h"

#include "storage/AgentCatalogue.h"

namespace gleanwork::test {

AgentDefinition MakeEndlessAgent(const std::string& name, const std::string& source) {
    AgentDefinition agent = MakeAgent(name, "loops until stopped");
    agent.URL = source;
    agent.SCRIPT = {"BOOKMARK again", "MATCH \"a\"", "JUMPIFOK again"};
    return agent;
}

bool SaveAgents(const std::vector<AgentDefinition>& agents) {
    AgentCatalogue catalogue;
    for (const AgentDefinition& agent : agents) {
        catalogue.AddAgent(agent);
    }
    return catalogue.SaveCatalogue() == 0;
}

}  // namespace gleanwork::test
