// What the case file cannot show well: stopping a loop, very long texts,
// arguments and trace lines, and thousands of bookmarks.
#include <gtest/gtest.h>

#include "engine/InterpreterRun.h"

namespace gleanwork::test {
namespace {

using Lines = std::vector<std::string>;

AgentDefinition WithScript(Lines script) {
    AgentDefinition agent;
    agent.SCRIPT = std::move(script);
    return agent;
}

TEST(InterpreterTest, StopsALoopBeforeItsNextLine) {
    std::size_t seen = 0;
    const ScriptResult result =
        RunScriptOver(WithScript({"BOOKMARK loop", "MATCH \"a\"", "JUMPIFOK loop"}), "ab",
                      [&](std::atomic<bool>& running) {
                          if (++seen == 996) {
                              running = false;
                          }
                      });
    // The 996th line of the run (two come before the script) is the echo of
    // a MATCH, which still completes; no line runs after it.
    ASSERT_EQ(result.log.size(), 996U - 2);
    EXPECT_EQ(result.log[2], "[Jumped to: loop]");
    EXPECT_EQ(result.log.back(), "# MATCH \"a\"");
}

TEST(InterpreterTest, CutsOnlyTokenAndPrintTraceLinesTo255Characters) {
    const std::string as(300, 'a'), bs(300, 'b');
    const ScriptResult result =
        RunScriptOver(WithScript({"GETTOKEN \",\"", "PRINT", "GETUNTIL \";\"", "SAVETO v",
                                  "PRINTLN {v}", "REWIND", "GET 400", "PRINT \"{v}\""}),
                      as + "," + bs + ";");
    EXPECT_EQ(result.log,
              (Lines{"# GETTOKEN \",\"", "<< " + as.substr(0, 255), "# PRINT",
                     ">> " + as.substr(0, 255), "# GETUNTIL \";\"", "<< ," + bs, "# SAVETO v",
                     "{v} = ," + bs, "# PRINTLN {v}", ">> ," + bs.substr(0, 254), "# REWIND",
                     "# GET 400", "<< " + as + "," + bs.substr(0, 99), "# PRINT \"{v}\"",
                     ">> ," + bs.substr(0, 254)}));
    EXPECT_EQ(result.output, as + "," + bs + "\n," + bs);
}

TEST(InterpreterTest, SearchesAndExpandsMegabyteArguments) {
    const std::size_t mega = 1 << 20;
    const std::string target = std::string(mega, 'a') + "b", word(mega, 'w');
    const ScriptResult found =
        RunScriptOver(WithScript({"FIND \"" + target + "\"", "GET 5", "GETUNTIL " + target}),
                      std::string(4 * mega, 'a') + "b!");
    ASSERT_EQ(found.log.size(), 6U);
    EXPECT_EQ(found.log[2], "<< !");
    EXPECT_EQ(found.log[5], "[Not found]");

    const ScriptResult expanded = RunScriptOver(
        WithScript({"PRINT " + std::string(mega, '{'), "PRINT " + std::string(mega, '\\'), "GET 1",
                    "SAVETO " + word, "PRINT {" + word + "}{" + word}),
        "x");
    EXPECT_EQ(expanded.output, std::string(mega, '{') + std::string(mega / 2, '\\') + "x{" + word);
}

TEST(InterpreterTest, JumpsToTheFirstOfThousandsOfBookmarks) {
    AgentDefinition agent = WithScript({"JUMPIFOK b4999"});
    for (int i = 0; i < 10000; ++i) {
        agent.SCRIPT.push_back("BOOKMARK b" + std::to_string(i % 5000));
    }
    agent.SCRIPT.push_back("PRINT \"end\"");
    EXPECT_EQ(RunScriptOver(agent, "text").log,
              (Lines{"# JUMPIFOK b4999", "[Jumped to: b4999]", "# PRINT \"end\"", ">> end"}));
}

}  // namespace
}  // namespace gleanwork::test
