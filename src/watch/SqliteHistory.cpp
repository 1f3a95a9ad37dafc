#include "watch/SqliteHistory.h"

#include <sqlite3.h>

#include <unordered_map>

#include "database/SqliteFile.h"
#include "watch/HistoryTables.h"

namespace gleanwork {

namespace {

using Connection = SqliteConnection;
using Statement = OwnedHandle<sqlite3_stmt, sqlite3_finalize>;

// Synchronous NORMAL: in write-ahead-log mode a power cut may lose the last
// runs recorded, never the file. Pages of 16 KiB (for a new file; an
// existing one keeps its own) hold a 1 MB output in a quarter of the pages,
// which records it in a fifth of the time that 4 KiB pages take.
constexpr const char* kSettings =
    "PRAGMA page_size = 16384; PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL";

// TEXT holds any bytes bound as text. The tables are made when the file has
// none, so that a reader need not wait for the lock that making them takes.
const HistoryTypes kTypes = {"INTEGER PRIMARY KEY", "INTEGER", "TEXT"};

// How long a statement that found the file busy waits before it tries again.
constexpr int kBusyRetryMs = 5;

class SqliteHistory final : public HistoryConnection {
public:
    SqliteHistory(Connection connection, std::string path)
        : connection_(std::move(connection)), path_(std::move(path)) {}

    HistoryResult Run(std::string_view sql, std::initializer_list<SqlValue> values,
                      std::vector<SqlRow>* rows) override {
        sqlite3_stmt* statement = Prepared(sql);
        if (statement == nullptr) {
            return Failure();
        }
        int index = 0;
        for (const SqlValue& value : values) {
            Bind(statement, ++index, value);
        }
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            if (rows != nullptr) {
                rows->push_back(RowOf(statement));
            }
        }
        HistoryResult result = step == SQLITE_DONE ? HistoryResult() : Failure();
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        return result;
    }

    HistoryResult BeginRecording(std::int64_t) override { return Exec("BEGIN IMMEDIATE"); }
    HistoryResult Commit() override { return Exec("COMMIT"); }
    void Rollback() override {
        if (sqlite3_get_autocommit(connection_.get()) == 0) {
            Exec("ROLLBACK");
        }
    }

    HistoryResult Exec(const char* sql) {
        return sqlite3_exec(connection_.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK
                   ? HistoryResult()
                   : Failure();
    }

    // As Exec, but a statement that finds the file busy is tried again until
    // `timeout` has passed: the switch of a new file to write-ahead logging
    // does not wait for another program that opens it at the same moment.
    HistoryResult ExecWaiting(const char* sql, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int code = SQLITE_BUSY;
        while ((code = sqlite3_exec(connection_.get(), sql, nullptr, nullptr, nullptr)) ==
                   SQLITE_BUSY &&
               std::chrono::steady_clock::now() < deadline) {
            sqlite3_sleep(kBusyRetryMs);
        }
        return code == SQLITE_OK ? HistoryResult() : Failure();
    }

private:
    // The statement of `sql`, its placeholders $N made SQLite's ?N, prepared
    // once for the life of the connection.
    sqlite3_stmt* Prepared(std::string_view sql) {
        std::string key(sql);
        if (const auto found = statements_.find(key); found != statements_.end()) {
            return found->second.get();
        }
        std::string own = key;
        for (char& c : own) {
            c = c == '$' ? '?' : c;
        }
        sqlite3_stmt* prepared = nullptr;
        sqlite3_prepare_v3(connection_.get(), own.c_str(), static_cast<int>(own.size()),
                           SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
        Statement statement(prepared);
        return statement
                   ? statements_.emplace(std::move(key), std::move(statement)).first->second.get()
                   : nullptr;
    }

    static void Bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
        switch (value.kind) {
            case SqlValue::Kind::kInteger:
                sqlite3_bind_int64(statement, index, value.integer);
                break;
            case SqlValue::Kind::kNull:
                sqlite3_bind_null(statement, index);
                break;
            default:
                // A null text would be bound as NULL: empty text points at "".
                sqlite3_bind_text64(statement, index, value.text.empty() ? "" : value.text.data(),
                                    value.text.size(), SQLITE_STATIC, SQLITE_UTF8);
        }
    }

    static SqlRow RowOf(sqlite3_stmt* statement) {
        SqlRow row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            const int type = sqlite3_column_type(statement, column);
            if (type == SQLITE_NULL) {
                row.emplace_back();
            } else if (type == SQLITE_INTEGER) {
                row.emplace_back(std::to_string(sqlite3_column_int64(statement, column)));
            } else {
                const auto* bytes =
                    static_cast<const char*>(sqlite3_column_blob(statement, column));
                const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
                row.emplace_back(bytes == nullptr ? std::string() : std::string(bytes, size));
            }
        }
        return row;
    }

    HistoryResult Failure() const {
        const int code = sqlite3_errcode(connection_.get());
        const bool damaged = code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
        return HistoryResult::Failed(
            "'" + path_ + "': " + sqlite3_errmsg(connection_.get()) +
            (damaged ? " (the history is damaged; move the file away to begin a new one)" : ""));
    }

    Connection connection_;
    std::string path_;
    std::unordered_map<std::string, Statement> statements_;
};

}  // namespace

std::unique_ptr<HistoryConnection> OpenSqliteHistory(const std::string& path, HistoryResult& result,
                                                     std::chrono::milliseconds busyTimeout) {
    std::string reason;
    Connection connection = OpenSqliteFile(path, reason);
    if (!connection) {
        result = HistoryResult::Failed("'" + path + "': " + reason);
        return nullptr;
    }
    sqlite3_busy_timeout(connection.get(), static_cast<int>(busyTimeout.count()));
    auto history = std::make_unique<SqliteHistory>(std::move(connection), path);
    result = history->ExecWaiting(kSettings, busyTimeout);
    std::vector<SqlRow> tables;
    if (result) {
        result = history->Run("SELECT name FROM sqlite_master WHERE name = 'gleanwork_logs'", {},
                              &tables);
    }
    if (result && tables.empty()) {
        result = history->Exec(("BEGIN IMMEDIATE;" + HistoryTables(kTypes) + "COMMIT;").c_str());
    }
    return result ? std::move(history) : nullptr;
}

}  // namespace gleanwork
