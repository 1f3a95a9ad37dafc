#include "database/SqliteDatabase.h"

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string_view>

#include "base/OwnedHandle.h"
#include "database/SqliteFile.h"
#include "database/StatementOutcomes.h"

namespace gleanwork {

namespace {

// How long a statement waits for another program's lock on the file, and
// how long it sleeps between two looks at the lock.
constexpr std::chrono::milliseconds kBusyTimeout{5000};
constexpr int kBusyNapMs = 10;

using Connection = SqliteConnection;
using StatementHandle = OwnedHandle<sqlite3_stmt, sqlite3_finalize>;

// A refusal, or a lost connection when the file itself failed.
DatabaseResult Failure(sqlite3* connection, std::string& error) {
    error = sqlite3_errmsg(connection);
    const int code = sqlite3_errcode(connection);
    const bool fileFailed = code == SQLITE_IOERR || code == SQLITE_CORRUPT ||
                            code == SQLITE_NOTADB || code == SQLITE_CANTOPEN;
    return fileFailed ? DatabaseResult::kLost : DatabaseResult::kRefused;
}

// True when `tail`, what follows the first statement, holds no other.
bool IsEndOfStatements(std::string_view tail) {
    return tail.find_first_not_of("; \t\n\v\f\r") == std::string_view::npos;
}

DatabaseResult Exec(sqlite3* connection, const char* sql, std::string& error) {
    if (sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK) {
        return DatabaseResult::kDone;
    }
    return Failure(connection, error);
}

class SqliteStatement final : public DatabaseStatement {
public:
    SqliteStatement(sqlite3* connection, StatementHandle statement)
        : connection_(connection), statement_(std::move(statement)) {}

    DatabaseResult Execute(std::span<const std::string* const> values,
                           std::string& error) override {
        BindValues(values);
        int step = SQLITE_ROW;
        while (step == SQLITE_ROW) {
            step = sqlite3_step(statement_.get());
        }
        DatabaseResult result = DatabaseResult::kDone;
        if (step != SQLITE_DONE) {
            result = Failure(connection_, error);
        }
        sqlite3_reset(statement_.get());
        if (result != DatabaseResult::kLost && sqlite3_get_autocommit(connection_) != 0) {
            result = Restart(result, error);
        }
        return result;
    }

private:
    void BindValues(std::span<const std::string* const> values) {
        const int count = sqlite3_bind_parameter_count(statement_.get());
        for (int index = 0; index < count; ++index) {
            const std::size_t at = static_cast<std::size_t>(index);
            // A null text would be bound as NULL: an empty value points at "".
            const char* text = at < values.size() ? values[at]->c_str() : "";
            const sqlite3_uint64 size = at < values.size() ? values[at]->size() : 0;
            sqlite3_bind_text64(statement_.get(), index + 1, text, size, SQLITE_STATIC,
                                SQLITE_UTF8);
        }
    }

    // The transaction ended inside the statement: the statement committed or
    // rolled back itself, or the database rolled back after an error. A new
    // transaction takes the statements that follow.
    DatabaseResult Restart(DatabaseResult result, std::string& error) {
        if (result == DatabaseResult::kRefused) {
            error += " (the database undid the statements before it)";
        }
        std::string beginError;
        if (Exec(connection_, "BEGIN IMMEDIATE", beginError) != DatabaseResult::kDone) {
            error = beginError;
            return DatabaseResult::kLost;
        }
        return result;
    }

    sqlite3* connection_;
    StatementHandle statement_;
};

class SqliteDatabase final : public Database {
public:
    SqliteDatabase(Connection connection, std::string path)
        : connection_(std::move(connection)), path_(std::move(path)) {
        sqlite3_busy_handler(connection_.get(), WaitWhileBusy, this);
    }

    DatabaseResult Begin(std::string& error) override {
        const DatabaseResult result = Exec(connection_.get(), "BEGIN IMMEDIATE", error);
        if (result != DatabaseResult::kDone) {
            error = path_ + ": " + error;
        }
        return result;
    }

