#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The SQL types that one database gives the columns of the history.
struct HistoryTypes {
    std::string_view id;       // the key of a run, numbered by the database
    std::string_view integer;  // 64 bits
    std::string_view bytes;    // names, messages, logs and outputs: any bytes
};

// The statements that create the history's tables and index where they are
// missing, for a database with the types `types`.
std::string HistoryTables(const HistoryTypes& types);

}  // namespace gleanwork
