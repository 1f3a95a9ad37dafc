#include "storage/AgentFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/AgentSamples.h"
#include "support/TempFolder.h"
#include "support/WriteFailure.h"

namespace gleanwork::test {
namespace {

using Script = std::vector<std::string>;

// `agent` saved and read back into a record with its name.
AgentDefinition WriteAndRead(const AgentDefinition& agent) {
    const TempFolder folder;
    EXPECT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    AgentDefinition read = MakeAgent(agent.name);
    EXPECT_EQ(ReadAgentFile(read, AgentFilePath(folder.Path(), agent.name)), 0);
    return read;
}

// The file `content` read into `agent`.
AgentDefinition ReadContent(const std::string& content, AgentDefinition agent = {}) {
    const TempFolder folder;
    WriteFile(folder / "a.agt", content);
    EXPECT_EQ(ReadAgentFile(agent, folder / "a.agt"), 0);
    return agent;
}

TEST(AgentFile, WritesEveryKeyInItsOrderAndKeepsEveryFieldWithoutForgingLines) {
    const TempFolder folder;
    AgentDefinition agent = SampleAgent();
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    EXPECT_EQ(ReadFile(folder / "Weather.agt"),
              "DESCRIPTION=Forecast for caf\xE9s\nFILE=/tmp/weather.txt\nAPPEND=1\n"
              "HOST=proxy.invalid\nPORT=8080\nURL=http://weather.invalid/today\n"
              "USERAGENT=Mozilla/3.0 (compatible)\nWEBUSER=alice\nWEBPASS=secret\nDBUSER=clerk\n"
              "DBPASS=hidden\nDBSOURCE=forecasts\nDBINSERT=INSERT INTO f VALUES ('{t}')\n"
              "DBUPDATE=UPDATE f SET t = '{t}'\n"
              "SCRIPT\nFIND \"<b>\"\nGETUNTIL \"</b>\"\nPRINT\nENDSCRIPT\n");
    agent.DBINSERT = std::string(70000, 'i') + "={x}";
    agent.APPEND = -2147483647 - 1;
    EXPECT_EQ(WriteAndRead(agent), agent);
    agent.DESCRIPTION = "two\r\nlines\rhere";
    agent.SCRIPT = {"PRINT \"a\nFILE=/etc/passwd\"", "ENDSCRIPT\nSCRIPT"};
    const AgentDefinition read = WriteAndRead(agent);
    EXPECT_EQ(read.DESCRIPTION, "two lines here");
    EXPECT_EQ(read.FILE, agent.FILE);
    EXPECT_EQ(read.SCRIPT, (Script{"PRINT \"a FILE=/etc/passwd\"", "ENDSCRIPT SCRIPT"}));
}

TEST(AgentFile, ReadsKeyLinesAndScriptBlocksAsStored) {
    const AgentDefinition agent = ReadContent(
        "URL=http://a/b=c\r\nfile=ignored\n FILE=ignored\nFILE=first\nFILE= second \n"
        "APPEND=  7x\nNOSUCHKEY=1\nDESCRIPTION\n"
        "SCRIPT\n  A \n\n;c\nB\nENDSCRIPT\nSCRIPT=x\nendscript\nENDSCRIPT \nENDSCRIPT\n");
    EXPECT_EQ(agent.URL, "http://a/b=c");
    EXPECT_EQ(agent.FILE, " second ");
    EXPECT_EQ(agent.APPEND, 7);
    EXPECT_EQ(agent.SCRIPT, (Script{"  A ", "B", "endscript", "ENDSCRIPT "}));
    EXPECT_EQ(ReadContent("APPEND=99999999999\n").APPEND, 2147483647);
    const AgentDefinition unterminated = ReadContent("SCRIPT\nPRINT\nURL=u\n", SampleAgent());
    EXPECT_EQ(unterminated.SCRIPT.back(), "URL=u");
    EXPECT_EQ(unterminated.SCRIPT.size(), 5U);
    EXPECT_EQ(unterminated.URL, SampleAgent().URL);
}

TEST(AgentFile, UnusableFilesAndFailedWritesLeaveEverythingAsItWas) {
    const TempFolder folder;
    WriteFile(folder / "comments.agt", ";only\n\n;comments\r\n");
    std::filesystem::create_directory(folder / "dir.agt");
    AgentDefinition agent = SampleAgent();
    for (const char* file : {"comments.agt", "missing.agt", "dir.agt"}) {
        EXPECT_EQ(ReadAgentFile(agent, folder / file), -1) << file;
    }
    EXPECT_EQ(agent, SampleAgent());
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    agent.DESCRIPTION = "changed";
    {
        const ScopedWriteFailure failNow(0);
        EXPECT_EQ(WriteAgentFile(agent, folder.Path()), -1);
    }
    EXPECT_EQ(ReadContent(ReadFile(folder / "Weather.agt"), MakeAgent("Weather")), SampleAgent());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 3)
        << "a temporary file stayed behind";
    EXPECT_EQ(WriteAgentFile(agent, folder / "missing-folder"), -1);
    for (const char* name : {"", ".", "..", "a/b", "new\nline"}) {
        agent.name = name;
        EXPECT_EQ(WriteAgentFile(agent, folder.Path()), -1) << name;
    }
}

}  // namespace
}  // namespace gleanwork::test
