#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "database/SqliteDatabase.h"
#include "engine/StatementTemplate.h"
#include "support/CaseFile.h"

using namespace gleanwork;

TEST(StatementTemplateTest, PutsAPlaceholderForEveryReference) {
    const std::string path = GLEANWORK_TEST_DATA "/database/statements.txt";
    std::vector<std::string> errors;
    const test::Table rows = test::ReadTable(path, "parameterize", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    std::string error;
    const auto database = OpenSqliteDatabase(":memory:", error);
    ASSERT_TRUE(database) << error;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u) << row.front();
        const ParameterizedStatement statement = ParameterizeStatement(row[0], *database);
        std::istringstream names(row[1]);
        EXPECT_EQ(statement.names,
                  std::vector<std::string>(std::istream_iterator<std::string>(names), {}))
            << row[0];
        EXPECT_EQ(statement.sql, row[2]);
    }
}
