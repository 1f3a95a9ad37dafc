#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/AgentEngine.h"
#include "net/LoopbackServer.h"
#include "support/RecordingRunLog.h"

namespace gleanwork::test {
namespace {

using ::testing::Contains;

TEST(HttpConcurrency, EnginesFetchingAtOnceKeepTheirOwnReplies) {
    constexpr int kRuns = 6;
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    std::vector<std::string> bodies;
    for (int run = 0; run < kRuns; ++run) {
        bodies.push_back(std::string(100000 + run, static_cast<char>('a' + run)));
        servers.push_back(std::make_unique<LoopbackServer>(std::vector<ScriptedReply>{}));
        LoopbackServer& server = *servers.back();
        server.Script({Reply("HTTP/1.0 302 Found\r\nLocation: " + server.Url("/body") + "\r\n\r\n"),
                       ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n", bodies.back().substr(0, 500),
                                      bodies.back().substr(500)},
                                     std::chrono::milliseconds(2)}});
    }
    std::vector<RecordingRunLog> logs(kRuns);
    std::vector<std::string> texts(kRuns);
    std::vector<std::int64_t> results(kRuns);
    std::vector<std::thread> threads;
    for (int run = 0; run < kRuns; ++run) {
        threads.emplace_back([&, run] {
            AgentDefinition agent;
            agent.URL = servers[run]->Url("/start");
            AgentEngine engine(agent, &logs[run]);
            engine.SetHttpLimits({std::chrono::seconds(20), std::chrono::seconds(20), 7});
            results[run] = engine.ReadSource(texts[run]);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int run = 0; run < kRuns; ++run) {
        EXPECT_EQ(results[run], static_cast<std::int64_t>(bodies[run].size()));
        EXPECT_TRUE(texts[run] == bodies[run]) << "run " << run;
        EXPECT_THAT(logs[run].lines, Contains("Accessing URL - /body"));
    }
}

}  // namespace
}  // namespace gleanwork::test
