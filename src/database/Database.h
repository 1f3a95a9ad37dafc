#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace gleanwork {

// What became of a database operation.
enum class DatabaseResult {
    kDone,     // it ran
    kRefused,  // the database refused it; the connection serves on
    kLost,     // the connection is gone; nothing more runs on it
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

    // Makes everything run since Begin permanent; an interruption does not
    // stop it.
    virtual DatabaseResult Commit(std::string& error) = 0;

    // Asks Begin or a statement that waits or runs right now, and any after
    // this call, to give up rather than wait; what ran before stays as it was.
    virtual void Interrupt() = 0;
};

}  // namespace gleanwork
