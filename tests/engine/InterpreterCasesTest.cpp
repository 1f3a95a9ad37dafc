// Runs every case of the interpreter case file: each script runs through a
// whole engine run, and its run-log lines and output are compared whole.

#include <gtest/gtest.h>

#include "engine/InterpreterCaseFile.h"
#include "engine/InterpreterRun.h"

namespace gleanwork {
namespace {

using test::InterpreterCase;

const std::string kCaseFile = GLEANWORK_TEST_DATA "/interpreter/cases.txt";

struct LoadedCases {
    std::vector<std::string> errors;
    std::vector<InterpreterCase> cases;
};

const LoadedCases& Cases() {
    static const LoadedCases loaded = [] {
        LoadedCases result;
        result.cases = test::ReadInterpreterCases(kCaseFile, result.errors);
        return result;
    }();
    return loaded;
}

TEST(InterpreterCaseFileTest, ReadsWithoutErrors) {
    EXPECT_EQ(Cases().errors, std::vector<std::string>());
    EXPECT_GT(Cases().cases.size(), 50u);
}

class InterpreterCaseTest : public ::testing::TestWithParam<InterpreterCase> {};

TEST_P(InterpreterCaseTest, GivesItsLogAndOutput) {
    const InterpreterCase& expected = GetParam();
    SCOPED_TRACE(kCaseFile + ":" + std::to_string(expected.line) + ": " + expected.name);
    AgentDefinition agent;
    agent.name = "Case";
    agent.SCRIPT = expected.script;
    agent.DBINSERT = expected.dbInsert;
    agent.DBUPDATE = expected.dbUpdate;
    const test::ScriptResult result = test::RunScriptOver(agent, expected.source);
    EXPECT_EQ(result.log, expected.log);
    EXPECT_EQ(result.output, expected.output);
}

INSTANTIATE_TEST_SUITE_P(Cases, InterpreterCaseTest, ::testing::ValuesIn(Cases().cases),
                         [](const ::testing::TestParamInfo<InterpreterCase>& param) {
                             return test::TestNameOf(param.param.name);
                         });

}  // namespace
}  // namespace gleanwork
