#include "database/PostgresDatabase.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "database/PostgresConnect.h"
#include "database/PostgresPipeline.h"
#include "database/RowInsert.h"
#include "database/StatementOutcomes.h"

namespace gleanwork {

namespace {

// Every statement runs in a savepoint of its own, released when it ran and
// returned to when it failed, so that a refused statement undoes nothing
// that ran before it. These prepared commands set, release and return to it.
const std::string kSetSavepoint = "gleanwork_savepoint";
const std::string kReleaseSavepoint = "gleanwork_release";
const std::string kUndoToSavepoint = "gleanwork_undo";

// The most runs of one INSERT that go to the server as one statement, and
// the most placeholders a statement may have.
constexpr std::size_t kMostRows = 128;
constexpr std::size_t kMostParameters = 65535;
// How much is handed to the socket between two looks at the results.
constexpr std::size_t kBytesBetweenExchanges = 64 * 1024;
// How long a stopped run waits for a result before it asks the server to
// cancel what it runs, and again after each cancel.
constexpr std::chrono::milliseconds kCancelAgainAfter{100};
constexpr std::chrono::milliseconds kNoTimeout{-1};

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

class PostgresDatabase;

class PostgresStatement final : public DatabaseStatement {
public:
    PostgresStatement(PostgresDatabase& database, std::string name)
        : database_(database), name_(std::move(name)) {}

    DatabaseResult Execute(std::span<const std::string* const> values, std::string& error) override;

    // The prepared statement that runs `rows` runs at once.
    std::string GroupName(std::size_t rows) const {
        return rows == 1 ? name_ : name_ + "_rows" + std::to_string(rows);
    }

    std::size_t parameters = 0;  // placeholders of one run
    std::size_t mostRows = 1;    // the most runs prepared as one statement
    // How many runs go together now: half as many after a refusal, twice as
    // many after a unit of that many ran.
    std::size_t rowsNow = 1;

private:
    PostgresDatabase& database_;
    std::string name_;
};

// One run of a statement that is sent and not known to have run yet.
struct Run {
    StatementTicket ticket = 0;
    PostgresStatement* statement = nullptr;
    std::string values;  // each value followed by a zero byte
    std::size_t count = 0;
    bool sent = false;             // it went to the server at least once
    std::size_t most = kMostRows;  // the most runs it goes with: fewer after a failure
};

// What a result that is still to come belongs to.
enum class Part {
    kGuard,    // the savepoint before a unit
    kBody,     // a unit's statement
    kCommand,  // a command whose result a caller waits for
    kEnd,      // the release of a unit's savepoint
    kUndo,     // the return to a failed unit's savepoint, or its release
    kSync,     // the end of a part of the pipeline
};

struct Awaited {
    Part part = Part::kSync;
    std::size_t rows = 0;  // of a unit of runs; 0 for commands
    bool guarded = true;   // in a savepoint
    bool voided = false;   // skipped by the server after a failure
};

// A transaction on a connection in pipeline mode. Runs of statements are
// queued in ticket order and written as units: the savepoint, the statement
// (one run, or up to kMostRows runs of a one-row INSERT as one statement)
// and its release. A failed unit is undone alone; the server skips what
// was written after it, which is written again. The runs of a failed unit
// of several go again in two halves, and so on, until the run that fails
// is refused by itself.
class PostgresDatabase final : public Database {
public:
    PostgresDatabase() = default;

    bool Open(PostgresHandle connection, std::string& error) {
        return pipeline_.Open(std::move(connection), error);
    }

    DatabaseResult Begin(std::string& error) override {
        const bool begun = RunCommands(false, [&] {
            return Expect(pipeline_.SendQuery("BEGIN"), Part::kCommand) &&
                   SendPrepare(kSetSavepoint, "SAVEPOINT gleanwork") &&
                   SendPrepare(kReleaseSavepoint, "RELEASE SAVEPOINT gleanwork") &&
                   SendPrepare(kUndoToSavepoint, "ROLLBACK TO SAVEPOINT gleanwork");
        });
        return CommandResult(begun, error);
    }

    void AppendPlaceholder(std::size_t number, std::string& sql) const override {
        sql += '$';
        sql += std::to_string(number);
    }

    DatabaseResult Prepare(const std::string& sql, std::unique_ptr<DatabaseStatement>& statement,
                           std::string& error) override {
        if (interrupted_.load()) {
            error = kStopped;
            return DatabaseResult::kRefused;
        }
        Settle();
        const std::string name = "gleanwork_" + std::to_string(++statementCount_);
        const bool prepared = RunCommands(true, [&] {
            return SendPrepare(name, sql) && Expect(pipeline_.SendDescribe(name), Part::kCommand);
        });
        if (!prepared) {
            return CommandResult(prepared, error);
        }
        auto made = std::make_unique<PostgresStatement>(*this, name);
        made->parameters = static_cast<std::size_t>(PQnparams(answers_.at(1).get()));
        PrepareGroups(sql, *made);
        statement = std::move(made);
        return DatabaseResult::kDone;
    }

