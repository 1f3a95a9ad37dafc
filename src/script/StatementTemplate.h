#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"

namespace gleanwork {

// An INSERTDATA or UPDATEDATA template made ready for a database: its SQL
// text with a placeholder wherever the template refers to a variable, and the
// names of those variables in the order of their placeholders.
struct ParameterizedStatement {
    std::string sql;
    std::vector<std::string> names;
};

// Reads `statementTemplate` as an argument is expanded (escapes, references),
// but puts `database`'s placeholder where a reference stands, so that a
// variable's value is bound and never becomes SQL text. A reference that
// makes up a whole single-quoted SQL text, as in '{name}', takes the place of
// that text, quotes and all. A reference inside a longer quoted text makes
// the text a concatenation: 'Price: {price}' becomes
// ('Price: ' || CAST(? AS TEXT)).
ParameterizedStatement ParameterizeStatement(std::string_view statementTemplate,
                                             const Database& database);

}  // namespace gleanwork
