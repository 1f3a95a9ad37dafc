// Whole runs of agents that fetch over sockets on 127.0.0.1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "engine/AgentEngine.h"
#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::Contains;
using ::testing::Not;

TEST(HttpRun, AScriptRunsOverTheBodyAndOnlyAnEmptyBodyIsNoSource) {
    const TempFolder folder;
    LoopbackServer server({Reply("HTTP/1.0 200 OK\r\n\r\n<b>bold</b> rest"),
                           Reply("HTTP/1.0 204 No Content\r\n\r\n")});
    const RefusingPort refusing;
    AgentDefinition agent;
    agent.URL = server.Url("/page");
    agent.FILE = folder / "out.txt";
    agent.SCRIPT = {"FIND \"<b>\"", "GETUNTIL \"<\"", "PRINT"};
    RecordingRunLog log, empty, failed;
    AgentEngine(agent, &log).Run();
    AgentEngine(agent, &empty).Run();
    agent.URL = "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/";
    testing::internal::CaptureStderr();
    AgentEngine(agent, &failed).Run();
    testing::internal::GetCapturedStderr();

    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Engine started.", "Setting variables...",
                                        ContactingLine(server.Port()), "Accessing URL - /page",
                                        "Opening output file: " + agent.FILE, "Starting script...",
                                        "", "# FIND \"<b>\"", "# GETUNTIL \"<\"", "<< bold",
                                        "# PRINT", ">> bold", "Agent completed."}));
    const std::string noSource = "ERROR: Unable to read specified URL or file";
    EXPECT_THAT(log.lines, Not(Contains(noSource)));
    EXPECT_THAT(empty.lines, Contains(noSource));
    EXPECT_THAT(failed.lines, Contains("ERROR: Failed to connect"));
    EXPECT_THAT(failed.lines, Not(Contains(noSource)));
}

TEST(HttpRun, TheRunnerKeepsToTheReadTimeoutItIsGiven) {
    const TempFolder folder;
    LoopbackServer server(
        {ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\npartial"}, {}, ScriptedReply::Ending::Hold}});
    WriteFile(folder / "slow.agt", "URL=" + server.Url() + "\nFILE=" + folder / "out.txt" +
                                       "\nSCRIPT\nGET 100\nPRINT\nENDSCRIPT\n");
    const std::string command = "'" GLEANWORK_RUN_PATH "' --read-timeout 0.2 --log '" +
                                folder / "run.log" + "' --agent-file '" + folder / "slow.agt" + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.txt")) << "a failed read writes nothing";
    EXPECT_THAT(ReadFile(folder / "run.log"),
                testing::HasSubstr("Accessing URL - /\nERROR: Socket read failed with code 110\n"));
}

TEST(HttpConcurrency, EnginesFetchingAtOnceKeepTheirOwnReplies) {
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    std::vector<std::string> texts(6);
    std::vector<std::thread> threads;
    servers.reserve(texts.size());
    for (std::size_t run = 0; run < texts.size(); ++run) {
        const std::string body(100000 + run, static_cast<char>('a' + run));
        servers.push_back(std::make_unique<LoopbackServer>(std::vector{
            ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n", body.substr(0, 500), body.substr(500)},
                          std::chrono::milliseconds(2)}}));
        threads.emplace_back([&, run] {
            AgentDefinition agent;
            agent.URL = servers[run]->Url("/start");
            AgentEngine engine(agent, nullptr);
            engine.SetHttpLimits({std::chrono::seconds(20), std::chrono::seconds(20), 7});
            engine.ReadSource(texts[run]);
        });
    }
    for (std::size_t run = 0; run < texts.size(); ++run) {
        threads[run].join();
        EXPECT_TRUE(texts[run] == std::string(100000 + run, static_cast<char>('a' + run))) << run;
    }
}

}  // namespace
}  // namespace gleanwork::test