    StatementTicket Send(DatabaseStatement& statement,
                         std::span<const std::string* const> values) override {
        bool accepted = false;
        const StatementTicket ticket =
            outcomes_.Issue(accepted, lost_ ? StatementOutcome::kLost : StatementOutcome::kDone,
                            "the connection was lost");
        if (!accepted) {
            return ticket;
        }
        Run& run = runs_.emplace_back();
        run.ticket = ticket;
        run.statement = &static_cast<PostgresStatement&>(statement);
        for (const std::string* value : values) {
            run.values.append(value->c_str());
            run.values.push_back('\0');
        }
        run.count = values.size();
        WriteRuns(false);
        if (unexchangedBytes_ >= kBytesBetweenExchanges) {
            ExchangeAll();
        }
        return ticket;
    }

    void Collect(std::vector<StatementReport>& reports) override {
        if (!lost_ && !awaited_.empty()) {
            Exchange(kNoTimeout, false);
            WriteRuns(false);
        }
        outcomes_.MoveTo(reports);
    }

    void Wait(std::vector<StatementReport>& reports) override {
        Settle();
        outcomes_.MoveTo(reports);
    }

    // A transaction that failed ends in a rollback that the server reports
    // as a successful command: only "COMMIT" means the statements are kept.
    DatabaseResult Commit(std::string& error) override {
        Settle();
        committing_ = true;
        const bool committed = RunCommands(
            false, [&] { return Expect(pipeline_.SendQuery("COMMIT"), Part::kCommand); });
        committing_ = false;
        const DatabaseResult result = CommandResult(committed, error);
        if (result == DatabaseResult::kDone &&
            std::string_view(PQcmdStatus(answers_.at(0).get())) != "COMMIT") {
            error = "the server rolled the transaction back";
            return DatabaseResult::kRefused;
        }
        return result;
    }

    void Interrupt() override {
        interrupted_.store(true);
        pipeline_.Wake();
    }

