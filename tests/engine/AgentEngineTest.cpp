#include "engine/AgentEngine.h"

#include <gtest/gtest.h>

#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using Lines = std::vector<std::string>;

// The run log of one run of `agent`, stopped before it starts when asked.
Lines LogOfRun(const AgentDefinition& agent, bool stopFirst = false) {
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    if (stopFirst) {
        engine.Stop();
    }
    engine.Run();
    EXPECT_TRUE(!stopFirst || !engine.IsRunning());
    return log.lines;
}

TEST(AgentEngineTest, ReadsOnlyLowerCaseHttpAsAUrlAndFallsBackToStandardOutput) {
    const TempFolder folder;
    for (const std::string url : {"HTTP://example.test/", "http:/", "Http://x", ""}) {
        AgentDefinition agent;
        agent.URL = url;
        agent.FILE = folder.Path();
        Lines log = LogOfRun(agent);
        ASSERT_GT(log.size(), 3u);
        EXPECT_TRUE(log[3].starts_with("ERROR: Cannot read ")) << log[3];
        log.erase(log.begin() + 3);
        EXPECT_EQ(log, (Lines{"Engine started.", "Setting variables...", "Reading file: " + url,
                              "ERROR: Unable to read specified URL or file",
                              "Output file left as it was: " + folder.Path(), "Starting script...",
                              "", "Agent completed."}));
    }
    AgentDefinition agent;
    agent.URL = folder / "page.html";
    WriteFile(agent.URL, "");
    agent.FILE = folder / "missing/out.txt";
    const Lines log = LogOfRun(agent);
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[4], "Error opening output file!");
    EXPECT_TRUE(log[5].starts_with("ERROR: Cannot open " + agent.FILE + ": ")) << log[5];
}

TEST(AgentEngineTest, ReplacesOrAppendsAndAStopBeforeTheRunRunsNoLine) {
    const TempFolder folder;
    WriteFile(folder / "page.html", "<a>");
    AgentDefinition agent;
    agent.URL = folder / "page.html";
    agent.FILE = folder / "out.txt";
    agent.SCRIPT = {"PRINT \"new\""};
    for (const auto& [append, expected] :
         std::vector<std::pair<int, std::string>>{{1, "oldnew"}, {-3, "oldnew"}, {0, "new"}}) {
        WriteFile(agent.FILE, "old");
        agent.APPEND = append;
        LogOfRun(agent);
        EXPECT_EQ(ReadFile(agent.FILE), expected) << append;
    }
    EXPECT_EQ(LogOfRun(agent, true),
              (Lines{"Engine started.", "Setting variables...", "Reading file: " + agent.URL,
                     "Output file left as it was: " + agent.FILE, "Starting script...", "",
                     "Agent completed."}));
    EXPECT_EQ(ReadFile(agent.FILE), "new");

    AgentDefinition changing = agent;
    AgentEngine engine(changing, nullptr);
    changing.URL = "changed";
    std::string text;
    EXPECT_EQ(engine.ReadSource(text), 1);
    EXPECT_EQ(text, "<a>");
}

}  // namespace
}  // namespace gleanwork::test
