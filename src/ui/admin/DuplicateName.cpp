#include "ui/admin/DuplicateName.h"

#include "storage/AgentCatalogue.h"

namespace gleanwork {

std::string ChooseDuplicateName(AgentCatalogue& catalogue, const std::string& name) {
    std::string candidate = name;
    for (long long counter = 2; catalogue.FindAgent(candidate) != nullptr; ++counter) {
        candidate = name + std::to_string(counter);
    }
    return candidate;
}

}  // namespace gleanwork
