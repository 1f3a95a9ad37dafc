#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <filesystem>

#include <cstdlib>
#include <string>

#include "engine/AgentEngine.h"
#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::ElementsAre;

TEST(HttpRun, ScriptRunsOverTheBodyOfTheLastReply) {
    const TempFolder folder;
    LoopbackServer server({Reply("HTTP/1.0 200 OK\r\n\r\n<b>bold</b> rest")});
    AgentDefinition agent;
    agent.URL = server.Url("/page");
    agent.FILE = folder / "out.txt";
    agent.SCRIPT = {"FIND \"<b>\"", "GETUNTIL \"<\"", "PRINT"};
    RecordingRunLog log;

    AgentEngine(agent, &log).Run();

    EXPECT_EQ(ReadFile(folder / "out.txt"), "bold");
    EXPECT_THAT(log.lines, ElementsAre("Engine started.", "Setting variables...",
                                       ContactingLine(server.Port()), "Accessing URL - /page",
                                       "Opening output file: " + agent.FILE, "Starting script...",
                                       "", "# FIND \"<b>\"", "# GETUNTIL \"<\"", "<< bold",
                                       "# PRINT", ">> bold", "Agent completed."));
}

TEST(HttpRun, EmptyBodyReadsAsNoSourceButAFailedConnectDoesNot) {
    LoopbackServer server({Reply("HTTP/1.0 204 No Content\r\n\r\n")});
    const RefusingPort refusing;
    AgentDefinition agent;
    agent.URL = server.Url();
    RecordingRunLog empty;
    AgentDefinition refused;
    refused.URL = "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/";
    RecordingRunLog failed;
    testing::internal::CaptureStderr();

    AgentEngine(agent, &empty).Run();
    AgentEngine(refused, &failed).Run();

    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: connect() failed");
    EXPECT_THAT(empty.lines, testing::Contains("ERROR: Unable to read specified URL or file"));
    EXPECT_THAT(failed.lines, testing::Contains("ERROR: Failed to connect"));
    EXPECT_THAT(failed.lines,
                testing::Not(testing::Contains("ERROR: Unable to read specified URL or file")));
}

TEST(HttpRun, RunnerKeepsToTheReadTimeoutItIsGiven) {
    const TempFolder folder;
    LoopbackServer server(
        {ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\npartial"}, {}, ScriptedReply::Ending::Hold}});
    WriteFile(folder / "slow.agt", "URL=" + server.Url() + "\nFILE=" + folder / "out.txt" +
                                       "\nSCRIPT\nGET 100\nPRINT\nENDSCRIPT\n");
    const std::string command = "'" GLEANWORK_RUN_PATH "' --read-timeout 0.2 --log '" +
                                folder / "run.log" + "' --agent-file '" + folder / "slow.agt" + "'";

    const int status = std::system(command.c_str());

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.txt")) << "a failed read writes nothing";
    EXPECT_THAT(ReadFile(folder / "run.log"),
                testing::HasSubstr("Accessing URL - /\nERROR: Socket read failed with code 110\n"));
}

}  // namespace
}  // namespace gleanwork::test
