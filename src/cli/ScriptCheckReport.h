#pragma once

#include <cstdio>
#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork {

// Checks the script of `agent`, read from the agent file `path`, and writes
// each warning to `out` as "PATH:LINE: message"; LINE, and every line a
// message names, is a line of the agent file. Returns the number of
// warnings.
std::size_t ReportScriptCheck(const AgentDefinition& agent, const std::string& path,
                              std::FILE* out);

}  // namespace gleanwork
