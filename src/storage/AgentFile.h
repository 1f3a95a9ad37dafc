#pragma once

#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork {

// The agent file of `name` in `folder`: folder, "/", name, ".agt".
std::string AgentFilePath(const std::string& folder, const std::string& name);

// Applies the agent file at `path` to `agent`: key lines set their fields,
// SCRIPT ... ENDSCRIPT blocks append script lines. Returns 0 when the file
// held at least one usable line, -1 otherwise (then `agent` is untouched).
int ReadAgentFile(AgentDefinition& agent, const std::string& path);

// Writes `agent` to its agent file in `folder`, replacing the old file as a
// whole. A line break inside a value or a script line is written as a space
// so that it cannot forge a line. Returns 0 when the file reached the disk,
// -1 when it did not (the old file, if any, is then unchanged).
int WriteAgentFile(const AgentDefinition& agent, const std::string& folder);

}  // namespace gleanwork
