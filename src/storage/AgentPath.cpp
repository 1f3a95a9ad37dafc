#include "storage/AgentPath.h"

namespace gleanwork {

std::string ResolveAgentPath(const std::string& path) {
    return path;
}

}  // namespace gleanwork
