#include "database/DataSource.h"

#include <array>
#include <span>

#include "base/TextScan.h"
#include "database/SqliteDatabase.h"

namespace gleanwork {

namespace {

constexpr std::string_view kSqlitePrefix = "sqlite:";
constexpr std::array<std::string_view, 2> kPostgresPrefixes = {"postgresql://", "postgres://"};
constexpr std::array<std::string_view, 3> kSqliteEndings = {".db", ".sqlite", ".sqlite3"};

bool EndsWithAnyOf(std::string_view text, std::span<const std::string_view> endings) {
    for (const std::string_view ending : endings) {
        if (text.ends_with(ending)) {
            return true;
        }
    }
    return false;
}

}  // namespace

DataSource ParseDataSource(std::string_view text) {
    const std::string_view source = TrimWhitespace(text);
    if (source.empty()) {
        return {};
    }
    if (source.starts_with(kSqlitePrefix) && source.size() > kSqlitePrefix.size()) {
        return {DatabaseEngine::kSqlite, std::string(source.substr(kSqlitePrefix.size()))};
    }
    for (const std::string_view prefix : kPostgresPrefixes) {
        if (source.starts_with(prefix)) {
            return {DatabaseEngine::kPostgres, std::string(source)};
        }
    }
    if (EndsWithAnyOf(source, kSqliteEndings)) {
        return {DatabaseEngine::kSqlite, std::string(source)};
    }
    return {DatabaseEngine::kUnknown, {}};
}

std::unique_ptr<Database> OpenDatabase(const DataSource& source, const DatabaseLogin& login,
                                       std::string& error) {
    switch (source.engine) {
        case DatabaseEngine::kSqlite:
            return OpenSqliteDatabase(source.location, error);
        case DatabaseEngine::kPostgres:
            return OpenPostgresDatabase(source.location, login, error);
        case DatabaseEngine::kNone:
        case DatabaseEngine::kUnknown:
            break;
    }
    error = std::string("the data source is none of ") + std::string(kDataSourceForms);
    return nullptr;
}

}  // namespace gleanwork
