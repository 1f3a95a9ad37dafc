// Every case of the interpreter case file runs through a whole engine run;
// its run-log lines and its output are compared whole.
#include <gtest/gtest.h>

#include "engine/InterpreterRun.h"
#include "support/CaseFile.h"

namespace gleanwork::test {
namespace {

const std::string kCaseFile = GLEANWORK_TEST_DATA "/interpreter/cases.txt";
std::vector<std::string> caseFileErrors;
const std::vector<Case> kCases = ReadCaseFile(
    kCaseFile, {"script", "source", "log", "output", "dbinsert", "dbupdate"}, caseFileErrors);

TEST(InterpreterCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(caseFileErrors, std::vector<std::string>());
}

class InterpreterCase : public ::testing::TestWithParam<Case> {};

TEST_P(InterpreterCase, GivesItsLogAndOutput) {
    const Case& expected = GetParam();
    SCOPED_TRACE(kCaseFile + ":" + std::to_string(expected.line));
    AgentDefinition agent;
    agent.name = "Case";
    agent.SCRIPT = expected.Lines("script");
    agent.DBINSERT = expected.Text("dbinsert");
    agent.DBUPDATE = expected.Text("dbupdate");
    const ScriptResult result = RunScriptOver(agent, expected.Text("source"));
    EXPECT_EQ(result.log, expected.Lines("log"));
    EXPECT_EQ(result.output, expected.Text("output"));
}

INSTANTIATE_TEST_SUITE_P(Cases, InterpreterCase, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

}  // namespace
}  // namespace gleanwork::test
