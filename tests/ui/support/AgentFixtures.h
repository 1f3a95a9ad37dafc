#pragma once

#include <string>
#include <vector>

#include "storage/AgentDefinition.h"
#include "support/AgentSamples.h"

namespace gleanwork::test {

// An agent that reads the local file `source` and loops over it for ever:
// it ends only when its run is asked to stop.
AgentDefinition MakeEndlessAgent(const std::string& name, const std::string& source);

// Writes `agents`, in this order, as the catalogue of the installation
// folder (GLEANWORK_INSTALLDIR). Returns false when the save failed.
bool SaveAgents(const std::vector<AgentDefinition>& agents);

}  // namespace gleanwork::test
