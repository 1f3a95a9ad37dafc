#include "watch/HistoryOpen.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "storage/InstallFolder.h"
#include "watch/PostgresHistory.h"
#include "watch/SqliteHistory.h"

namespace gleanwork {

namespace {

bool SharedHistoryNamed() {
    const char* shared = std::getenv("GLEANWORK_HISTORY");
    return shared != nullptr && *shared != '\0';
}

std::unique_ptr<HistoryConnection> OpenConnection(HistoryResult& result) {
    if (SharedHistoryNamed()) {
        const std::string uri = std::getenv("GLEANWORK_HISTORY");
        if (uri.starts_with("postgresql://") || uri.starts_with("postgres://")) {
            return OpenPostgresHistory(uri, result);
        }
        // The value may hold a password: it is not repeated.
        result = HistoryResult::Failed("GLEANWORK_HISTORY is set but is no postgresql:// address");
        return nullptr;
    }
    const std::string folder = GetInstallFolder();
    if (folder.empty()) {
        result = HistoryResult::Failed("the installation folder is unknown, so is history.db");
        return nullptr;
    }
    return OpenSqliteHistory(folder + "/history.db", result);
}

}  // namespace

bool HistoryMayHoldRuns() {
    const std::string folder = GetInstallFolder();
    std::error_code failed;
    return SharedHistoryNamed() || folder.empty() ||
           std::filesystem::exists(folder + "/history.db", failed);
}

std::unique_ptr<HistoryStore> OpenHistory(HistoryResult& result) {
    std::unique_ptr<HistoryConnection> connection = OpenConnection(result);
    return connection ? std::make_unique<HistoryStore>(std::move(connection)) : nullptr;
}

}  // namespace gleanwork
