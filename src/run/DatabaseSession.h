#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "database/DataSource.h"
#include "net/SourceLog.h"
#include "run/RunOutcome.h"
#include "script/ScriptRun.h"
#include "script/StatementTemplate.h"
#include "script/VariableTable.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// The data source of `agent`, an SQLite file's path resolved as the agent's
// other paths are.
DataSource AgentDataSource(const AgentDefinition& agent);

// `statementTemplate` made ready for `database` (see ParameterizeStatement).
ParameterizedStatement ParameterizeFor(std::string_view statementTemplate,
                                       const Database& database);

// The database work of one run, for an agent with a data source: the
// connection opens at the run's first statement, each statement template is
// prepared once, and everything the run's statements did is committed
// together when the run ends, or undone. Problems become error lines in the
// log.
class DatabaseSession : public ScriptStatements {
public:
    // `agent` and `log` must outlive the session.
    DatabaseSession(const AgentDefinition& agent, SourceLog& log);
    DatabaseSession(const DatabaseSession&) = delete;
    DatabaseSession& operator=(const DatabaseSession&) = delete;
    ~DatabaseSession() override;

    // Runs the statement that `statementTemplate` stands for, each reference
    // bound to what it stands for in the template's expansion (see
    // ReferenceValue), so that the statement logged is the statement run.
    // True when it ran or when the agent has no data source.
    bool Execute(std::string_view statementTemplate, const VariableTable& variables) override;
    // PostgreSQL statements are sent without waiting; the others run at once.
    std::uint64_t Send(std::string_view statementTemplate, const VariableTable& variables,
                       bool& ran) override;
    void TakeOutcomes(bool wait, std::vector<SentStatement>& outcomes) override;
    void LogFailure(const SentStatement& outcome) override;

    // Whether the agent names a data source.
    bool HasSource() const { return source_.engine != DatabaseEngine::kNone; }
    // How many statements went to the database (or tried to open it): what
    // may come out differently when tried again.
    std::uint64_t ContactCount() const override { return contacts_; }
    // Whether statements may still reach the database.
    bool Available() const override { return state_ != State::kUnavailable; }

    // Ends the run's database work: with `keep`, commits what its statements
    // did; otherwise undoes it and logs "Database left as it was: " and the
    // data source. Closes the connection.
    void Finish(bool keep);

    // What became of the run's statements: committed or rolled back once
    // Finish has decided, rolled back when the connection was lost or the
    // session ends without Finish.
    DatabaseFate Fate() const;
    // The statements that ran.
    std::uint64_t RowCount() const { return rows_; }

    // Makes a statement that runs right now, and any later one, give up.
    // Safe from any thread.
    void Interrupt();

private:
    struct PreparedTemplate {
        std::string statementTemplate;
        ParameterizedStatement parameterized;
        std::unique_ptr<DatabaseStatement> statement;
    };

    bool Open();
    // Opens the connection when it is the first statement, prepares
    // `statementTemplate` and binds the values of its references; false
    // (logged) when it cannot run. `prepared` stays null when there is no
    // data source.
    bool Bind(std::string_view statementTemplate, const VariableTable& variables,
              PreparedTemplate*& prepared);
    // The prepared statement of `statementTemplate`, or null when the
    // database refused it or the connection was lost.
    PreparedTemplate* Prepare(std::string_view statementTemplate);
    // Logs a refusal or a lost connection.
    void Report(DatabaseResult result, const std::string& error);
    // Drops the connection for good: later statements do not run.
    void Close();
    void LogError(std::string_view what, const std::string& reason);
    // Logs `line` with the agent's passwords masked.
    void LogRedacted(std::string line);

    enum class State { kUnopened, kOpen, kUnavailable };

    const AgentDefinition& agent_;
    SourceLog& log_;
    const DataSource source_;
    State state_ = State::kUnopened;
    std::uint64_t contacts_ = 0;
    std::uint64_t rows_ = 0;
    bool committed_ = false;
    std::mutex mutex_;  // guards database_ and interrupted_ for Interrupt
    bool interrupted_ = false;
    std::unique_ptr<Database> database_;
    std::vector<PreparedTemplate> prepared_;  // goes before database_
    std::vector<const std::string*> values_;
    std::vector<std::string> filtered_;  // the values of references with filters
    std::vector<StatementReport> reports_;
    StatementTicket lastSent_ = 0;
    StatementTicket lastReported_ = 0;
    std::string lostReason_;  // why the connection was lost
};

}  // namespace gleanwork
