// Runs on threads of their own, as the windows start them: a stop from
// another thread at any moment ends a run that loops by design, and runs at
// the same time share nothing. Built with ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/AgentEngine.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using namespace std::chrono_literals;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

constexpr auto kRunLimit = 20s;

// A run log that the run thread writes and the test thread reads.
class SharedRunLog : public RunLog {
public:
    void LogLine(std::string_view line) override {
        const std::lock_guard lock(mutex_);
        lastLine_.assign(line);
    }
    void LogCommand(std::string_view) override {
        const std::lock_guard lock(mutex_);
        ++commands_;
        changed_.notify_all();
    }

    bool WaitForCommands(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kRunLimit, [&] { return commands_ >= count; });
    }
    std::string LastLine() {
        const std::lock_guard lock(mutex_);
        return lastLine_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int commands_ = 0;
    std::string lastLine_;
};

// An agent that prints `mark` over and over until it is stopped.
AgentDefinition LoopingAgent(const TempFolder& folder, const std::string& mark) {
    AgentDefinition agent;
    agent.name = mark;
    agent.URL = folder / (mark + ".txt");
    agent.FILE = folder / (mark + ".out");
    WriteFile(agent.URL, "ab");
    agent.SCRIPT = {"BOOKMARK loop", "MATCH \"a\"", "PRINT \"" + mark + "\"", "JUMPIFOK loop"};
    return agent;
}

// Waits for a run to end; a run that does not end in time fails the test and
// is stopped again so that the test itself ends.
void ExpectEnds(std::future<void>& run, AgentEngine& engine) {
    if (run.wait_for(kRunLimit) != std::future_status::ready) {
        ADD_FAILURE() << "the run did not end after it was stopped";
        engine.Stop();
    }
    run.get();
}

TEST(RunThreads, StopFromAnotherThreadEndsALoopingRun) {
    TempFolder folder;
    SharedRunLog log;
    AgentEngine engine(LoopingAgent(folder, "x"), &log);
    std::future<void> run = std::async(std::launch::async, [&] { engine.Run(); });
    EXPECT_TRUE(log.WaitForCommands(1000));
    engine.Stop();
    ExpectEnds(run, engine);
    EXPECT_EQ(log.LastLine(), "Agent completed.");
    EXPECT_FALSE(engine.IsRunning());
}

TEST(RunThreads, StopWhileTheRunStartsIsNeverLost) {
    TempFolder folder;
    for (int attempt = 0; attempt < 50; ++attempt) {
        SharedRunLog log;
        AgentEngine engine(LoopingAgent(folder, "x"), &log);
        std::future<void> run = std::async(std::launch::async, [&] { engine.Run(); });
        engine.Stop();
        ExpectEnds(run, engine);
        EXPECT_EQ(log.LastLine(), "Agent completed.");
    }
}

TEST(RunThreads, RunsAtTheSameTimeKeepTheirOwnOutput) {
    TempFolder folder;
    const std::vector<std::string> marks{"a", "b", "c", "d"};
    std::vector<std::unique_ptr<SharedRunLog>> logs;
    std::vector<std::unique_ptr<AgentEngine>> engines;
    std::vector<std::future<void>> runs;
    for (const std::string& mark : marks) {
        logs.push_back(std::make_unique<SharedRunLog>());
        engines.push_back(
            std::make_unique<AgentEngine>(LoopingAgent(folder, mark), logs.back().get()));
        runs.push_back(
            std::async(std::launch::async, [&engine = *engines.back()] { engine.Run(); }));
    }
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_TRUE(logs[i]->WaitForCommands(300));
        engines[i]->Stop();
    }
    for (std::size_t i = 0; i < marks.size(); ++i) {
        ExpectEnds(runs[i], *engines[i]);
        const std::string output = ReadFile(folder / (marks[i] + ".out"));
        EXPECT_GE(output.size(), 100U);
        EXPECT_EQ(output.find_first_not_of(marks[i]), std::string::npos) << marks[i];
        EXPECT_EQ(logs[i]->LastLine(), "Agent completed.");
    }
}

}  // namespace
}  // namespace gleanwork
