#include "database/PostgresDatabase.h"

#include <array>
#include <mutex>
#include <string_view>
#include <vector>

#include "database/PostgresConnect.h"

namespace gleanwork {

namespace {

using Connection = PostgresHandle;
using Result = PostgresResult;
using CancelHandle = OwnedHandle<PGcancel, PQfreeCancel>;

class PostgresConnection {
public:
    PostgresConnection(Connection connection, CancelHandle cancel)
        : connection_(std::move(connection)), cancel_(std::move(cancel)) {}

    PGconn* get() const { return connection_.get(); }

    // kDone when `result` reports success, else the refusal or the loss.
    DatabaseResult Check(const Result& result, std::string& error) const {
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
            return DatabaseResult::kDone;
        }
        error = result ? ResultMessage(result.get()) : OneLine(PQerrorMessage(get()));
        return PQstatus(get()) == CONNECTION_BAD ? DatabaseResult::kLost : DatabaseResult::kRefused;
    }

    DatabaseResult Exec(const char* sql, std::string& error) const {
        return Check(Result(PQexec(get(), sql)), error);
    }

    // Runs `step` inside the savepoint that is always open after Begin, so
    // that a refusal undoes only what the step did and the transaction goes
    // on. Only the step can be cancelled.
    template <typename Step>
    DatabaseResult Guarded(Step step, std::string& error) {
        DatabaseResult result = Interruptible(step, error);
        if (result == DatabaseResult::kLost) {
            return result;
        }
        std::string endError;
        if (result == DatabaseResult::kDone) {
            if (Exec("RELEASE SAVEPOINT gleanwork; SAVEPOINT gleanwork", endError) ==
                DatabaseResult::kDone) {
                return result;
            }
            error = endError;  // the step is undone below
            result = DatabaseResult::kRefused;
        }
        if (Exec("ROLLBACK TO SAVEPOINT gleanwork", endError) != DatabaseResult::kDone) {
            error = endError;
            return DatabaseResult::kLost;  // the transaction cannot go on
        }
        return result;
    }

    // Cancels the step that runs right now, and any step after this call.
    void Interrupt() {
        const std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
        if (stepRunning_) {
            std::array<char, 256> ignored{};
            PQcancel(cancel_.get(), ignored.data(), static_cast<int>(ignored.size()));
        }
    }

private:
    template <typename Step>
    DatabaseResult Interruptible(Step step, std::string& error) {
        if (!SetStepRunning(true)) {
            error = "the run was stopped";
            return DatabaseResult::kRefused;
        }
        const Result result = step();
        SetStepRunning(false);
        return Check(result, error);
    }

    // False, with nothing changed, once the connection was interrupted.
    bool SetStepRunning(bool running) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (interrupted_ && running) {
            return false;
        }
        stepRunning_ = running;
        return true;
    }

    Connection connection_;
    CancelHandle cancel_;
    std::mutex mutex_;  // between the cancel and the step's start and end
    bool interrupted_ = false;
    bool stepRunning_ = false;
};

class PostgresStatement final : public DatabaseStatement {
public:
    PostgresStatement(PostgresConnection& connection, std::string name)
        : connection_(connection), name_(std::move(name)) {}

    DatabaseResult Execute(std::span<const std::string* const> values,
                           std::string& error) override {
        texts_.clear();
        for (const std::string* value : values) {
            texts_.push_back(value->c_str());
        }
        return connection_.Guarded(
            [&] {
                return Result(PQexecPrepared(connection_.get(), name_.c_str(),
                                             static_cast<int>(texts_.size()), texts_.data(),
                                             nullptr, nullptr, 0));
            },
            error);
    }

private:
    PostgresConnection& connection_;
    std::string name_;
    std::vector<const char*> texts_;
};

class PostgresDatabase final : public Database {
public:
    PostgresDatabase(Connection connection, CancelHandle cancel)
        : connection_(std::move(connection), std::move(cancel)) {}

    DatabaseResult Begin(std::string& error) override {
        return connection_.Exec("BEGIN; SAVEPOINT gleanwork", error);
    }

    void AppendPlaceholder(std::size_t number, std::string& sql) const override {
        sql += '$';
        sql += std::to_string(number);
    }

    DatabaseResult Prepare(const std::string& sql, std::unique_ptr<DatabaseStatement>& statement,
                           std::string& error) override {
        std::string name = "gleanwork_" + std::to_string(++statementCount_);
        const DatabaseResult result = connection_.Guarded(
            [&] {
                return Result(PQprepare(connection_.get(), name.c_str(), sql.c_str(), 0, nullptr));
            },
            error);
        if (result == DatabaseResult::kDone) {
            statement = std::make_unique<PostgresStatement>(connection_, std::move(name));
        }
        return result;
    }

    // A transaction that failed ends in a rollback that the server reports
    // as a successful command: only "COMMIT" means the statements are kept.
    DatabaseResult Commit(std::string& error) override {
        const Result result(PQexec(connection_.get(), "COMMIT"));
        const DatabaseResult checked = connection_.Check(result, error);
        if (checked == DatabaseResult::kDone &&
            std::string_view(PQcmdStatus(result.get())) != "COMMIT") {
            error = "the server rolled the transaction back";
            return DatabaseResult::kRefused;
        }
        return checked;
    }

    void Interrupt() override { connection_.Interrupt(); }

private:
    PostgresConnection connection_;
    unsigned statementCount_ = 0;
};

}  // namespace

std::unique_ptr<Database> OpenPostgresDatabase(const std::string& uri, const DatabaseLogin& login,
                                               std::string& error) {
    Connection connection = ConnectPostgres(uri, login, error);
    if (!connection) {
        return nullptr;
    }
    CancelHandle cancel(PQgetCancel(connection.get()));
    return std::make_unique<PostgresDatabase>(std::move(connection), std::move(cancel));
}

}  // namespace gleanwork
