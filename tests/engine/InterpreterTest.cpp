// Interpreter behaviour that the case file cannot show well: long texts and
// arguments, many bookmarks, stopping a loop, and bookmark lookup called
// directly.

#include "engine/ScriptInterpreter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/InterpreterRun.h"
#include "support/RecordingRunLog.h"
#include "support/ScriptRunParts.h"

namespace gleanwork {
namespace {

using test::RunScriptOver;
using test::ScriptResult;
using Lines = std::vector<std::string>;

TEST(InterpreterTest, StopsALoopBeforeItsNextLine) {
    AgentDefinition agent;
    agent.SCRIPT = {"BOOKMARK loop", "MATCH \"a\"", "JUMPIFOK loop"};
    constexpr std::size_t kStopAt = 996;
    std::size_t seen = 0;
    const ScriptResult result = RunScriptOver(agent, "ab", [&](std::atomic<bool>& running) {
        if (++seen == kStopAt) {
            running = false;
        }
    });
    // Each round logs "# MATCH", "# JUMPIFOK" and its jump; the 996th line
    // of the run (after two lines before the script) is the echo of a MATCH,
    // which still completes, and no line runs after it.
    ASSERT_EQ(result.log.size(), kStopAt - 2);
    EXPECT_EQ(result.log[0], "# MATCH \"a\"");
    EXPECT_EQ(result.log[1], "# JUMPIFOK loop");
    EXPECT_EQ(result.log[2], "[Jumped to: loop]");
    EXPECT_EQ(result.log.back(), "# MATCH \"a\"");
}

TEST(InterpreterTest, CutsOnlyTokenAndPrintTraceLinesTo255Characters) {
    const std::string as(300, 'a');
    const std::string bs(300, 'b');
    const ScriptResult result =
        RunScriptOver({"GETTOKEN \",\"", "PRINT", "GETUNTIL \";\"", "SAVETO v", "PRINTLN {v}",
                       "REWIND", "GET 400", "PRINT \"{v}\""},
                      as + "," + bs + ";");
    const std::string taken = as + "," + bs.substr(0, 99);
    EXPECT_EQ(result.log,
              (Lines{"# GETTOKEN \",\"", "<< " + as.substr(0, 255), "# PRINT",
                     ">> " + as.substr(0, 255), "# GETUNTIL \";\"", "<< ," + bs, "# SAVETO v",
                     "{v} = ," + bs, "# PRINTLN {v}", ">> ," + bs.substr(0, 254), "# REWIND",
                     "# GET 400", "<< " + taken, "# PRINT \"{v}\"", ">> ," + bs.substr(0, 254)}));
    EXPECT_EQ(result.output, as + "," + bs + "\n," + bs);
}

TEST(InterpreterTest, SearchesForAMegabyteStringInLinearTime) {
    // A plain search would compare the whole string at each of three million
    // positions before it finds it at the end.
    const std::size_t kMegabyte = 1 << 20;
    const std::string target = std::string(kMegabyte, 'a') + "b";
    const std::string text = std::string(4 * kMegabyte, 'a') + "b!";
    const ScriptResult result =
        RunScriptOver({"FIND \"" + target + "\"", "GET 5", "GETUNTIL " + target}, text);
    ASSERT_EQ(result.log.size(), 6u);
    EXPECT_EQ(result.log[2], "<< !");
    EXPECT_EQ(result.log[3], "[End of file]");
    EXPECT_EQ(result.log[4].substr(0, 12), "# GETUNTIL a");
    EXPECT_EQ(result.log[5], "[Not found]");
}

TEST(InterpreterTest, ExpandsMegabyteArguments) {
    const std::size_t kMegabyte = 1 << 20;
    const std::string braces(kMegabyte, '{');
    const std::string backslashes(kMegabyte, '\\');
    const std::string word(kMegabyte, 'w');
    const ScriptResult result =
        RunScriptOver({"PRINT " + braces, "PRINT " + backslashes, "GET 1", "SAVETO " + word,
                       "PRINT {" + word + "}{" + word, word},
                      "x");
    EXPECT_EQ(result.output, braces + std::string(kMegabyte / 2, '\\') + "x{" + word);
    EXPECT_EQ(result.log.back(), "[Unknown command!]");
}

TEST(InterpreterTest, FindsTheFirstOfThousandsOfBookmarks) {
    AgentDefinition agent;
    agent.SCRIPT = {"JUMPIFOK b4999"};
    constexpr int kBookmarks = 5000;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kBookmarks; ++i) {
            agent.SCRIPT.push_back("BOOKMARK b" + std::to_string(i));
        }
    }
    agent.SCRIPT.push_back("PRINT \"end\"");
    const ScriptResult result = RunScriptOver(agent, "text");
    EXPECT_EQ(result.log,
              (Lines{"# JUMPIFOK b4999", "[Jumped to: b4999]", "# PRINT \"end\"", ">> end"}));

    test::RecordingRunLog log;
    test::ScriptRunParts parts(&log);
    ScriptInterpreter interpreter(parts.For(agent, ""));
    EXPECT_EQ(interpreter.FindBookmark("b0"), 1);
    EXPECT_EQ(interpreter.FindBookmark("b4999"), kBookmarks);
    EXPECT_EQ(interpreter.FindBookmark("b5000"), -1);
}

TEST(InterpreterTest, FindBookmarkComparesTrimmedNamesExactly) {
    AgentDefinition agent;
    agent.SCRIPT = {"PRINT One",      "bookmark  One ", "BOOKMARK",     "BOOKMARK\tTab",
                    "Bookmark \"q\"", "BOOKMARK {v}",   "BOOKMARK One", " BOOKMARK lead"};
    test::ScriptRunParts parts;
    parts.variables["v"] = "One";
    ScriptInterpreter interpreter(parts.For(agent, ""));
    EXPECT_EQ(interpreter.FindBookmark("One"), 1);
    EXPECT_EQ(interpreter.FindBookmark(""), 2);
    EXPECT_EQ(interpreter.FindBookmark("one"), -1);
    EXPECT_EQ(interpreter.FindBookmark("Tab"), -1);
    EXPECT_EQ(interpreter.FindBookmark("\"q\""), 4);
    EXPECT_EQ(interpreter.FindBookmark("q"), -1);
    EXPECT_EQ(interpreter.FindBookmark("{v}"), 5);
    EXPECT_EQ(interpreter.FindBookmark("lead"), -1);
}

}  // namespace
}  // namespace gleanwork
