#include "storage/AgentFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/WriteFailure.h"
#include "support/AgentSamples.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using ::gleanwork::test::ReadFile;
using ::gleanwork::test::SampleAgent;
using ::gleanwork::test::ScopedWriteFailure;
using ::gleanwork::test::TempFolder;
using ::gleanwork::test::WriteFile;

AgentDefinition WriteAndRead(const AgentDefinition& agent) {
    TempFolder folder;
    EXPECT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    AgentDefinition read;
    read.name = agent.name;
    EXPECT_EQ(ReadAgentFile(read, AgentFilePath(folder.Path(), agent.name)), 0);
    return read;
}

AgentDefinition ReadContent(const std::string& content) {
    TempFolder folder;
    WriteFile(folder / "a.agt", content);
    AgentDefinition agent;
    EXPECT_EQ(ReadAgentFile(agent, folder / "a.agt"), 0);
    return agent;
}

TEST(WriteAgentFile, WritesEveryKeyInItsOrder) {
    TempFolder folder;
    AgentDefinition agent = SampleAgent();
    agent.DESCRIPTION.clear();
    agent.APPEND = -1;
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    EXPECT_EQ(ReadFile(folder / "Weather.agt"),
              "DESCRIPTION=\nFILE=/tmp/weather.txt\nAPPEND=-1\nHOST=proxy.invalid\nPORT=8080\n"
              "URL=http://weather.invalid/today\nUSERAGENT=Mozilla/3.0 (compatible)\n"
              "WEBUSER=alice\nWEBPASS=secret\nDBUSER=clerk\nDBPASS=hidden\nDBSOURCE=forecasts\n"
              "DBINSERT=INSERT INTO f VALUES ('{t}')\nDBUPDATE=UPDATE f SET t = '{t}'\n"
              "SCRIPT\nFIND \"<b>\"\nGETUNTIL \"</b>\"\nPRINT\nENDSCRIPT\n");

    AgentDefinition empty;
    empty.name = "Empty";
    ASSERT_EQ(WriteAgentFile(empty, folder.Path()), 0);
    EXPECT_TRUE(ReadFile(folder / "Empty.agt").ends_with("DBUPDATE=\nSCRIPT\nENDSCRIPT\n"));
}

TEST(AgentFileRoundTrip, KeepsEveryFieldIncludingVeryLongOnes) {
    const AgentDefinition agent = SampleAgent();
    EXPECT_EQ(WriteAndRead(agent), agent);

    AgentDefinition longOne = SampleAgent();
    longOne.DESCRIPTION = std::string(5000, 'd');
    longOne.DBINSERT = std::string(1023, 'i') + "={x}";
    longOne.SCRIPT = {std::string(4000, 's'), "PRINT \"" + std::string(70000, 'p') + "\""};
    longOne.APPEND = -2147483647 - 1;
    EXPECT_EQ(WriteAndRead(longOne), longOne);
}

TEST(AgentFileRoundTrip, LineBreaksInValuesBecomeSpacesInsteadOfForgingLines) {
    AgentDefinition agent = SampleAgent();
    agent.DBINSERT = "INSERT INTO t\nVALUES (1)";
    agent.DESCRIPTION = "two\r\nlines\rhere";
    agent.SCRIPT = {"PRINT \"a\nFILE=/etc/passwd\"", "ENDSCRIPT\nSCRIPT"};
    const AgentDefinition read = WriteAndRead(agent);
    EXPECT_EQ(read.DBINSERT, "INSERT INTO t VALUES (1)");
    EXPECT_EQ(read.DESCRIPTION, "two lines here");
    EXPECT_EQ(read.FILE, agent.FILE);
    EXPECT_EQ(read.SCRIPT,
              (std::vector<std::string>{"PRINT \"a FILE=/etc/passwd\"", "ENDSCRIPT SCRIPT"}));
}

