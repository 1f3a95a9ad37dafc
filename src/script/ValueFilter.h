#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// Applies the filters of a reference such as {name|html|trim|csv} to
// `value`, left to right. `filters` is the text after the first "|": filter
// names separated by "|", each trimmed and compared without regard to
// letter case:
// - html: decodes HTML character references (see AppendHtmlDecoded);
// - trim: removes leading and trailing white space and folds every inner run
//   of white space to one space; white space is ASCII's and, UTF-8 encoded,
//   Unicode's (the no-break space U+00A0 among it);
// - csv: one RFC 4180 field, in double quotes with inner quotes doubled when
//   it holds a comma, a quote, a line break or leading or trailing spaces;
// - json: a JSON string literal; bytes that are no valid UTF-8 are taken as
//   Latin-1 characters;
// - url: percent-encodes everything but letters, digits and "-._~".
// Returns false, leaving `value` unspecified, when a name is no filter.
bool ApplyValueFilters(std::string_view filters, std::string& value);

// The filters' names, in lower case.
std::vector<std::string_view> ValueFilterNames();

}  // namespace gleanwork