    void AppendPlaceholder(std::size_t number, std::string& sql) const override {
        sql += '?';
        sql += std::to_string(number);
    }

    DatabaseResult Prepare(const std::string& sql, std::unique_ptr<DatabaseStatement>& statement,
                           std::string& error) override {
        sqlite3_stmt* prepared = nullptr;
        const char* tail = nullptr;
        const int code =
            sqlite3_prepare_v3(connection_.get(), sql.c_str(), static_cast<int>(sql.size()) + 1,
                               SQLITE_PREPARE_PERSISTENT, &prepared, &tail);
        StatementHandle handle(prepared);
        if (code != SQLITE_OK) {
            return Failure(connection_.get(), error);
        }
        if (!handle || !IsEndOfStatements(tail)) {
            error = handle ? "the text holds more than one statement" : "the statement is empty";
            return DatabaseResult::kRefused;
        }
        statement = std::make_unique<SqliteStatement>(connection_.get(), std::move(handle));
        return DatabaseResult::kDone;
    }

    // Runs the statement at once: an SQLite statement runs in this process
    // and takes no longer to run than to queue.
    StatementTicket Send(DatabaseStatement& statement,
                         std::span<const std::string* const> values) override {
        bool accepted = false;
        const StatementTicket ticket = outcomes_.NewTicket(
            accepted, interrupted_.load() ? StatementOutcome::kRefused : StatementOutcome::kDone,
            "the run was stopped");
        if (!accepted) {
            return ticket;
        }
        std::string error;
        const DatabaseResult result = statement.Execute(values, error);
        outcomes_.Record(ticket, kOutcomes[static_cast<std::size_t>(result)], std::move(error));
        return ticket;
    }

    void Collect(std::vector<StatementReport>& reports) override { outcomes_.MoveTo(reports); }
    void Wait(std::vector<StatementReport>& reports) override { outcomes_.MoveTo(reports); }
    void Await(std::vector<StatementReport>& reports) override { outcomes_.MoveTo(reports); }

    DatabaseResult Commit(std::string& error) override {
        committing_ = true;
        const DatabaseResult result = Exec(connection_.get(), "COMMIT", error);
        committing_ = false;
        if (result != DatabaseResult::kDone) {
            sqlite3_exec(connection_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
        return result;
    }

    // Ends a wait for another program's lock, as if its time were up. A
    // statement that runs goes on to its end: sqlite3_interrupt would roll
    // the whole transaction back, the statements before it included.
    void Interrupt() override { interrupted_.store(true); }

private:
    // SQLite's busy handler: true to look at the lock again after a nap.
    // Gives up once kBusyTimeout has passed, or at once after an Interrupt,
    // except during Commit, which keeps its whole time.
    static int WaitWhileBusy(void* database, int attempts) {
        auto& self = *static_cast<SqliteDatabase*>(database);
        const auto now = std::chrono::steady_clock::now();
        if (attempts == 0) {
            self.busySince_ = now;
        }
        if ((self.interrupted_.load() && !self.committing_) ||
            now - self.busySince_ >= kBusyTimeout) {
            return 0;
        }
        sqlite3_sleep(kBusyNapMs);
        return 1;
    }

    // The outcome of a statement by its result.
    static constexpr std::array<StatementOutcome, 3> kOutcomes = {
        StatementOutcome::kDone, StatementOutcome::kRefused, StatementOutcome::kLost};

    Connection connection_;
    std::string path_;
    StatementOutcomes outcomes_;
    std::atomic<bool> interrupted_{false};
    bool committing_ = false;
    std::chrono::steady_clock::time_point busySince_;
};

}  // namespace

std::unique_ptr<Database> OpenSqliteDatabase(const std::string& path, std::string& error) {
    std::string reason;
    SqliteConnection connection = OpenSqliteFile(path, reason);
    if (!connection) {
        error = path + ": " + reason;
        return nullptr;
    }
    return std::make_unique<SqliteDatabase>(std::move(connection), path);
}

}  // namespace gleanwork
