#include "engine/AgentEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using ::gleanwork::test::ReadFile;
using ::gleanwork::test::RecordingRunLog;
using ::gleanwork::test::TempFolder;
using ::gleanwork::test::WriteFile;
using Lines = std::vector<std::string>;

class AgentEngineTest : public ::testing::Test {
protected:
    AgentEngineTest() {
        WriteFile(folder_ / "page.html", "<a href=\"x\">");
        agent_.name = "Test";
        agent_.URL = folder_ / "page.html";
        agent_.FILE = folder_ / "out.txt";
    }

    Lines Run() {
        RecordingRunLog log;
        AgentEngine engine(agent_, &log);
        engine.Run();
        return log.lines;
    }

    TempFolder folder_;
    AgentDefinition agent_;
};

TEST_F(AgentEngineTest, LogsAnOrdinaryRunStepByStep) {
    EXPECT_EQ(Run(), (Lines{"Engine started.", "Setting variables...",
                            "Reading file: " + agent_.URL, "Opening output file: " + agent_.FILE,
                            "Starting script...", "", "Agent completed."}));
    EXPECT_TRUE(std::filesystem::exists(agent_.FILE));
}

TEST_F(AgentEngineTest, TreatsAnythingButLowerCaseHttpAsAFilePath) {
    for (const std::string url : {"HTTP://example.test/", "http:/", "Http://x", ""}) {
        agent_.URL = url;
        agent_.FILE.clear();
        Lines log = Run();
        ASSERT_GT(log.size(), 3u);
        EXPECT_TRUE(log[3].starts_with("ERROR: Cannot read ")) << log[3];
        log.erase(log.begin() + 3);
        EXPECT_EQ(log, (Lines{"Engine started.", "Setting variables...", "Reading file: " + url,
                              "ERROR: Unable to read specified URL or file", "Starting script...",
                              "", "Agent completed."}))
            << url;
    }
}

TEST_F(AgentEngineTest, FallsBackToStandardOutputWhenTheOutputCannotBeOpened) {
    for (const std::string& file : {folder_.Path(), folder_ / "missing/out.txt"}) {
        agent_.FILE = file;
        const Lines log = Run();
        ASSERT_EQ(log.size(), 9u);
        EXPECT_EQ(log[3], "Opening output file: " + file);
        EXPECT_EQ(log[4], "Error opening output file!");
        EXPECT_TRUE(log[5].starts_with("ERROR: Cannot open " + file + ": ")) << log[5];
        EXPECT_EQ(log[6], "Starting script...");
    }
}

TEST_F(AgentEngineTest, ReplacesOrAppendsToTheOutputFile) {
    WriteFile(agent_.FILE, "previous run\n");
    agent_.APPEND = 1;
    Run();
    EXPECT_EQ(ReadFile(agent_.FILE), "previous run\n");
    agent_.APPEND = -3;
    Run();
    EXPECT_EQ(ReadFile(agent_.FILE), "previous run\n");
    agent_.APPEND = 0;
    Run();
    EXPECT_EQ(ReadFile(agent_.FILE), "")
        << "a replacing run empties the file even if it prints nothing";
}

TEST_F(AgentEngineTest, AStopBeforeTheRunReadsButLeavesTheOutputAndRunsNoLine) {
    agent_.SCRIPT = {"PRINT \"never\"", "PRINTLN \"never\""};
    WriteFile(agent_.FILE, "old");
    RecordingRunLog log;
    AgentEngine engine(agent_, &log);
    engine.Stop();
    engine.Run();
    EXPECT_EQ(log.lines,
              (Lines{"Engine started.", "Setting variables...", "Reading file: " + agent_.URL,
                     "Output file left as it was: " + agent_.FILE, "Starting script...", "",
                     "Agent completed."}));
    EXPECT_EQ(ReadFile(agent_.FILE), "old");
    EXPECT_FALSE(engine.IsRunning());
}

TEST_F(AgentEngineTest, RunsItsOwnCopyOfTheAgent) {
    AgentDefinition agent = agent_;
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    agent.URL = "changed";
    agent.FILE.clear();
    engine.Run();
    EXPECT_EQ(log.lines.at(2), "Reading file: " + agent_.URL);
    EXPECT_EQ(log.lines.at(3), "Opening output file: " + agent_.FILE);
}

TEST_F(AgentEngineTest, RunsSilentlyWithoutALog) {
    AgentEngine engine(agent_, nullptr);
    engine.Run();
    std::string text;
    EXPECT_EQ(engine.ReadSource(text), 1);
    EXPECT_EQ(text, "<a href=\"x\">");
}

}  // namespace
}  // namespace gleanwork
