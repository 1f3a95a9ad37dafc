#include "database/PostgresStatementQueue.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

namespace gleanwork {

namespace {

// Every run goes in a savepoint of its own, released when it ran and
// returned to when it failed, so that a refused run undoes nothing that ran
// before it. These prepared commands set, release and return to it.
const std::string kSetSavepoint = "gleanwork_savepoint";
const std::string kReleaseSavepoint = "gleanwork_release";
const std::string kUndoToSavepoint = "gleanwork_undo";

// How much is handed to the socket between two looks at the results.
constexpr std::size_t kBytesBetweenExchanges = 64 * 1024;
// How long a stopped run waits for a result before it asks the server to
// cancel what it runs, and again after each cancel.
constexpr std::chrono::milliseconds kCancelAgainAfter{100};
constexpr std::chrono::milliseconds kNoTimeout{-1};

constexpr const char* kStopped = "the run was stopped";

}  // namespace

std::string QueuedStatement::GroupName(std::size_t rows) const {
    return rows == 1 ? name : name + "_rows" + std::to_string(rows);
}

bool PostgresStatementQueue::Open(PostgresHandle connection, std::string& error) {
    if (!pipeline_.Open(std::move(connection), error)) {
        return false;
    }
    const bool prepared = RunCommands(false, [&] {
        return Prepare(kSetSavepoint, "SAVEPOINT gleanwork") &&
               Prepare(kReleaseSavepoint, "RELEASE SAVEPOINT gleanwork") &&
               Prepare(kUndoToSavepoint, "ROLLBACK TO SAVEPOINT gleanwork");
    });
    error = commandError_;
    return prepared;
}

bool PostgresStatementQueue::Query(const char* sql, std::span<const char* const> values) {
    return Expect(pipeline_.SendQuery(sql, values), Part::kCommand);
}

bool PostgresStatementQueue::Prepare(const std::string& name, const std::string& sql,
                                     std::span<const Oid> types) {
    return Expect(pipeline_.SendPrepare(name, sql, types), Part::kCommand);
}

bool PostgresStatementQueue::Describe(const std::string& name) {
    return Expect(pipeline_.SendDescribe(name), Part::kCommand);
}

bool PostgresStatementQueue::RunCommands(bool guarded, const std::function<bool()>& send) {
    Settle();
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

StatementTicket PostgresStatementQueue::Send(QueuedStatement& statement,
                                             std::span<const std::string* const> values) {
    bool accepted = false;
    const StatementTicket ticket =
        outcomes_.NewTicket(accepted, lost_ ? StatementOutcome::kLost : StatementOutcome::kDone,
                            "the connection was lost");
    if (!accepted) {
        return ticket;
    }
    Run& run = runs_.emplace_back();
    run.ticket = ticket;
    run.statement = &statement;
    for (const std::string* value : values) {
        run.values.append(value->c_str());
        run.values.push_back('\0');
    }
    run.count = values.size();
    run.afterStop = interrupted_.load();
    WriteRuns(false);
    if (unexchangedBytes_ >= kBytesBetweenExchanges) {
        ExchangeAll();
    }
    return ticket;
}

void PostgresStatementQueue::Collect(std::vector<StatementReport>& reports) {
    if (!lost_ && !awaited_.empty()) {
        Exchange(kNoTimeout, false);
        WriteRuns(false);
    }
    outcomes_.MoveTo(reports);
}

void PostgresStatementQueue::Wait(std::vector<StatementReport>& reports) {
    Settle();
    outcomes_.MoveTo(reports);
}

void PostgresStatementQueue::Await(std::vector<StatementReport>& reports) {
    Progress(true);
    outcomes_.MoveTo(reports);
}

StatementReport PostgresStatementQueue::WaitFor(StatementTicket ticket) {
    Settle();
    StatementReport report;
    if (!outcomes_.Take(ticket, report)) {
        report = {ticket, StatementOutcome::kLost, "the statement's outcome is unknown"};
    }
    return report;
}

void PostgresStatementQueue::Interrupt() {
    interrupted_.store(true);
    pipeline_.Wake();
}

// Notes what the result of a command just sent (`sent` false: that could
// not be sent) belongs to.
bool PostgresStatementQueue::Expect(bool sent, Part part, std::size_t rows) {
    awaited_.push_back({part, rows, true, false});
    flushDue_ = true;
    if (!sent) {
        Lose(pipeline_.Failure());
    }
    return sent;
}

// Writes the queued runs as units, up to the first that must wait:
// a unit of several runs is written when it is full, when a run of
// another statement follows it, or (with `all`) at once. Runs sent after
// an Interrupt are refused instead.
void PostgresStatementQueue::WriteRuns(bool all) {
    while (written_ < runs_.size() && !lost_) {
        const Run& first = runs_[written_];
        if (first.afterStop) {
            RefuseStopped();
            return;
        }
        QueuedStatement& statement = *first.statement;
        const bool grouped = first.count == statement.parameters;
        const std::size_t limit = grouped ? std::min(statement.rowsNow, first.most) : 1;
        std::size_t rows = std::max<std::size_t>(1, std::min(alike_, runs_.size() - written_));
        while (rows < limit && written_ + rows < runs_.size()) {
            const Run& next = runs_[written_ + rows];
            if (next.statement != &statement || next.most != first.most ||
                next.count != first.count) {
                break;
            }
            ++rows;
        }
        if (rows < limit && written_ + rows == runs_.size() && !all) {
            alike_ = rows;
            return;
        }
        alike_ = 0;
        WriteUnit(std::bit_floor(rows));
    }
}

void PostgresStatementQueue::WriteUnit(std::size_t rows) {
    values_.clear();
    for (std::size_t i = written_; i < written_ + rows; ++i) {
        Run& run = runs_[i];
        const char* value = run.values.data();
        for (std::size_t k = 0; k < run.count; ++k) {
            values_.push_back(value);
            value += std::strlen(value) + 1;
        }
        unexchangedBytes_ += run.values.size();
    }
    const QueuedStatement& statement = *runs_[written_].statement;
    written_ += rows;
    if (Expect(pipeline_.SendPrepared(kSetSavepoint, {}), Part::kGuard, rows) &&
        Expect(pipeline_.SendPrepared(statement.GroupName(rows), values_), Part::kBody, rows)) {
        Expect(pipeline_.SendPrepared(kReleaseSavepoint, {}), Part::kEnd, rows);
    }
}

// Once every run before it is known: refuses the first run sent after an
// Interrupt, as the run was stopped, and drops the rest.
void PostgresStatementQueue::RefuseStopped() {
    if (written_ > 0) {
        return;
    }
    outcomes_.Record(runs_.front().ticket, StatementOutcome::kRefused, kStopped);
    outcomes_.RecordRest(StatementOutcome::kDropped);
    runs_.clear();
}

// Writes and reads until the socket has taken everything written.
void PostgresStatementQueue::ExchangeAll() {
    unexchangedBytes_ = 0;
    Exchange(std::chrono::milliseconds(0), false);
    while (pipeline_.Writing() && !lost_) {
        Exchange(kNoTimeout, true);
    }
}

void PostgresStatementQueue::Settle() {
    Progress(false);
}

// Waits until everything sent has its outcome, the results of commands
// included, or (with `untilAnOutcome`) until some outcome is recorded.
void PostgresStatementQueue::Progress(bool untilAnOutcome) {
    while (!lost_ && !(untilAnOutcome && outcomes_.AnyRecorded())) {
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
void PostgresStatementQueue::Exchange(std::chrono::milliseconds timeout, bool wait) {
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
void PostgresStatementQueue::CancelWhenStuck() {
    const auto now = std::chrono::steady_clock::now();
    if (!stopNoticed_) {
        stopNoticed_ = true;
        quietSince_ = now;
    } else if (now - quietSince_ >= kCancelAgainAfter) {
        pipeline_.Cancel();
        quietSince_ = now;
    }
}

void PostgresStatementQueue::Handle(PostgresResult result) {
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

void PostgresStatementQueue::Confirm(std::size_t rows) {
    QueuedStatement& statement = *runs_.front().statement;
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
void PostgresStatementQueue::Fail(const Awaited& failed, const PGresult* result) {
    const std::string message = ResultMessage(result);
    // A fatal error ends the session: the server closes the connection
    // after it, which the client may not have noticed yet.
    const char* severity = PQresultErrorField(result, PG_DIAG_SEVERITY_NONLOCALIZED);
    const bool fatal = severity != nullptr && (std::string_view(severity) == "FATAL" ||
                                               std::string_view(severity) == "PANIC");
    if (fatal || pipeline_.Broken()) {
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
    alike_ = 0;
    if (failed.rows > 1) {
        for (std::size_t i = 0; i < failed.rows; ++i) {
            runs_[i].most = failed.rows / 2;
        }
        return;
    }
    QueuedStatement& statement = *runs_.front().statement;
    statement.rowsNow = std::max<std::size_t>(statement.rowsNow / 2, 1);
    outcomes_.Record(runs_.front().ticket, StatementOutcome::kRefused, message);
    outcomes_.RecordRest(StatementOutcome::kDropped);
    runs_.clear();
}

void PostgresStatementQueue::Lose(const std::string& message) {
    lost_ = true;
    outcomes_.RecordRest(StatementOutcome::kLost, message);
    runs_.clear();
    written_ = 0;
    awaited_.clear();
    if (commandError_.empty()) {
        commandError_ = message;
    }
}

}  // namespace gleanwork
