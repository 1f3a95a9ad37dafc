#include "database/PostgresDatabase.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "database/PostgresConnect.h"
#include "database/PostgresStatementQueue.h"
#include "database/RowInsert.h"

namespace gleanwork {

namespace {

// The most placeholders a statement may have.
constexpr std::size_t kMostParameters = 65535;

constexpr const char* kStopped = "the run was stopped";

// 't' when the table named $1 (as a statement writes it) takes a series of
// one-row inserts and one insert of all their rows alike: a plain or
// partitioned table, none of whose parts has a rule, a row security policy,
// or a trigger that fires on INSERT other than the check of a foreign key
// into another table.
constexpr const char* kPlainTableQuery = R"(
WITH target AS (SELECT oid, relkind FROM pg_class WHERE oid = to_regclass($1)),
     tree AS (SELECT oid AS relid FROM target
              UNION SELECT p.relid FROM target, pg_partition_tree(target.oid) p)
SELECT relkind IN ('r', 'p')
   AND NOT EXISTS (SELECT FROM tree JOIN pg_class r ON r.oid = tree.relid
                    WHERE r.relhasrules OR r.relrowsecurity)
   AND NOT EXISTS (SELECT FROM tree JOIN pg_trigger t ON t.tgrelid = tree.relid
                     LEFT JOIN pg_constraint k ON k.oid = t.tgconstraint
                    WHERE t.tgtype & 4 <> 0
                      AND NOT (coalesce(k.contype = 'f', false) AND k.conrelid = t.tgrelid
                               AND k.confrelid NOT IN (SELECT relid FROM tree)))
  FROM target)";

class PostgresStatement final : public DatabaseStatement {
public:
    PostgresStatement(PostgresStatementQueue& queue, std::string name) : queue_(queue) {
        queued.name = std::move(name);
    }

    // Sends one run and waits for its outcome.
    DatabaseResult Execute(std::span<const std::string* const> values,
                           std::string& error) override {
        StatementReport report = queue_.WaitFor(queue_.Send(queued, values));
        error = std::move(report.error);
        switch (report.outcome) {
            case StatementOutcome::kDone:
                return DatabaseResult::kDone;
            case StatementOutcome::kLost:
                return DatabaseResult::kLost;
            case StatementOutcome::kDropped:
                error = "a statement sent before it was refused";
                break;
            case StatementOutcome::kRefused:
                break;
        }
        return DatabaseResult::kRefused;
    }

    QueuedStatement queued;

private:
    PostgresStatementQueue& queue_;
};

class PostgresDatabase final : public Database {
public:
    bool Open(PostgresHandle connection, std::string& error) {
        return queue_.Open(std::move(connection), error);
    }

    DatabaseResult Begin(std::string& error) override {
        return CommandResult(queue_.RunCommands(false, [&] { return queue_.Query("BEGIN"); }),
                             error);
    }

    void AppendPlaceholder(std::size_t number, std::string& sql) const override {
        sql += '$';
        sql += std::to_string(number);
    }

    DatabaseResult Prepare(const std::string& sql, std::unique_ptr<DatabaseStatement>& statement,
                           std::string& error) override {
        if (queue_.Interrupted()) {
            error = kStopped;
            return DatabaseResult::kRefused;
        }
        const std::string name = "gleanwork_" + std::to_string(++statementCount_);
        const bool prepared = queue_.RunCommands(
            true, [&] { return queue_.Prepare(name, sql) && queue_.Describe(name); });
        if (!prepared) {
            return CommandResult(prepared, error);
        }
        auto made = std::make_unique<PostgresStatement>(queue_, name);
        const PGresult* description = queue_.Answers().at(1).get();
        std::vector<Oid> types;
        for (int i = 0; i < PQnparams(description); ++i) {
            types.push_back(PQparamtype(description, i));
        }
        made->queued.parameters = types.size();
        PrepareGroups(sql, types, made->queued);
        statement = std::move(made);
        return DatabaseResult::kDone;
    }

    StatementTicket Send(DatabaseStatement& statement,
                         std::span<const std::string* const> values) override {
        return queue_.Send(static_cast<PostgresStatement&>(statement).queued, values);
    }

    void Collect(std::vector<StatementReport>& reports) override { queue_.Collect(reports); }
    void Wait(std::vector<StatementReport>& reports) override { queue_.Wait(reports); }
    void Await(std::vector<StatementReport>& reports) override { queue_.Await(reports); }

    // A transaction that failed ends in a rollback that the server reports
    // as a successful command: only "COMMIT" means the statements are kept.
    DatabaseResult Commit(std::string& error) override {
        queue_.Settle();
        queue_.SetCommitting(true);
        const bool committed = queue_.RunCommands(false, [&] { return queue_.Query("COMMIT"); });
        queue_.SetCommitting(false);
        const DatabaseResult result = CommandResult(committed, error);
        if (result == DatabaseResult::kDone &&
            std::string_view(PQcmdStatus(queue_.Answers().at(0).get())) != "COMMIT") {
            error = "the server rolled the transaction back";
            return DatabaseResult::kRefused;
        }
        return result;
    }

    void Interrupt() override { queue_.Interrupt(); }

private:
    DatabaseResult CommandResult(bool done, std::string& error) const {
        if (done) {
            return DatabaseResult::kDone;
        }
        error = queue_.CommandError();
        return queue_.Lost() ? DatabaseResult::kLost : DatabaseResult::kRefused;
    }

    // Prepares the statements that run many runs of a one-row INSERT with
    // parameters of `types` at once, when the table takes them alike (see
    // kPlainTableQuery).
    void PrepareGroups(const std::string& sql, const std::vector<Oid>& types,
                       QueuedStatement& statement) {
        const std::optional<RowInsert> insert = ReadRowInsert(sql);
        std::size_t most = kMostRowsAtOnce;
        while (most > 1 && most * std::max<std::size_t>(types.size(), 1) > kMostParameters) {
            most /= 2;
        }
        if (!insert || insert->parameters != types.size() || most == 1 || !IsPlainTable(*insert)) {
            return;
        }
        std::vector<Oid> groupTypes;
        const bool prepared = queue_.RunCommands(true, [&] {
            for (std::size_t rows = 2; rows <= most; rows *= 2) {
                while (groupTypes.size() < rows * types.size()) {
                    groupTypes.insert(groupTypes.end(), types.begin(), types.end());
                }
                if (!queue_.Prepare(statement.GroupName(rows), ManyRowInsert(*insert, rows),
                                    groupTypes)) {
                    return false;
                }
            }
            return true;
        });
        if (prepared) {
            statement.mostRows = most;
            statement.rowsNow = most;
        }
    }

    bool IsPlainTable(const RowInsert& insert) {
        const std::array<const char*, 1> table = {insert.table.c_str()};
        return queue_.RunCommands(true, [&] { return queue_.Query(kPlainTableQuery, table); }) &&
               PQntuples(queue_.Answers().at(0).get()) == 1 &&
               std::string_view(PQgetvalue(queue_.Answers().at(0).get(), 0, 0)) == "t";
    }

    PostgresStatementQueue queue_;
    unsigned statementCount_ = 0;
};

}  // namespace

std::unique_ptr<Database> OpenPostgresDatabase(const std::string& uri, const DatabaseLogin& login,
                                               std::string& error) {
    PostgresHandle connection = ConnectPostgres(uri, login, error);
    if (!connection) {
        return nullptr;
    }
    auto database = std::make_unique<PostgresDatabase>();
    if (!database->Open(std::move(connection), error)) {
        return nullptr;
    }
    return database;
}

}  // namespace gleanwork
