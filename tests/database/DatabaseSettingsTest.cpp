#include <gtest/gtest.h>

#include "database/SqliteDatabase.h"
#include "engine/StatementTemplate.h"

using namespace gleanwork;

// Every reference becomes a placeholder, also inside quoted SQL text; what
// is no reference stays SQL text as the expansion reads it.
TEST(StatementTemplateTest, PutsAPlaceholderForEveryReference) {
    struct Case {
        const char* statementTemplate;
        const char* sql;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"INSERT INTO t VALUES ('{a}', { b }, '{a}')",
         "INSERT INTO t VALUES (?1, ?2, ?3)",
         {"a", "b", "a"}},
        {"SELECT 'it''s {a}!', '{a}{b}', ''",
         "SELECT ('it''s ' || CAST(?1 AS TEXT) || '!'), "
         "(CAST(?2 AS TEXT) || CAST(?3 AS TEXT)), ''",
         {"a", "a", "b"}},
        {"SELECT '\\{a}', 'x\\n', '{a'", "SELECT '{a}', 'x\n', '{a'", {}},
        {"SELECT 'open {a}", "SELECT 'open ?1", {"a"}},
    };
    std::string error;
    const auto database = OpenSqliteDatabase(":memory:", error);
    ASSERT_TRUE(database) << error;
    for (const Case& c : cases) {
        const ParameterizedStatement statement =
            ParameterizeStatement(c.statementTemplate, *database);
        EXPECT_EQ(statement.sql, c.sql);
        EXPECT_EQ(statement.names, c.names) << c.statementTemplate;
    }
}
