#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/AgentDefinition.h"

namespace gleanwork {

// The ordered list of every agent, as listed in AGENTS.INI of the
// installation folder, each read from its file in the Agents folder. The
// catalogue owns its records; their addresses stay fixed while they are in it.
class AgentCatalogue {
public:
    // Fills the catalogue from disk. Agents whose names are no plain file
    // names or whose files cannot be read are left out.
    void LoadCatalogue();

    // Writes every agent file, then AGENTS.INI, creating the installation and
    // Agents folders when missing. AGENTS.INI is written only when every agent
    // file reached the disk. Replaced files keep their permissions. Returns 0
    // when every file reached the disk, -1 when the folder is unknown or any
    // file was not written.
    int SaveCatalogue() const;

    // Appends `agent` at the end and returns the record now held.
    AgentDefinition& AddAgent(AgentDefinition agent);

    // The first record named exactly `name`, or nullptr.
    AgentDefinition* FindAgent(std::string_view name);

    // Takes `agent` (a record of this catalogue) out and destroys it. Returns
    // false when the record is not in the catalogue.
    bool RemoveAgent(const AgentDefinition* agent);

    std::size_t Count() const { return agents_.size(); }
    AgentDefinition& At(std::size_t index) { return *agents_.at(index); }
    const AgentDefinition& At(std::size_t index) const { return *agents_.at(index); }

private:
    std::vector<std::unique_ptr<AgentDefinition>> agents_;
};

}  // namespace gleanwork
