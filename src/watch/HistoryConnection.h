#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "watch/HistoryResult.h"

namespace gleanwork {

// A value for a placeholder of a history statement.
struct SqlValue {
    enum class Kind {
        kWord,     // text of letters, digits and signs (an outcome, a digest)
        kBytes,    // any bytes (a name, a message, an output)
        kInteger,  // held as decimal text
        kNull,
    };

    static SqlValue Word(std::string_view text) { return {Kind::kWord, text, 0, {}}; }
    static SqlValue Bytes(std::string_view bytes) { return {Kind::kBytes, bytes, 0, {}}; }
    static SqlValue Integer(std::int64_t number) {
        return {Kind::kInteger, {}, number, std::to_string(number)};
    }
    static SqlValue Null() { return {Kind::kNull, {}, 0, {}}; }

    Kind kind;
    std::string_view text;  // kWord, kBytes
    std::int64_t integer;   // kInteger
    std::string number;     // kInteger, in decimal

    std::string_view Text() const { return kind == Kind::kInteger ? number : text; }
};

// A row of a query: each column as text (integers in decimal), nothing for
// NULL.
using SqlRow = std::vector<std::optional<std::string>>;

// An open connection to the database that holds the run history, its tables
// in place. Statements name their placeholders $1, $2, ... in order.
class HistoryConnection {
public:
    virtual ~HistoryConnection() = default;

    // Runs `sql` with `values`; its rows to `rows` when given.
    virtual HistoryResult Run(std::string_view sql, std::initializer_list<SqlValue> values,
                              std::vector<SqlRow>* rows = nullptr) = 0;

    // Begins a transaction that records a run of the agent whose lock key is
    // `agentKey`: no other connection records a run of that agent until it
    // ends. Commit or Rollback ends it.
    virtual HistoryResult BeginRecording(std::int64_t agentKey) = 0;
    virtual HistoryResult Commit() = 0;
    virtual void Rollback() = 0;
};

}  // namespace gleanwork
