#include "storage/AgentDefinition.h"

#include <string_view>

namespace gleanwork {

bool IsPlainFileName(const std::string& name) {
    using namespace std::string_view_literals;
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find_first_of("/\n\r\0"sv) == std::string::npos;
}

}  // namespace gleanwork
