#include "database/SqliteFile.h"

namespace gleanwork {

SqliteConnection OpenSqliteFile(const std::string& path, std::string& reason) {
    sqlite3* opened = nullptr;
    const int code =
        sqlite3_open_v2(path.c_str(), &opened,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteConnection connection(opened);
    if (code != SQLITE_OK) {
        reason = connection ? sqlite3_errmsg(connection.get()) : sqlite3_errstr(code);
        return SqliteConnection();
    }
    return connection;
}

}  // namespace gleanwork
