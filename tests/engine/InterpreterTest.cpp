// What the case file cannot show well: stopping a loop, very long texts and
// arguments.
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
                      [&](RunControl& control) {
                          if (++seen == 996) {
                              control.Stop();
                          }
                      });
    // The 996th line of the run (two come before the script) is the echo of
    // a MATCH, which still completes; no line runs after it.
    ASSERT_EQ(result.log.size(), 996U - 2);
    EXPECT_EQ(result.log[2], "[Jumped to: loop]");
    EXPECT_EQ(result.log.back(), "# MATCH \"a\"");
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

}  // namespace
}  // namespace gleanwork::test
