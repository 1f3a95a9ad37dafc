#include "storage/AgentCatalogue.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "storage/AgentFile.h"
#include "storage/AtomicFile.h"
#include "storage/InstallFolder.h"
#include "storage/TextLines.h"

namespace gleanwork {

namespace {

constexpr const char* kCatalogueFileName = "/AGENTS.INI";
constexpr const char* kAgentsFolderName = "/Agents";

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates `path` and any missing folder above it.
bool MakeFolders(const std::string& path) {
    if (path.empty() || IsFolder(path)) {
        return !path.empty();
    }
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
        return false;
    }
    return ::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(path));
}

}  // namespace

void AgentCatalogue::LoadCatalogue() {
    agents_.clear();
    const std::string folder = GetInstallFolder();
    if (folder.empty()) {
        return;
    }
    std::vector<std::string> names;
    if (ReadTextLines(folder + kCatalogueFileName, names) != 0) {
        return;
    }
    const std::string agentsFolder = folder + kAgentsFolderName;
    for (std::string& name : names) {
        if (!IsPlainFileName(name)) {
            continue;
        }
        AgentDefinition agent;
        agent.name = std::move(name);
        if (ReadAgentFile(agent, AgentFilePath(agentsFolder, agent.name)) == 0) {
            AddAgent(std::move(agent));
        }
    }
}

int AgentCatalogue::SaveCatalogue() const {
    const std::string folder = GetInstallFolder();
    const std::string agentsFolder = folder + kAgentsFolderName;
    if (folder.empty() || !MakeFolders(agentsFolder)) {
        return -1;
    }
    // The list is written only once every agent it names is on the disk, so
    // that it never names an agent without a file nor drops the old file of
    // one. The other agents' files are still written.
    bool everyFileWritten = true;
    std::string names;
    for (const auto& agent : agents_) {
        everyFileWritten = WriteAgentFile(*agent, agentsFolder) == 0 && everyFileWritten;
        names += agent->name;
        names += '\n';
    }
    return everyFileWritten && WriteFileAtomically(folder + kCatalogueFileName, names) ? 0 : -1;
}

AgentDefinition& AgentCatalogue::AddAgent(AgentDefinition agent) {
    agents_.push_back(std::make_unique<AgentDefinition>(std::move(agent)));
    return *agents_.back();
}

AgentDefinition* AgentCatalogue::FindAgent(std::string_view name) {
    const auto found = std::find_if(agents_.begin(), agents_.end(),
                                    [name](const auto& agent) { return agent->name == name; });
    return found == agents_.end() ? nullptr : found->get();
}

bool AgentCatalogue::RemoveAgent(const AgentDefinition* agent) {
    const auto found = std::find_if(agents_.begin(), agents_.end(),
                                    [agent](const auto& held) { return held.get() == agent; });
    if (found == agents_.end()) {
        return false;
    }
    agents_.erase(found);
    return true;
}

}  // namespace gleanwork
