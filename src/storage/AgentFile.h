#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "storage/AgentDefinition.h"
#include "storage/AtomicFile.h"

namespace gleanwork {

inline constexpr std::string_view kAgentFileExtension = ".agt";

// The longest agent name, in bytes, whose agent file can be saved.
inline constexpr std::size_t kLongestAgentName =
    kLongestAtomicFileName - kAgentFileExtension.size();

// The agent file of `name` in `folder`: folder, "/", name, ".agt".
std::string AgentFilePath(const std::string& folder, const std::string& name);

// Applies the agent file at `path` to `agent`: key lines set their fields,
// SCRIPT ... ENDSCRIPT blocks append script lines. Returns 0 when the file
// held at least one usable line, -1 otherwise (then `agent` is untouched).
int ReadAgentFile(AgentDefinition& agent, const std::string& path);

// True when the script line `line` is the line that ends a script block in
// the agent file ("ENDSCRIPT"). WriteAgentFile writes such a script line with
// a leading space, so that it reads back as a script line (the same unknown
// command) instead of ending the block and letting the lines after it be read
// as settings.
bool IsScriptEndLine(std::string_view line);

// The text of the agent file of `agent`, as WriteAgentFile writes it.
std::string FormatAgentFile(const AgentDefinition& agent);

// Writes `agent` to its agent file in `folder`, replacing the old file as a
// whole. A line break inside a value or a script line is written as a space
// so that it cannot forge a line, nor can a script line that ends the block. Returns 0 when the
// file reached the disk, -1 when it did not (the old file, if any, is then unchanged).
int WriteAgentFile(const AgentDefinition& agent, const std::string& folder);

}  // namespace gleanwork
