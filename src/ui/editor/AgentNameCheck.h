#pragma once

#include <QString>
#include <string>

namespace gleanwork {

class AgentCatalogue;
struct AgentDefinition;

// Why `name` cannot be given to `agent`, as a message for the user; empty
// when it can. Refused are an empty name, a name that another record of
// `catalogue` has (exactly, with case), and a name that cannot name an agent
// file or is too long for its file to be saved. `agent` may be a record of `catalogue` (it does not
// clash with itself) or a new record outside it.
QString AgentNameProblem(const std::string& name, const AgentDefinition& agent,
                         const AgentCatalogue& catalogue);

}  // namespace gleanwork
