#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// A PostgreSQL statement that inserts one row into a table,
//   INSERT INTO name [(column, ...)] VALUES (value, ...)
//       [ON CONFLICT [(column, ...) | ON CONSTRAINT name] DO NOTHING]
// whose values are placeholders and constants, cast or concatenated,
// and nothing that reads the database. A series of its runs inserts what
// one statement with the rows of all of them inserts, as long as nothing on
// the table itself (a trigger, a rule, a policy) tells the two apart.
struct RowInsert {
    std::string table;  // the table's name as the statement writes it
    std::string head;   // the text up to and including VALUES
    // The text of the row between its placeholders: the row is
    // rowText[0], $rowPlaceholders[0], rowText[1], ... rowText.back().
    std::vector<std::string> rowText;
    std::vector<std::size_t> rowPlaceholders;
    std::string tail;            // what follows the row, without a final semicolon
    std::size_t parameters = 0;  // the highest placeholder number
};

// `sql` read as a RowInsert, or nothing when it is not one (its text is then
// never merged). Comments, escape strings, backslashes in strings and
// anything but the words listed make it none.
std::optional<RowInsert> ReadRowInsert(std::string_view sql);

// The statement that inserts `rows` rows: the row of `insert` once per run,
// the placeholders of run r (from 0) numbered up by r times its parameters.
std::string ManyRowInsert(const RowInsert& insert, std::size_t rows);

}  // namespace gleanwork
