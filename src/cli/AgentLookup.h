#pragma once

#include <optional>
#include <string>

#include "cli/RunnerOptions.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// The agent file that LookUpAgent reads for `options`.
std::string AgentFileOf(const RunnerOptions& options);

// The agent that the options name: read from its agent file, or found by name
// in the catalogue, with the passwords GLEANWORK_DBPASS and GLEANWORK_WEBPASS
// give in place of its own. Nothing (with `error` set to one line) when there
// is none.
std::optional<AgentDefinition> LookUpAgent(const RunnerOptions& options, std::string& error);

}  // namespace gleanwork
