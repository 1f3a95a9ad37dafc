#include "storage/AgentFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/AgentSamples.h"
#include "support/CaseFile.h"
#include "support/TempFolder.h"
#include "support/WriteFailure.h"

namespace gleanwork::test {
namespace {

TEST(AgentFile, ReadsAndSavesTheCaseFile) {
    const CaseFile file = ReadCaseFile(GLEANWORK_TEST_DATA "/storage/agent-files.txt",
                                       {"stored", "saved", "unreadable"});
    EXPECT_EQ(file.errors, std::vector<std::string>());
    const TempFolder folder;
    for (const Case& c : file.cases) {
        SCOPED_TRACE(c.name);
        WriteFile(folder / "stored", c.Text("stored") + "\n");
        AgentDefinition agent = MakeAgent("Case");
        EXPECT_EQ(ReadAgentFile(agent, folder / "stored"), c.Has("unreadable") ? -1 : 0);
        ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
        EXPECT_EQ(ReadFile(folder / "Case.agt"), c.Text("saved") + "\n");
    }
}

// `agent` saved and read back into a record with its name.
AgentDefinition WriteAndRead(const AgentDefinition& agent) {
    const TempFolder folder;
    EXPECT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    AgentDefinition read = MakeAgent(agent.name);
    EXPECT_EQ(ReadAgentFile(read, AgentFilePath(folder.Path(), agent.name)), 0);
    return read;
}

TEST(AgentFile, LongValuesSurviveAndLineBreaksOrScriptEndsForgeNoSetting) {
    AgentDefinition agent = SampleAgent();
    agent.DBINSERT = std::string(70000, 'i') + "={x}";
    agent.SCRIPT = {"PRINT \"a\nFILE=/etc/passwd\"", "ENDSCRIPT", "URL=/etc/shadow"};
    AgentDefinition expected = agent;
    expected.SCRIPT = {"PRINT \"a FILE=/etc/passwd\"", " ENDSCRIPT", "URL=/etc/shadow"};
    EXPECT_EQ(WriteAndRead(agent), expected);
    EXPECT_EQ(WriteAndRead(expected), expected);
}

TEST(AgentFile, UnusableFilesAndFailedWritesLeaveEverythingAsItWas) {
    const TempFolder folder;
    std::filesystem::create_directory(folder / "dir.agt");
    AgentDefinition agent = SampleAgent();
    for (const char* file : {"missing.agt", "dir.agt"}) {
        EXPECT_EQ(ReadAgentFile(agent, folder / file), -1) << file;
    }
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    agent.DESCRIPTION = "changed";
    {
        const ScopedWriteFailure failNow(0);
        EXPECT_EQ(WriteAgentFile(agent, folder.Path()), -1);
    }
    AgentDefinition read = MakeAgent("Weather");
    EXPECT_EQ(ReadAgentFile(read, folder / "Weather.agt"), 0);
    EXPECT_EQ(read, SampleAgent());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2)
        << "a temporary file stayed behind";
    EXPECT_EQ(WriteAgentFile(agent, folder / "missing-folder"), -1);
    agent.name = std::string(kLongestAgentName, 'n');
    EXPECT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "a/b", "new\nline", agent.name + "n"}) {
        agent.name = name;
        EXPECT_EQ(WriteAgentFile(agent, folder.Path()), -1) << name;
    }
}

}  // namespace
}  // namespace gleanwork::test
