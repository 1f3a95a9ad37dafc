#pragma once

#include <cstddef>
#include <string>

#include "support/CaseFile.h"

namespace gleanwork::test {

// The rows of table `name` of the case file at `path` (ReadTable), failing
// the GoogleTest test when the file has faults of form or a row has not
// `fields` fields.
Table CheckedTable(const std::string& path, const std::string& name, std::size_t fields);

}  // namespace gleanwork::test
