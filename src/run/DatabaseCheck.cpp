#include "run/DatabaseCheck.h"

#include <filesystem>

#include "database/DataSource.h"
#include "run/DatabaseSession.h"
#include "run/PasswordRedaction.h"

namespace gleanwork {

namespace {

// "The SQL for NAME command is accepted." or why it is not.
std::string CheckStatement(Database& database, const char* command,
                           const std::string& statementTemplate) {
    const std::string subject = std::string("\nThe SQL for ") + command + " command ";
    if (statementTemplate.empty()) {
        return subject + "is empty.";
    }
    std::unique_ptr<DatabaseStatement> statement;
    std::string error;
    const std::string sql = ParameterizeFor(statementTemplate, database).sql;
    if (database.Prepare(sql, statement, error) == DatabaseResult::kDone) {
        return subject + "is accepted.";
    }
    return subject + "is refused: " + error;
}

// What CheckDatabaseSettings reports, before the passwords are hidden.
std::string CheckSettings(const AgentDefinition& agent) {
    const DataSource source = AgentDataSource(agent);
    switch (source.engine) {
        case DatabaseEngine::kNone:
            return "No data source is set: INSERTDATA and UPDATEDATA only write their "
                   "statements to the run log.";
        case DatabaseEngine::kUnknown:
            return "The data source is not understood. Use " + std::string(kDataSourceForms) + ".";
        case DatabaseEngine::kSqlite:
            if (!std::filesystem::exists(source.location)) {
                return "The SQLite file " + source.location +
                       " does not exist. A run creates it, but its statements need their "
                       "tables: make them first.";
            }
            break;
        case DatabaseEngine::kPostgres:
            break;
    }
    std::string error;
    const std::unique_ptr<Database> database =
        OpenDatabase(source, DatabaseLogin{agent.DBUSER, agent.DBPASS}, error);
    if (!database || database->Begin(error) != DatabaseResult::kDone) {
        return "Could not connect: " + error;
    }
    const std::string connected = source.engine == DatabaseEngine::kSqlite
                                      ? "Connected to the SQLite file " + source.location + "."
                                      : std::string("Connected to the PostgreSQL server.");
    return connected + CheckStatement(*database, "INSERTDATA", agent.DBINSERT) +
           CheckStatement(*database, "UPDATEDATA", agent.DBUPDATE);
}

}  // namespace

std::string CheckDatabaseSettings(const AgentDefinition& agent) {
    std::string report = CheckSettings(agent);
    RedactPasswords(agent, report);
    return report;
}

}  // namespace gleanwork
