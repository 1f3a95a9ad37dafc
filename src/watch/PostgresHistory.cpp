#include "watch/PostgresHistory.h"

#include <string_view>

#include "database/PostgresConnect.h"
#include "watch/HistoryTables.h"

namespace gleanwork {

namespace {

constexpr Oid kByteaType = 17;

const HistoryTypes kTypes = {"BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY", "BIGINT", "BYTEA"};

// The lock that keeps two programs from creating the tables at once.
constexpr const char* kTablesLock = "SELECT pg_advisory_xact_lock(7452452441848197490);";

using Unescaped = OwnedHandle<unsigned char, PQfreemem>;

class PostgresHistory final : public HistoryConnection {
public:
    explicit PostgresHistory(PostgresHandle connection) : connection_(std::move(connection)) {}

    // Bytes go in binary (as bytea), the others as text.
    HistoryResult Run(std::string_view sql, std::initializer_list<SqlValue> values,
                      std::vector<SqlRow>* rows) override {
        std::vector<std::string> texts;
        texts.reserve(values.size());
        std::vector<const char*> pointers;
        std::vector<int> lengths;
        std::vector<int> formats;
        for (const SqlValue& value : values) {
            const bool bytes = value.kind == SqlValue::Kind::kBytes;
            if (!bytes) {
                texts.emplace_back(value.Text());  // ended by a zero byte
            }
            const char* text = bytes ? value.text.data() : texts.back().c_str();
            pointers.push_back(value.kind == SqlValue::Kind::kNull ? nullptr
                               : text == nullptr                   ? ""
                                                                   : text);
            lengths.push_back(static_cast<int>(value.Text().size()));
            formats.push_back(bytes ? 1 : 0);
        }
        const PostgresResult result(PQexecParams(
            connection_.get(), std::string(sql).c_str(), static_cast<int>(values.size()), nullptr,
            pointers.data(), lengths.data(), formats.data(), 0));
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            return Failure(result.get());
        }
        for (int row = 0; rows != nullptr && row < PQntuples(result.get()); ++row) {
            rows->push_back(RowOf(result.get(), row));
        }
        return {};
    }

    HistoryResult BeginRecording(std::int64_t agentKey) override {
        HistoryResult result = Run("BEGIN", {}, nullptr);
        return result
                   ? Run("SELECT pg_advisory_xact_lock($1)", {SqlValue::Integer(agentKey)}, nullptr)
                   : result;
    }

    // A transaction that failed ends in a rollback that the server reports
    // as a successful command: only "COMMIT" means the run is recorded.
    HistoryResult Commit() override {
        const PostgresResult result(PQexec(connection_.get(), "COMMIT"));
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
            return Failure(result.get());
        }
        return std::string_view(PQcmdStatus(result.get())) == "COMMIT"
                   ? HistoryResult()
                   : HistoryResult::Failed("the shared history rolled the recording back");
    }

    void Rollback() override { PostgresResult(PQexec(connection_.get(), "ROLLBACK")); }

    HistoryResult Exec(const char* sql) {
        const PostgresResult result(PQexec(connection_.get(), sql));
        return PQresultStatus(result.get()) == PGRES_COMMAND_OK ? HistoryResult()
                                                                : Failure(result.get());
    }

private:
    static SqlRow RowOf(const PGresult* result, int row) {
        SqlRow values;
        for (int column = 0; column < PQnfields(result); ++column) {
            if (PQgetisnull(result, row, column) != 0) {
                values.emplace_back();
                continue;
            }
            const char* text = PQgetvalue(result, row, column);
            if (PQftype(result, column) != kByteaType) {
                values.emplace_back(
                    std::string(text, static_cast<std::size_t>(PQgetlength(result, row, column))));
                continue;
            }
            std::size_t size = 0;
            const Unescaped bytes(
                PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size));
            values.emplace_back(bytes
                                    ? std::string(reinterpret_cast<const char*>(bytes.get()), size)
                                    : std::string());
        }
        return values;
    }

    HistoryResult Failure(const PGresult* result) const {
        return HistoryResult::Failed("the shared history (GLEANWORK_HISTORY): " +
                                     (result != nullptr
                                          ? ResultMessage(result)
                                          : OneLine(PQerrorMessage(connection_.get()))));
    }

    PostgresHandle connection_;
};

}  // namespace

std::unique_ptr<HistoryConnection> OpenPostgresHistory(const std::string& uri,
                                                       HistoryResult& result) {
    std::string error;
    PostgresHandle connection = ConnectPostgres(uri, DatabaseLogin{}, error);
    if (!connection) {
        result = HistoryResult::Failed("the shared history (GLEANWORK_HISTORY): " + error);
        return nullptr;
    }
    auto history = std::make_unique<PostgresHistory>(std::move(connection));
    result = history->Exec(
        ("BEGIN;" + std::string(kTablesLock) + HistoryTables(kTypes) + "COMMIT;").c_str());
    return result ? std::move(history) : nullptr;
}

}  // namespace gleanwork
