#include "ui/editor/AgentNameCheck.h"

#include "storage/AgentCatalogue.h"
#include "storage/AgentFile.h"
#include "ui/common/DisplayText.h"

namespace gleanwork {

namespace {

bool NameTakenByAnother(const std::string& name, const AgentDefinition& agent,
                        const AgentCatalogue& catalogue) {
    for (std::size_t index = 0; index < catalogue.Count(); ++index) {
        const AgentDefinition& other = catalogue.At(index);
        if (&other != &agent && other.name == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

QString AgentNameProblem(const std::string& name, const AgentDefinition& agent,
                         const AgentCatalogue& catalogue) {
    if (name.empty()) {
        return QStringLiteral("Please enter a name for the agent.");
    }
    if (!IsPlainFileName(name)) {
        return QStringLiteral(
                   "The name \"%1\" cannot be used: an agent name names the agent's file, so it "
                   "cannot be \".\" or \"..\" and cannot contain \"/\" or a line break.")
            .arg(ToDisplayText(name));
    }
    if (name.size() > kLongestAgentName) {
        return QStringLiteral(
                   "The name is too long: an agent name names the agent's file, so it can hold "
                   "at most %1 bytes, and this one has %2. Please choose a shorter name.")
            .arg(kLongestAgentName)
            .arg(name.size());
    }
    if (NameTakenByAnother(name, agent, catalogue)) {
        return QStringLiteral("Another agent is already named \"%1\". Please choose another name.")
            .arg(ToDisplayText(name));
    }
    return {};
}

}  // namespace gleanwork