    // Sends one run and waits for its outcome.
    DatabaseResult ExecuteNow(PostgresStatement& statement,
                              std::span<const std::string* const> values, std::string& error) {
        const StatementTicket ticket = Send(statement, values);
        Settle();
        StatementReport report;
        if (!outcomes_.Take(ticket, report)) {
            report = {ticket, StatementOutcome::kLost, "the statement's outcome is unknown"};
        }
        error = report.error;
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

private:
    // Notes what the result of a command just sent (`sent` false: that
    // could not be sent) belongs to.
    bool Expect(bool sent, Part part, std::size_t rows = 0) {
        awaited_.push_back({part, rows, true, false});
        flushDue_ = true;
        if (!sent) {
            Lose(pipeline_.Failure());
        }
        return sent;
    }

    bool SendPrepare(const std::string& name, const std::string& sql,
                     std::span<const Oid> types = {}) {
        return Expect(pipeline_.SendPrepare(name, sql, types), Part::kCommand);
    }

    // Sends the commands that `send` queues (in a savepoint when `guarded`)
    // and waits for everything sent. Their results are in answers_; false,
    // with the reason in commandError_, when one of them failed.
    bool RunCommands(bool guarded, const std::function<bool()>& send) {
        answers_.clear();
        commandError_.clear();
        if (lost_) {
            commandError_ = "the connection was lost";
            return false;
        }
        const std::size_t first = awaited_.size();
        if (guarded && !Expect(pipeline_.SendPrepared(kSetSavepoint, {}), Part::kGuard)) {
            return false;
        }
        if (!send()) {
            return false;
        }
        for (std::size_t i = first; i < awaited_.size(); ++i) {
            awaited_[i].guarded = guarded;
        }
        if (guarded && !Expect(pipeline_.SendPrepared(kReleaseSavepoint, {}), Part::kEnd)) {
            return false;
        }
        Settle();
        return commandError_.empty() && !lost_;
    }

    DatabaseResult CommandResult(bool done, std::string& error) const {
        if (done) {
            return DatabaseResult::kDone;
        }
        error = commandError_;
        return lost_ ? DatabaseResult::kLost : DatabaseResult::kRefused;
    }

    // Prepares the statements that run many runs of a one-row INSERT at
    // once, when the table takes them alike (see kPlainTableQuery).
    void PrepareGroups(const std::string& sql, PostgresStatement& statement) {
        const std::optional<RowInsert> insert = ReadRowInsert(sql);
        if (!insert || insert->parameters != statement.parameters) {
            return;
        }
        std::vector<Oid> types;
        for (std::size_t i = 0; i < statement.parameters; ++i) {
            types.push_back(PQparamtype(answers_.at(1).get(), static_cast<int>(i)));
        }
        std::size_t most = kMostRows;
        while (most > 1 &&
               most * std::max<std::size_t>(statement.parameters, 1) > kMostParameters) {
            most /= 2;
        }
        const std::array<const char*, 1> table = {insert->table.c_str()};
        if (most == 1 ||
            !RunCommands(true,
                         [&] {
                             return Expect(pipeline_.SendQuery(kPlainTableQuery, table),
                                           Part::kCommand);
                         }) ||
            PQntuples(answers_.at(0).get()) != 1 ||
            std::string_view(PQgetvalue(answers_.at(0).get(), 0, 0)) != "t") {
            return;
        }
        std::vector<Oid> groupTypes;
        const bool prepared = RunCommands(true, [&] {
            for (std::size_t rows = 2; rows <= most; rows *= 2) {
                while (groupTypes.size() < rows * types.size()) {
                    groupTypes.insert(groupTypes.end(), types.begin(), types.end());
                }
                if (!SendPrepare(statement.GroupName(rows), ManyRowInsert(*insert, rows),
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

    // Writes the queued runs as units, up to the first that must wait:
    // a unit of several runs is written when it is full, when a run of
    // another statement follows it, or (with `all`) at once. After an
    // Interrupt, runs that never went to the server are refused instead.
    void WriteRuns(bool all) {
        while (written_ < runs_.size() && !lost_) {
            const Run& first = runs_[written_];
            if (interrupted_.load() && !first.sent) {
                RefuseStopped();
                return;
            }
            PostgresStatement& statement = *first.statement;
            const bool grouped = first.count == statement.parameters;
            const std::size_t limit = grouped ? std::min(statement.rowsNow, first.most) : 1;
            std::size_t rows = 1;
            while (rows < limit && written_ + rows < runs_.size()) {
                const Run& next = runs_[written_ + rows];
                if (next.statement != &statement || next.most != first.most ||
                    next.count != first.count) {
                    break;
                }
                ++rows;
            }
            if (rows < limit && written_ + rows == runs_.size() && !all) {
                return;
            }
            WriteUnit(std::bit_floor(rows));
        }
    }

    void WriteUnit(std::size_t rows) {
        values_.clear();
        for (std::size_t i = written_; i < written_ + rows; ++i) {
            Run& run = runs_[i];
            const char* value = run.values.data();
            for (std::size_t k = 0; k < run.count; ++k) {
                values_.push_back(value);
                value += std::strlen(value) + 1;
            }
            unexchangedBytes_ += run.values.size();
            run.sent = true;
        }
        const PostgresStatement& statement = *runs_[written_].statement;
        written_ += rows;
        if (Expect(pipeline_.SendPrepared(kSetSavepoint, {}), Part::kGuard, rows) &&
            Expect(pipeline_.SendPrepared(statement.GroupName(rows), values_), Part::kBody, rows)) {
            Expect(pipeline_.SendPrepared(kReleaseSavepoint, {}), Part::kEnd, rows);
        }
    }

    // Once every run before it is known: refuses the first run that never
    // went to the server, as the run was stopped, and drops the rest.
    void RefuseStopped() {
        if (written_ > 0) {
            return;
        }
        outcomes_.Record(runs_.front().ticket, StatementOutcome::kRefused, kStopped);
        outcomes_.RecordRest(StatementOutcome::kDropped);
        runs_.clear();
    }

    // Writes and reads until the socket has taken everything written.
    void ExchangeAll() {
        unexchangedBytes_ = 0;
        Exchange(std::chrono::milliseconds(0), false);
        while (pipeline_.Writing() && !lost_) {
            Exchange(kNoTimeout, true);
        }
    }

    // Waits until everything sent has its outcome, the results of commands
    // included.
    void Settle() {
        while (!lost_) {
            WriteRuns(true);
            if (runs_.empty() && awaited_.empty()) {
                return;
            }
            if (flushDue_) {
                flushDue_ = false;
                if (!pipeline_.SendFlushRequest()) {
                    Lose(pipeline_.Failure());
                    return;
                }
            }
            Exchange(kNoTimeout, true);
        }
    }

    // Exchanges, waiting first when `wait` (with `timeout`, shortened while
    // the run is stopped, see CancelWhenStuck), and handles the results that
    // arrived.
    void Exchange(std::chrono::milliseconds timeout, bool wait) {
        if (wait && interrupted_.load() && !committing_) {
            CancelWhenStuck();
            timeout = kCancelAgainAfter;
        }
        const bool exchanged = wait ? pipeline_.AwaitExchange(timeout) : pipeline_.Exchange();
        if (!exchanged) {
            Lose(pipeline_.Failure());
            return;
        }
        bool handled = false;
        while (!lost_) {
            PostgresResult result = pipeline_.TakeResult();
            if (!result) {
                break;
            }
            Handle(std::move(result));
            handled = true;
        }
        if (handled && stopNoticed_) {
            quietSince_ = std::chrono::steady_clock::now();
        }
    }

    // While the run is stopped, the statements on their way go on as long as
    // results come back; once none has come for kCancelAgainAfter (since the
    // stop was noticed, the last result or the last cancel), the server is
    // asked to cancel what it runs: a statement that waits, for a lock for
    // instance. A cancel that comes between two statements cancels nothing,
    // so it is asked again.
    void CancelWhenStuck() {
        const auto now = std::chrono::steady_clock::now();
        if (!stopNoticed_) {
            stopNoticed_ = true;
            quietSince_ = now;
        } else if (now - quietSince_ >= kCancelAgainAfter) {
            pipeline_.Cancel();
            quietSince_ = now;
        }
    }

    void Handle(PostgresResult result) {
        if (awaited_.empty()) {
            Lose("the server sent a result that no command asked for");
            return;
        }
        const Awaited awaited = awaited_.front();
        awaited_.pop_front();
        if (awaited.part == Part::kSync || awaited.voided) {
            return;
        }
        const ExecStatusType status = PQresultStatus(result.get());
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (!ok) {
            Fail(awaited, result.get());
            return;
        }
        if (awaited.part == Part::kCommand) {
            answers_.push_back(std::move(result));
        } else if (awaited.part == Part::kEnd && awaited.rows > 0) {
            Confirm(awaited.rows);
        }
    }

    void Confirm(std::size_t rows) {
        PostgresStatement& statement = *runs_.front().statement;
        if (rows >= statement.rowsNow) {
            statement.rowsNow = std::min(statement.rowsNow * 2, statement.mostRows);
        }
        for (std::size_t i = 0; i < rows; ++i) {
            outcomes_.Record(runs_.front().ticket, StatementOutcome::kDone);
            runs_.pop_front();
        }
        written_ -= rows;
    }

    // The first failure since the last one was handled: the server skips
    // everything written after it up to a sync, and the transaction waits
    // for the failed savepoint to be undone.
    void Fail(const Awaited& failed, const PGresult* result) {
        const std::string message = ResultMessage(result);
        if (pipeline_.Broken()) {
            Lose(message);
            return;
        }
        if (failed.part == Part::kUndo) {
            Lose("the transaction cannot go on: " + message);
            return;
        }
        for (Awaited& skipped : awaited_) {
            skipped.voided = true;
        }
        const bool guarded = failed.part != Part::kCommand || failed.guarded;
        if (!Expect(pipeline_.SendSync(), Part::kSync) ||
            (guarded && (!Expect(pipeline_.SendPrepared(kUndoToSavepoint, {}), Part::kUndo) ||
                         !Expect(pipeline_.SendPrepared(kReleaseSavepoint, {}), Part::kUndo)))) {
            return;
        }
        if (failed.rows == 0) {
            if (commandError_.empty()) {
                commandError_ = message;
            }
            return;
        }
        written_ = 0;
        if (failed.rows > 1) {
            for (std::size_t i = 0; i < failed.rows; ++i) {
                runs_[i].most = failed.rows / 2;
            }
            return;
        }
        PostgresStatement& statement = *runs_.front().statement;
        statement.rowsNow = std::max<std::size_t>(statement.rowsNow / 2, 1);
        outcomes_.Record(runs_.front().ticket, StatementOutcome::kRefused, message);
        outcomes_.RecordRest(StatementOutcome::kDropped);
        runs_.clear();
    }

    void Lose(const std::string& message) {
        lost_ = true;
        outcomes_.RecordRest(StatementOutcome::kLost, message);
        runs_.clear();
        written_ = 0;
        awaited_.clear();
        if (commandError_.empty()) {
            commandError_ = message;
        }
    }

    PostgresPipeline pipeline_;
    StatementOutcomes outcomes_;
    std::deque<Run> runs_;     // sent and not known to have run, in ticket order
    std::size_t written_ = 0;  // how many runs, from the first, are on their way
    std::deque<Awaited> awaited_;
    std::vector<const char*> values_;
    std::vector<PostgresResult> answers_;  // of the commands of RunCommands
    std::string commandError_;
    std::size_t unexchangedBytes_ = 0;
    bool flushDue_ = false;
    bool lost_ = false;
    bool committing_ = false;
    std::atomic<bool> interrupted_{false};
    bool stopNoticed_ = false;
    std::chrono::steady_clock::time_point quietSince_;
    unsigned statementCount_ = 0;
};

DatabaseResult PostgresStatement::Execute(std::span<const std::string* const> values,
                                          std::string& error) {
    return database_.ExecuteNow(*this, values, error);
}

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
