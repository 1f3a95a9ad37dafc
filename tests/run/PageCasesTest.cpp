// FETCH and BACK through the run host's pages: every case of the pages case
// file runs through the script interpreter with the pages, output, database
// session and control of a run; its run-log lines and its output file are
// compared whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "run/DatabaseSession.h"
#include "run/PageBrowser.h"
#include "run/RunControl.h"
#include "run/RunLogWriter.h"
#include "run/RunOutput.h"
#include "script/ScriptInterpreter.h"
#include "support/CaseFile.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// What a script wrote: its run-log lines (those after "Starting script..."
// and an empty line) and the output file's bytes.
struct ScriptResult {
    std::vector<std::string> log;
    std::string output;
};

ScriptResult RunScriptOver(AgentDefinition agent, const std::string& source) {
    const TempFolder folder;
    agent.FILE = folder / "out.txt";
    RecordingRunLog log;
    RunLogWriter writer(&log);
    RunControl control(writer);
    control.SetLimits({1000000, {}});  // a case that cannot end fails instead of hanging
    control.Start();
    RunOutput output(writer, control);
    int error = 0;
    EXPECT_TRUE(output.OpenFile(agent.FILE, false, error));
    PageBrowser pages(agent, &writer);
    pages.Show(source);
    VariableTable variables;
    DatabaseSession database(agent, writer);
    ScriptInterpreter({agent.SCRIPT, agent.DBINSERT, agent.DBUPDATE, pages, variables, output,
                       database, writer, control, nullptr})
        .RunScript();
    output.Close(true);

    const auto skipped = static_cast<std::ptrdiff_t>(std::min<std::size_t>(log.lines.size(), 2));
    return {{log.lines.begin() + skipped, log.lines.end()}, ReadFile(agent.FILE)};
}

const CaseFile kCaseFile = ReadCaseFile(GLEANWORK_TEST_DATA "/run/pages.txt",
                                        {"script", "source", "log", "output", "dbinsert"});

TEST(PageCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(kCaseFile.errors, std::vector<std::string>());
}

class PageCase : public ::testing::TestWithParam<Case> {};

TEST_P(PageCase, GivesItsLogAndOutput) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    AgentDefinition agent;
    agent.name = "Case";
    agent.SCRIPT = expected.Lines("script");
    agent.DBINSERT = expected.Text("dbinsert");
    const ScriptResult result = RunScriptOver(agent, expected.Text("source"));
    EXPECT_EQ(result.log, expected.Lines("log"));
    EXPECT_EQ(result.output, expected.Text("output"));
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCase, ::testing::ValuesIn(kCaseFile.cases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

}  // namespace
}  // namespace gleanwork::test
