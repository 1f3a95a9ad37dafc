#include "run/PasswordRedaction.h"

#include <gtest/gtest.h>

#include "support/CaseFile.h"

namespace gleanwork::test {
namespace {

TEST(PasswordRedaction, HidesThePasswordAndThePiecesTheLibraryEchoes) {
    std::vector<std::string> errors;
    const Table rows = ReadTable(GLEANWORK_TEST_DATA "/run/redaction.txt", "redact", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 4u) << row.front();
        AgentDefinition agent;
        agent.DBSOURCE = row.at(0);
        agent.DBPASS = row.at(1);
        std::string line = row.at(2);
        RedactPasswords(agent, line);
        EXPECT_EQ(line, row.at(3)) << row.at(0);
    }
}

}  // namespace
}  // namespace gleanwork::test
