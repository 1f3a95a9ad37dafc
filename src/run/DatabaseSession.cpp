#include "run/DatabaseSession.h"

#include <algorithm>

#include "run/PasswordRedaction.h"
#include "script/ArgumentExpansion.h"
#include "storage/InstallFolder.h"

namespace gleanwork {

namespace {

// The value bound for a reference that stands for nothing in an expansion.
const std::string kNoValue;

}  // namespace

DataSource AgentDataSource(const AgentDefinition& agent) {
    DataSource source = ParseDataSource(agent.DBSOURCE);
    if (source.engine == DatabaseEngine::kSqlite) {
        source.location = InInstallFolder(source.location);
    }
    return source;
}

ParameterizedStatement ParameterizeFor(std::string_view statementTemplate,
                                       const Database& database) {
    return ParameterizeStatement(statementTemplate,
                                 [&database](std::size_t number, std::string& sql) {
                                     database.AppendPlaceholder(number, sql);
                                 });
}

DatabaseSession::DatabaseSession(const AgentDefinition& agent, SourceLog& log)
    : agent_(agent), log_(log), source_(AgentDataSource(agent)) {}

DatabaseSession::~DatabaseSession() {
    Close();
}

bool DatabaseSession::Execute(std::string_view statementTemplate, const VariableTable& variables) {
    PreparedTemplate* prepared = nullptr;
    if (!Bind(statementTemplate, variables, prepared)) {
        return false;
    }
    if (prepared == nullptr) {
        return true;
    }
    std::string error;
    const DatabaseResult result = prepared->statement->Execute(values_, error);
    if (result != DatabaseResult::kDone) {
        Report(result, error);
        return false;
    }
    ++rows_;
    return true;
}

std::uint64_t DatabaseSession::Send(std::string_view statementTemplate,
                                    const VariableTable& variables, bool& ran) {
    if (source_.engine != DatabaseEngine::kPostgres) {
        ran = Execute(statementTemplate, variables);
        return 0;
    }
    PreparedTemplate* prepared = nullptr;
    ran = Bind(statementTemplate, variables, prepared);
    if (!ran) {
        return 0;
    }
    lastSent_ = database_->Send(*prepared->statement, values_);
    return lastSent_;
}

void DatabaseSession::TakeOutcomes(bool wait, std::vector<SentStatement>& outcomes) {
    if (!database_) {
        // The connection went while statements were on their way: they went with it.
        for (; lastReported_ < lastSent_; ++lastReported_) {
            outcomes.push_back({lastReported_ + 1, false, true, lostReason_});
        }
        return;
    }
    reports_.clear();
    if (wait) {
        database_->Await(reports_);
    } else {
        database_->Collect(reports_);
    }
    for (StatementReport& report : reports_) {
        lastReported_ = report.ticket;
        const bool ran = report.outcome == StatementOutcome::kDone;
        rows_ += ran ? 1 : 0;
        const bool lost = report.outcome == StatementOutcome::kLost;
        if (report.outcome == StatementOutcome::kDropped) {
            report.error = "a statement sent before it was refused";
        }
        outcomes.push_back({report.ticket, ran, lost, std::move(report.error)});
    }
}

void DatabaseSession::LogFailure(const SentStatement& outcome) {
    Report(outcome.lost ? DatabaseResult::kLost : DatabaseResult::kRefused, outcome.error);
}

bool DatabaseSession::Bind(std::string_view statementTemplate, const VariableTable& variables,
                           PreparedTemplate*& prepared) {
    if (source_.engine == DatabaseEngine::kNone) {
        return true;
    }
    if (state_ == State::kUnavailable) {
        log_.LogError("Statement not run: there is no database connection");
        return false;
    }
    ++contacts_;
    if (state_ == State::kUnopened && !Open()) {
        return false;
    }
    prepared = Prepare(statementTemplate);
    if (prepared == nullptr) {
        return false;
    }
    const std::vector<std::string>& names = prepared->parameterized.names;
    values_.clear();
    filtered_.resize(std::max(filtered_.size(), names.size()));
    for (std::size_t index = 0; index < names.size(); ++index) {
        const std::string* value = ReferenceValue(names[index], variables, filtered_[index]);
        values_.push_back(value == nullptr ? &kNoValue : value);
    }
    return true;
}

// Closing a connection undoes what its open transaction did.
void DatabaseSession::Finish(bool keep) {
    if (!keep && HasSource()) {
        Close();
        const bool understood = source_.engine != DatabaseEngine::kUnknown;
        LogRedacted("Database left as it was: " +
                    (understood ? source_.location : agent_.DBSOURCE));
        return;
    }
    if (state_ != State::kOpen) {
        return;
    }
    std::string error;
    committed_ = database_->Commit(error) == DatabaseResult::kDone;
    if (!committed_) {
        LogError("The run's database statements were not saved", error);
    }
    Close();
}

DatabaseFate DatabaseSession::Fate() const {
    if (committed_) {
        return DatabaseFate::kCommitted;
    }
    return rows_ > 0 ? DatabaseFate::kRolledBack : DatabaseFate::kNone;
}

void DatabaseSession::Interrupt() {
    const std::lock_guard<std::mutex> lock(mutex_);
    interrupted_ = true;
    if (database_) {
        database_->Interrupt();
    }
}

bool DatabaseSession::Open() {
    state_ = State::kUnavailable;
    if (source_.engine == DatabaseEngine::kUnknown) {
        LogError("Data source not understood", "use " + std::string(kDataSourceForms));
        return false;
    }
    std::string error;
    std::unique_ptr<Database> database =
        OpenDatabase(source_, DatabaseLogin{agent_.DBUSER, agent_.DBPASS}, error);
    if (database) {
        const std::lock_guard<std::mutex> lock(mutex_);
        database_ = std::move(database);
        if (interrupted_) {
            database_->Interrupt();
        }
    }
    if (!database_ || database_->Begin(error) != DatabaseResult::kDone) {
        LogError("Cannot open the database", error);
        Close();
        return false;
    }
    state_ = State::kOpen;
    return true;
}

DatabaseSession::PreparedTemplate* DatabaseSession::Prepare(std::string_view statementTemplate) {
    for (PreparedTemplate& prepared : prepared_) {
        if (prepared.statementTemplate == statementTemplate) {
            return &prepared;
        }
    }
    PreparedTemplate prepared{std::string(statementTemplate),
                              ParameterizeFor(statementTemplate, *database_), nullptr};
    std::string error;
    const DatabaseResult result =
        database_->Prepare(prepared.parameterized.sql, prepared.statement, error);
    if (result != DatabaseResult::kDone) {
        Report(result, error);
        return nullptr;
    }
    prepared_.push_back(std::move(prepared));
    return &prepared_.back();
}

void DatabaseSession::Report(DatabaseResult result, const std::string& error) {
    if (result == DatabaseResult::kRefused) {
        LogError("The database refused the statement", error);
        return;
    }
    LogError("Lost the database connection; the run's statements were not saved", error);
    lostReason_ = error;
    Close();
}

void DatabaseSession::Close() {
    state_ = State::kUnavailable;
    prepared_.clear();
    const std::lock_guard<std::mutex> lock(mutex_);
    database_.reset();
}

void DatabaseSession::LogError(std::string_view what, const std::string& reason) {
    std::string text(what);
    text += ": ";
    text += reason;
    RedactPasswords(agent_, text);
    log_.LogError(text);
}

void DatabaseSession::LogRedacted(std::string line) {
    RedactPasswords(agent_, line);
    log_.LogLine(line);
}

}  // namespace gleanwork
