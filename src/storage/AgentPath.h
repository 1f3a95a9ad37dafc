#pragma once

#include <string>

namespace gleanwork {

// The file that a path written in an agent (its source file, output file or
// database file) stands for. A relative path is read against the working
// directory, as it stands.
std::string ResolveAgentPath(const std::string& path);

}  // namespace gleanwork
