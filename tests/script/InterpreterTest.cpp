// Every case of the interpreter case file runs through the script
// interpreter; its run-log lines and its output are compared whole. Then what the case
// file cannot show well: stopping a loop, very long texts and arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "script/ScriptInterpreter.h"
#include "support/CaseFile.h"
#include "support/TestScriptRun.h"

namespace gleanwork::test {
namespace {

// What a script wrote: its run-log lines (those after "Starting script..."
// and an empty line) and its output.
struct ScriptResult {
    std::vector<std::string> log;
    std::string output;
};

// Runs `script` over `source`, taken byte for byte (zero bytes and CR LF
// pairs included). `onLine`, when given, sees the run's control after every
// logged line (a test can stop the run through it).
ScriptResult RunScriptOver(const std::vector<std::string>& script, const std::string& source,
                           const std::string& insertStatement = {},
                           const std::string& updateStatement = {},
                           const std::function<void(StepLimit&)>& onLine = {}) {
    TestScriptRun run(source);
    if (onLine) {
        run.log.onLine = [&](std::string_view) { onLine(run.control); };
    }
    ScriptInterpreter(run.For(script, insertStatement, updateStatement)).RunScript();

    // The script's lines come after "Starting script..." and an empty line.
    const std::vector<std::string>& lines = run.log.lines;
    const auto skipped = static_cast<std::ptrdiff_t>(std::min<std::size_t>(lines.size(), 2));
    return {{lines.begin() + skipped, lines.end()}, run.output.written};
}

const CaseFile kCaseFile =
    ReadCaseFile(GLEANWORK_TEST_DATA "/interpreter/cases.txt",
                 {"script", "source", "log", "output", "dbinsert", "dbupdate"});

TEST(InterpreterCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(kCaseFile.errors, std::vector<std::string>());
}

class InterpreterCase : public ::testing::TestWithParam<Case> {};

TEST_P(InterpreterCase, GivesItsLogAndOutput) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    const ScriptResult result = RunScriptOver(expected.Lines("script"), expected.Text("source"),
                                              expected.Text("dbinsert"), expected.Text("dbupdate"));
    EXPECT_EQ(result.log, expected.Lines("log"));
    EXPECT_EQ(result.output, expected.Text("output"));
}

INSTANTIATE_TEST_SUITE_P(Cases, InterpreterCase, ::testing::ValuesIn(kCaseFile.cases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

using Lines = std::vector<std::string>;

// The loop adds to the data buffer at every turn, so it never comes back to
// where it was: only the stop ends it.
TEST(InterpreterTest, StopsALoopBeforeItsNextLine) {
    std::size_t seen = 0;
    const ScriptResult result =
        RunScriptOver(Lines{"BOOKMARK loop", "REWIND", "GETTOKEN \"b\"", "JUMPIFOK loop"}, "ab", {},
                      {}, [&](StepLimit& control) {
                          if (++seen == 998) {
                              control.Stop();
                          }
                      });
    // The 998th line of the run (two come before the script) is the echo of
    // a REWIND, which still completes; no line runs after it.
    ASSERT_EQ(result.log.size(), 998U - 2);
    EXPECT_EQ(result.log[4], "[Jumped to: loop]");
    EXPECT_EQ(result.log[2], "<< a");
    EXPECT_EQ(result.log.back(), "# REWIND");
}

TEST(InterpreterTest, SearchesAndExpandsMegabyteArguments) {
    const std::size_t mega = 1 << 20;
    const std::string target = std::string(mega, 'a') + "b", word(mega, 'w');
    const ScriptResult found =
        RunScriptOver(Lines{"FIND \"" + target + "\"", "GET 5", "GETUNTIL " + target},
                      std::string(4 * mega, 'a') + "b!");
    ASSERT_EQ(found.log.size(), 6U);
    EXPECT_EQ(found.log[2], "<< !");
    EXPECT_EQ(found.log[5], "[Not found]");

    const ScriptResult expanded =
        RunScriptOver(Lines{"PRINT " + std::string(mega, '{'), "PRINT " + std::string(mega, '\\'),
                            "GET 1", "SAVETO " + word, "PRINT {" + word + "}{" + word},
                      "x");
    EXPECT_EQ(expanded.output, std::string(mega, '{') + std::string(mega / 2, '\\') + "x{" + word);
}

}  // namespace
}  // namespace gleanwork::test