TEST(ReadAgentFile, AppliesKeyLinesAsStored) {
    const AgentDefinition agent = ReadContent(
        "URL=http://a/b=c\r\n"
        "file=ignored\n"
        " FILE=ignored\n"
        "FILE=first\n"
        "FILE= second \n"
        "APPEND=  7x\n"
        "NOSUCHKEY=1\n"
        "DESCRIPTION\n");
    EXPECT_EQ(agent.URL, "http://a/b=c");
    EXPECT_EQ(agent.FILE, " second ");
    EXPECT_EQ(agent.APPEND, 7);
    EXPECT_EQ(agent.DESCRIPTION, "");
    EXPECT_EQ(ReadContent("APPEND=yes\n").APPEND, 0);
    EXPECT_EQ(ReadContent("APPEND=99999999999\n").APPEND, 2147483647);
}

TEST(ReadAgentFile, CollectsScriptBlocks) {
    using Script = std::vector<std::string>;
    EXPECT_EQ(
        ReadContent("SCRIPT\n  A \n\n;c\nB\nENDSCRIPT\nURL=u\nSCRIPT=x\nC\nENDSCRIPT\n").SCRIPT,
        (Script{"  A ", "B", "C"}));
    const AgentDefinition unterminated = ReadContent("SCRIPT\nA\nURL=u\n");
    EXPECT_EQ(unterminated.SCRIPT, (Script{"A", "URL=u"}));
    EXPECT_EQ(unterminated.URL, "");
    EXPECT_EQ(ReadContent("SCRIPT\nendscript\nENDSCRIPT \nENDSCRIPT\n").SCRIPT,
              (Script{"endscript", "ENDSCRIPT "}));

    TempFolder folder;
    WriteFile(folder / "a.agt", "SCRIPT\nNEW\nENDSCRIPT\n");
    AgentDefinition withScript;
    withScript.SCRIPT = {"OLD"};
    ASSERT_EQ(ReadAgentFile(withScript, folder / "a.agt"), 0);
    EXPECT_EQ(withScript.SCRIPT, (Script{"OLD", "NEW"}));
}

TEST(ReadAgentFile, ReportsFilesWithoutUsableLinesAndLeavesTheRecordAlone) {
    TempFolder folder;
    WriteFile(folder / "comments.agt", ";only\n\n;comments\r\n");
    std::filesystem::create_directory(folder / "dir.agt");
    AgentDefinition agent = SampleAgent();
    const AgentDefinition before = agent;
    EXPECT_EQ(ReadAgentFile(agent, folder / "comments.agt"), -1);
    EXPECT_EQ(ReadAgentFile(agent, folder / "missing.agt"), -1);
    EXPECT_EQ(ReadAgentFile(agent, folder / "dir.agt"), -1);
    EXPECT_EQ(agent, before);
}

TEST(ReadAgentFile, SurvivesBinaryContent) {
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes.push_back(static_cast<char>((i * 7919) % 256));
    }
    TempFolder folder;
    WriteFile(folder / "bin.agt", bytes);
    AgentDefinition agent;
    EXPECT_EQ(ReadAgentFile(agent, folder / "bin.agt"), 0);
}

TEST(WriteAgentFile, FailsWithoutTouchingTheOldFile) {
    TempFolder folder;
    AgentDefinition agent = SampleAgent();
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    const std::string before = ReadFile(folder / "Weather.agt");

    agent.DESCRIPTION = "changed";
    {
        ScopedWriteFailure failNow(0);
        EXPECT_EQ(WriteAgentFile(agent, folder.Path()), -1);
    }
    EXPECT_EQ(ReadFile(folder / "Weather.agt"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file may stay behind";

    EXPECT_EQ(WriteAgentFile(agent, folder / "missing-folder"), -1);
    for (const char* name : {"", ".", "..", "a/b", "new\nline"}) {
        agent.name = name;
        EXPECT_EQ(WriteAgentFile(agent, folder.Path()), -1) << name;
    }
}

}  // namespace
}  // namespace gleanwork
