#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "database/Database.h"
#include "database/PostgresDatabase.h"

namespace gleanwork {

// The database engines an agent's data source can name.
enum class DatabaseEngine { kNone, kSqlite, kPostgres, kUnknown };

// What an agent's DBSOURCE names: an engine and where its database is.
struct DataSource {
    DatabaseEngine engine = DatabaseEngine::kNone;
    std::string location;  // a file path for SQLite, a connection URI for PostgreSQL
};

// The forms a data source is understood in, for messages.
inline constexpr std::string_view kDataSourceForms =
    "sqlite:PATH, a file ending in .db, .sqlite or .sqlite3, "
    "or a postgresql:// or postgres:// address";

// Reads a DBSOURCE value, trimmed of whitespace: empty is kNone; "sqlite:"
// and a path, or a path ending in ".db", ".sqlite" or ".sqlite3", is an
// SQLite file; an address beginning "postgresql://" or "postgres://" is a
// PostgreSQL connection URI; anything else is kUnknown.
DataSource ParseDataSource(std::string_view text);

// Opens the database of a kSqlite or kPostgres source. Null, with the reason
// in `error`, when it cannot be opened.
std::unique_ptr<Database> OpenDatabase(const DataSource& source, const DatabaseLogin& login,
                                       std::string& error);

}  // namespace gleanwork
