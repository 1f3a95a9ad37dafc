#include <gtest/gtest.h>

#include "database/SqliteDatabase.h"
#include "engine/DatabaseCheck.h"
#include "engine/StatementTemplate.h"
#include "support/TempFolder.h"

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

// Test connection says what it found, and creates no missing file.
TEST(DatabaseCheckTest, SaysWhatHappened) {
    const test::TempFolder folder;
    AgentDefinition agent;
    EXPECT_TRUE(CheckDatabaseSettings(agent).starts_with("No data source is set"));
    agent.DBSOURCE = "quotes";
    EXPECT_TRUE(CheckDatabaseSettings(agent).starts_with("The data source is not understood."));
    agent.DBSOURCE = "sqlite:" + folder / "quotes";
    EXPECT_NE(CheckDatabaseSettings(agent).find(" does not exist. "), std::string::npos);
    std::string error;
    std::unique_ptr<DatabaseStatement> create;
    auto database = OpenSqliteDatabase(folder / "quotes", error);
    database->Prepare("CREATE TABLE t (v TEXT)", create, error);
    create->Execute({}, error);
    database->Commit(error);
    agent.DBINSERT = "INSERT INTO t VALUES ('{v}')";
    agent.DBUPDATE = "UPDATE nowhere SET v = 1";
    EXPECT_EQ(CheckDatabaseSettings(agent),
              "Connected to the SQLite file " + folder / "quotes" +
                  ".\nThe SQL for INSERTDATA command is accepted."
                  "\nThe SQL for UPDATEDATA command is refused: no such table: nowhere");
}
