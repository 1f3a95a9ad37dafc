// Runs on threads of their own, as the windows start them: a stop from
// another thread at any moment ends a run that loops by design, and runs at
// the same time share nothing. Built with ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <future>
#include <memory>

#include "run/AgentEngine.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// A run of an agent that prints `mark` until it is stopped: it reads its
// page again at every turn, so it never knows that nothing changes.
struct LoopingRun {
    LoopingRun(const TempFolder& folder, const std::string& mark)
        : output(folder / (mark + ".out")) {
        AgentDefinition agent;
        agent.URL = folder / (mark + ".txt");
        agent.FILE = output;
        WriteFile(agent.URL, "ab");
        agent.SCRIPT = {"BOOKMARK loop", "FETCH \"" + mark + ".txt\"", "MATCH \"a\"",
                        "PRINT \"" + mark + "\"", "JUMPIFOK loop"};
        engine = std::make_unique<AgentEngine>(agent, &log);
        run = std::async(std::launch::async, [this] { engine->Run(); });
    }

    // Stops the run and checks that it ends in time and completes.
    void StopAndExpectEnd() {
        engine->Stop();
        if (run.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            ADD_FAILURE() << "the run did not end after it was stopped";
            engine->Stop();
        }
        run.get();
        EXPECT_EQ(log.Lines().back(), "Agent completed.");
        EXPECT_FALSE(engine->IsRunning());
    }

    std::string output;
    RecordingRunLog log;
    std::unique_ptr<AgentEngine> engine;
    std::future<void> run;
};

TEST(RunThreads, AStopWhileARunStartsOrLoopsIsNeverLostAndRunsKeepTheirOwnOutput) {
    const TempFolder folder;
    for (int attempt = 0; attempt < 50; ++attempt) {
        LoopingRun(folder, "x").StopAndExpectEnd();
    }
    std::vector<std::unique_ptr<LoopingRun>> runs;
    for (const std::string mark : {"a", "b", "c", "d"}) {
        runs.push_back(std::make_unique<LoopingRun>(folder, mark));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_TRUE(runs[i]->log.WaitForLines(1000));
        runs[i]->StopAndExpectEnd();
        const std::string output = ReadFile(runs[i]->output);
        EXPECT_GE(output.size(), 100U);
        EXPECT_EQ(output.find_first_not_of(static_cast<char>('a' + i)), std::string::npos);
    }
}

}  // namespace
}  // namespace gleanwork::test
