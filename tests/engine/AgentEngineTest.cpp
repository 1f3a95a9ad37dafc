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
        EXPECT_EQ(LogOfRun(agent),
                  (Lines{"Engine started.", "Setting variables...", "Reading file: " + url,
                         "ERROR: Unable to read specified URL or file",
                         "Opening output file: " + folder.Path(), "Error opening output file!",
                         "Starting script...", "", "Agent completed."}));
    }
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
                     "Opening output file: " + agent.FILE, "Starting script...", "",
                     "Agent completed."}));
    EXPECT_EQ(ReadFile(agent.FILE), "");

    AgentDefinition changing = agent;
    AgentEngine engine(changing, nullptr);
    changing.URL = "changed";
    std::string text;
    EXPECT_EQ(engine.ReadSource(text), 1);
    EXPECT_EQ(text, "<a>");
}

}  // namespace
}  // namespace gleanwork::test
