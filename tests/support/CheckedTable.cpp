#include "support/CheckedTable.h"

#include <gtest/gtest.h>

namespace gleanwork::test {

Table CheckedTable(const std::string& path, const std::string& name, std::size_t fields) {
    std::vector<std::string> errors;
    Table rows = ReadTable(path, name, errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    for (const auto& row : rows) {
        EXPECT_EQ(row.size(), fields) << row.front();
    }
    return rows;
}

}  // namespace gleanwork::test
