#include "cli/AgentLookup.h"

#include <cstdlib>

#include "storage/AgentCatalogue.h"
#include "storage/AgentFile.h"
#include "storage/InstallFolder.h"

namespace gleanwork {

namespace {

// The file name without its folder and without ".agt".
std::string AgentNameOfFile(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.ends_with(kAgentFileExtension)) {
        name.resize(name.size() - kAgentFileExtension.size());
    }
    return name;
}

std::optional<AgentDefinition> ReadAgentFromFile(const std::string& path, std::string& error) {
    AgentDefinition agent;
    agent.name = AgentNameOfFile(path);
    if (ReadAgentFile(agent, path) != 0) {
        error = "cannot read agent file '" + path + "'";
        return std::nullopt;
    }
    return agent;
}

std::optional<AgentDefinition> FindCatalogueAgent(const std::string& name, std::string& error) {
    AgentCatalogue catalogue;
    catalogue.LoadCatalogue();
    if (const AgentDefinition* agent = catalogue.FindAgent(name)) {
        return *agent;
    }
    const std::string folder = GetInstallFolder();
    error = "no agent named '" + name + "' in " +
            (folder.empty() ? std::string("the catalogue (installation folder unknown)")
                            : "'" + folder + "'");
    return std::nullopt;
}

// The passwords that GLEANWORK_DBPASS and GLEANWORK_WEBPASS give, when set
// and not empty, replace the agent's: a run in a container takes them from
// a secret store rather than from the agent file.
AgentDefinition WithEnvironmentPasswords(AgentDefinition agent) {
    for (const auto& [variable, field] :
         {std::pair{"GLEANWORK_DBPASS", &AgentDefinition::DBPASS},
          std::pair{"GLEANWORK_WEBPASS", &AgentDefinition::WEBPASS}}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
            agent.*field = value;
        }
    }
    return agent;
}

}  // namespace

std::string AgentFileOf(const RunnerOptions& options) {
    if (!options.agentFile.empty()) {
        return options.agentFile;
    }
    return AgentFilePath(GetInstallFolder() + "/Agents", options.agentName);
}

std::optional<AgentDefinition> LookUpAgent(const RunnerOptions& options, std::string& error) {
    std::optional<AgentDefinition> agent = options.agentFile.empty()
                                               ? FindCatalogueAgent(options.agentName, error)
                                               : ReadAgentFromFile(options.agentFile, error);
    if (agent) {
        agent = WithEnvironmentPasswords(std::move(*agent));
    }
    return agent;
}

}  // namespace gleanwork
