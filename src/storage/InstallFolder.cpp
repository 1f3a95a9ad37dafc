#include "storage/InstallFolder.h"

#include <cstdlib>

namespace gleanwork {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string GetInstallFolder() {
    if (std::string folder = Environment("GLEANWORK_INSTALLDIR"); !folder.empty()) {
        return folder;
    }
    if (const std::string dataHome = Environment("XDG_DATA_HOME"); !dataHome.empty()) {
        return dataHome + "/gleanwork";
    }
    if (const std::string home = Environment("HOME"); !home.empty()) {
        return home + "/.local/share/gleanwork";
    }
    return {};
}

std::string InInstallFolder(const std::string& path) {
    if (path.empty() || path.starts_with('/')) {
        return path;
    }
    const std::string folder = GetInstallFolder();
    return folder.empty() ? path : folder + "/" + path;
}

}  // namespace gleanwork
