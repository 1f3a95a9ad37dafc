#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace gleanwork {

// What became of a database operation.
enum class DatabaseResult {
    kDone,     // it ran
    kRefused,  // the database refused it; the connection serves on
    kLost,     // the connection is gone; nothing more runs on it
};

// Names a statement sent with Database::Send: 1 for the first one sent on a
// connection, then counting up in the order of sending.
using StatementTicket = std::uint64_t;

// What became of a statement sent with Database::Send.
enum class StatementOutcome {
    kDone,     // it ran; what it did stays in the transaction
    kRefused,  // the database refused it, or the run was stopped before it ran: it did nothing
    kDropped,  // it did nothing, as a statement sent before it was refused (see Send)
    kLost,     // the connection is gone, and with it everything the transaction did
};

// The outcome of one sent statement; `error` holds the database's message
// for kRefused and kLost.
struct StatementReport {
    StatementTicket ticket = 0;
    StatementOutcome outcome = StatementOutcome::kDone;
    std::string error;
};

// One prepared statement of an open database. It must go before its database.
class DatabaseStatement {
public:
    virtual ~DatabaseStatement() = default;

    // Runs the statement with `values` bound, as text, to its placeholders in
    // order. A refused statement undoes nothing that ran before it. `error`
    // receives the database's message when the result is not kDone.
    virtual DatabaseResult Execute(std::span<const std::string* const> values,
                                   std::string& error) = 0;
};

// An open connection to one database; its work is done inside the
// transaction that Begin starts and Commit ends (closing the connection
// without Commit undoes it). Used by one thread; only Interrupt may come from
// another.
class Database {
public:
    virtual ~Database() = default;

    // Starts the transaction, waiting for the database's write lock where the
    // engine takes it here.
    virtual DatabaseResult Begin(std::string& error) = 0;

    // Appends the placeholder of the parameter numbered `number` (from 1) to
    // `sql`, as this engine writes it.
    virtual void AppendPlaceholder(std::size_t number, std::string& sql) const = 0;

    // Prepares `sql` for any number of runs. A refused preparation changes
    // nothing in the transaction.
    virtual DatabaseResult Prepare(const std::string& sql,
                                   std::unique_ptr<DatabaseStatement>& statement,
                                   std::string& error) = 0;

    // Sends a run of `statement` (prepared by this database) with `values`
    // (copied) bound, as Execute binds them, to run after every statement
    // sent before it, and returns its ticket without waiting for its result.
    // Collect and Wait report the outcomes, in ticket order; a statement
    // reported kDone stays done. Once a statement is refused, every statement
    // sent after it, up to the call of Collect or Wait that reports the
    // refusal, is reported kDropped: it did nothing, and the caller sends
    // again what it still means to send. Statements sent after an Interrupt
    // are refused; those sent before it still run.
    virtual StatementTicket Send(DatabaseStatement& statement,
                                 std::span<const std::string* const> values) = 0;

    // Appends to `reports` the outcomes learned since the last call, reading
    // what the database has answered so far without waiting for more.
    virtual void Collect(std::vector<StatementReport>& reports) = 0;

    // Waits until every statement sent has its outcome, and appends the
    // outcomes not reported yet to `reports`. An Interrupt ends a wait for a
    // statement that waits for a lock: that statement is refused.
    virtual void Wait(std::vector<StatementReport>& reports) = 0;

    // As Wait, but returns as soon as some statement sent has an outcome not
    // reported yet (at once when there is one, or when none is outstanding).
    virtual void Await(std::vector<StatementReport>& reports) = 0;

    // Makes everything run since Begin permanent, after waiting for the
    // statements sent (their outcomes are kept for Collect); an interruption
    // does not stop it.
    virtual DatabaseResult Commit(std::string& error) = 0;

    // Asks Begin or a statement that waits or runs right now, and any after
    // this call, to give up rather than wait; what ran before stays as it was.
    // Safe from any thread.
    virtual void Interrupt() = 0;
};

}  // namespace gleanwork
