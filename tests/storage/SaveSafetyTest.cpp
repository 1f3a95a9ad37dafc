// Saves that fail part way, files the user has protected, and script lines
// that could forge settings.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/ScriptLine.h"
#include "storage/AgentCatalogue.h"
#include "storage/AgentFile.h"
#include "support/AgentSamples.h"
#include "support/TempFolder.h"
#include "support/WriteFailure.h"

namespace gleanwork::test {
namespace {

mode_t PermissionsOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST(SaveSafety, ReplacedFilesKeepTheirPermissions) {
    TempInstallFolder folder;
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("Bank", "holds a password"));
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    ASSERT_EQ(::chmod((folder / "Agents/Bank.agt").c_str(), 0600), 0);
    ASSERT_EQ(::chmod((folder / "AGENTS.INI").c_str(), 0640), 0);
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(PermissionsOf(folder / "Agents/Bank.agt"), 0600u);
    EXPECT_EQ(PermissionsOf(folder / "AGENTS.INI"), 0640u);
}

TEST(SaveSafety, ListIsNotWrittenWhenOneAgentFileFails) {
    TempInstallFolder folder;
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("A", "old"));
    catalogue.AddAgent(MakeAgent("B", "old"));
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    catalogue.At(0).DESCRIPTION = "new";
    catalogue.At(1).name = "Renamed";  // its file fails: the list must keep B
    {
        const ScopedWriteFailure failing("Renamed.agt");
        EXPECT_EQ(catalogue.SaveCatalogue(), -1);
    }
    AgentCatalogue reloaded;
    reloaded.LoadCatalogue();
    ASSERT_EQ(reloaded.Count(), 2u);
    EXPECT_EQ(reloaded.At(0).DESCRIPTION, "new") << "the other files are still written";
    EXPECT_EQ(reloaded.At(1), MakeAgent("B", "old"));
}

TEST(SaveSafety, ScriptLineEndscriptStaysAScriptLine) {
    TempFolder folder;
    AgentDefinition agent = MakeAgent("Forged");
    agent.SCRIPT = {"ENDSCRIPT", "URL=/etc/shadow"};
    for (int save = 0; save < 2; ++save) {  // and stays so on the next save
        ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
        AgentDefinition read = MakeAgent(agent.name);
        ASSERT_EQ(ReadAgentFile(read, AgentFilePath(folder.Path(), agent.name)), 0);
        EXPECT_EQ(read.URL, "");
        EXPECT_EQ(read.SCRIPT, (std::vector<std::string>{" ENDSCRIPT", "URL=/etc/shadow"}));
        EXPECT_EQ(ParseScriptLine(read.SCRIPT[0]).command, ScriptCommand::kUnknown);
        agent = read;
    }
}

}  // namespace
}  // namespace gleanwork::test
