#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// An INSERTDATA or UPDATEDATA template made ready for a database: its SQL
// text with a placeholder wherever the template refers to a variable, and the
// names of those variables in the order of their placeholders.
struct ParameterizedStatement {
    std::string sql;
    std::vector<std::string> names;
};

// Appends the placeholder of the parameter numbered `number` (from 1) to
// `sql`, as a database writes it.
using PlaceholderWriter = std::function<void(std::size_t number, std::string& sql)>;

// Reads `statementTemplate` as an argument is expanded (escapes, references),
// but puts a placeholder where a reference stands, so that a
// variable's value is bound and never becomes SQL text. A reference that
// makes up a whole single-quoted SQL text, as in '{name}', takes the place of
// that text, quotes and all. A reference inside a longer quoted text makes
// the text a concatenation: 'Price: {price}' becomes
// ('Price: ' || CAST(? AS TEXT)).
ParameterizedStatement ParameterizeStatement(std::string_view statementTemplate,
                                             const PlaceholderWriter& appendPlaceholder);

}  // namespace gleanwork
