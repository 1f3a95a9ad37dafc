#pragma once

#include <string>

namespace gleanwork {

class AgentCatalogue;

// The name for a copy of the agent named `name`: the name itself when no
// agent has it, else the name followed by 2, 3, ... (no separator), the
// first that no agent of `catalogue` has. Names are compared exactly.
std::string ChooseDuplicateName(AgentCatalogue& catalogue, const std::string& name);

}  // namespace gleanwork
