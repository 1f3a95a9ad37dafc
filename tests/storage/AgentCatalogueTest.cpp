#include "storage/AgentCatalogue.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/AgentFile.h"
#include "support/WriteFailure.h"
#include "storage/InstallFolder.h"
#include "support/AgentSamples.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using ::gleanwork::test::MakeAgent;
using ::gleanwork::test::ReadFile;
using ::gleanwork::test::ScopedEnvironment;
using ::gleanwork::test::ScopedWriteFailure;
using ::gleanwork::test::TempInstallFolder;
using ::gleanwork::test::WriteFile;
using Names = std::vector<std::string>;

class AgentCatalogueTest : public ::testing::Test {
protected:
    AgentCatalogueTest() { std::filesystem::create_directory(folder_ / "Agents"); }

    void WriteAgent(const std::string& name, const std::string& content) {
        WriteFile(folder_ / ("Agents/" + name + ".agt"), content);
    }

    static Names NamesOf(const AgentCatalogue& catalogue) {
        Names names;
        for (std::size_t i = 0; i < catalogue.Count(); ++i) {
            names.push_back(catalogue.At(i).name);
        }
        return names;
    }

    TempInstallFolder folder_;
};

TEST_F(AgentCatalogueTest, LoadsListedAgentsInOrderAndLeavesOutTheUnreadable) {
    WriteFile(folder_ / "AGENTS.INI", "A\r\n;B\n\nC\nMissing\nComments\n../Agents/A\n.\nA\n");
    WriteAgent("A", "DESCRIPTION=first\n");
    WriteAgent("C", "URL=c.html\n");
    WriteAgent("Comments", ";nothing\n\n");
    AgentCatalogue catalogue;
    catalogue.LoadCatalogue();
    EXPECT_EQ(NamesOf(catalogue), (Names{"A", "C", "A"}));
    EXPECT_EQ(catalogue.At(0).DESCRIPTION, "first");
    EXPECT_NE(&catalogue.At(0), &catalogue.At(2)) << "a name listed twice gives two records";

    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(ReadFile(folder_ / "AGENTS.INI"), "A\nC\nA\n");
}

TEST_F(AgentCatalogueTest, LoadsNothingWithoutACatalogueFile) {
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("Old", ""));
    catalogue.LoadCatalogue();
    EXPECT_EQ(catalogue.Count(), 0u);
    std::filesystem::create_directory(folder_ / "AGENTS.INI");
    catalogue.LoadCatalogue();
    EXPECT_EQ(catalogue.Count(), 0u);
}

TEST_F(AgentCatalogueTest, SavesEveryAgentFileAndTheListAndReloadsThem) {
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("X", "x"));
    AgentDefinition& y = catalogue.AddAgent(MakeAgent("Y", "y"));
    catalogue.AddAgent(MakeAgent("Z", "z"));
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(ReadFile(folder_ / "AGENTS.INI"), "X\nY\nZ\n");

    EXPECT_TRUE(catalogue.RemoveAgent(&y));
    EXPECT_FALSE(catalogue.RemoveAgent(&y));
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(ReadFile(folder_ / "AGENTS.INI"), "X\nZ\n");
    EXPECT_TRUE(std::filesystem::exists(folder_ / "Agents/Y.agt"));

    AgentCatalogue reloaded;
    reloaded.LoadCatalogue();
    EXPECT_EQ(NamesOf(reloaded), (Names{"X", "Z"}));
    EXPECT_EQ(reloaded.At(1), catalogue.At(1));
}

TEST_F(AgentCatalogueTest, FindsNamesExactlyAndFirstFirst) {
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("news", "lower"));
    catalogue.AddAgent(MakeAgent("News", "first"));
    catalogue.AddAgent(MakeAgent("News", "second"));
    ASSERT_NE(catalogue.FindAgent("News"), nullptr);
    EXPECT_EQ(catalogue.FindAgent("News")->DESCRIPTION, "first");
    EXPECT_EQ(catalogue.FindAgent("NEWS"), nullptr);

    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    AgentCatalogue reloaded;
    reloaded.LoadCatalogue();
    ASSERT_EQ(reloaded.Count(), 3u);
    EXPECT_EQ(reloaded.At(1).DESCRIPTION, "second") << "the later record's file wins";
    EXPECT_EQ(reloaded.At(2).DESCRIPTION, "second");
}

TEST_F(AgentCatalogueTest, CreatesMissingFolders) {
    ScopedEnvironment nested("GLEANWORK_INSTALLDIR", (folder_ / "a/b/gleanwork").c_str());
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("X", "x"));
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(ReadFile(folder_ / "a/b/gleanwork/AGENTS.INI"), "X\n");
    EXPECT_TRUE(std::filesystem::exists(folder_ / "a/b/gleanwork/Agents/X.agt"));
}

TEST_F(AgentCatalogueTest, ReportsEveryFileThatWasNotWritten) {
    AgentCatalogue catalogue;
    catalogue.AddAgent(MakeAgent("X", "x"));
    catalogue.AddAgent(MakeAgent("bad/name", ""));
    EXPECT_EQ(catalogue.SaveCatalogue(), -1);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "AGENTS.INI")) << "no list without every file";

    AgentCatalogue blocked;
    blocked.AddAgent(MakeAgent("X", "x"));
    std::filesystem::remove(folder_ / "AGENTS.INI");
    std::filesystem::create_directory(folder_ / "AGENTS.INI");
    EXPECT_EQ(blocked.SaveCatalogue(), -1);

    WriteFile(folder_ / "file", "");
    ScopedEnvironment notAFolder("GLEANWORK_INSTALLDIR", (folder_ / "file").c_str());
    EXPECT_EQ(blocked.SaveCatalogue(), -1);
}

TEST_F(AgentCatalogueTest, InterruptedSaveLeavesEveryFileWholeAndOldOrNew) {
    AgentCatalogue catalogue;
    for (const char* name : {"P", "Q", "R"}) {
        catalogue.AddAgent(MakeAgent(name, "old"));
    }
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    const std::string oldAgent = ReadFile(folder_ / "Agents/P.agt");
    for (std::size_t i = 0; i < catalogue.Count(); ++i) {
        catalogue.At(i).DESCRIPTION = "new";
    }
    catalogue.AddAgent(MakeAgent("S", "new"));
    ASSERT_EQ(WriteAgentFile(catalogue.At(0), folder_ / "reference"), -1);
    std::filesystem::create_directory(folder_ / "reference");
    ASSERT_EQ(WriteAgentFile(catalogue.At(0), folder_ / "reference"), 0);
    const std::string newAgent = ReadFile(folder_ / "reference/P.agt");

    // Five files per save: fail the first, the second, ... the fifth write.
    for (int written = 0; written < 5; ++written) {
        ScopedWriteFailure failure(written);
        EXPECT_EQ(catalogue.SaveCatalogue(), -1) << written;
        for (const char* name : {"P", "Q", "R"}) {
            const std::string content =
                ReadFile(folder_ / ("Agents/" + std::string(name) + ".agt"));
            EXPECT_TRUE(content == oldAgent || content.find("DESCRIPTION=new\n") == 0) << name;
        }
        const std::string list = ReadFile(folder_ / "AGENTS.INI");
        EXPECT_TRUE(list == "P\nQ\nR\n" || list == "P\nQ\nR\nS\n") << list;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".agt."), std::string::npos)
            << "temporary file left: " << entry.path();
        EXPECT_EQ(entry.path().filename().string().find(".INI."), std::string::npos)
            << "temporary file left: " << entry.path();
    }
    EXPECT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(ReadFile(folder_ / "Agents/P.agt"), newAgent);
    EXPECT_EQ(ReadFile(folder_ / "AGENTS.INI"), "P\nQ\nR\nS\n");
}

TEST(GetInstallFolder, PrefersTheVariableThenXdgThenHome) {
    ScopedEnvironment install("GLEANWORK_INSTALLDIR", "/opt/agents");
    ScopedEnvironment xdg("XDG_DATA_HOME", "/xdg");
    ScopedEnvironment home("HOME", "/home/u");
    EXPECT_EQ(GetInstallFolder(), "/opt/agents");
    {
        ScopedEnvironment emptyInstall("GLEANWORK_INSTALLDIR", "");
        EXPECT_EQ(GetInstallFolder(), "/xdg/gleanwork");
        ScopedEnvironment emptyXdg("XDG_DATA_HOME", "");
        EXPECT_EQ(GetInstallFolder(), "/home/u/.local/share/gleanwork");
        ScopedEnvironment noHome("HOME", nullptr);
        EXPECT_EQ(GetInstallFolder(), "");

        AgentCatalogue catalogue;
        catalogue.LoadCatalogue();
        EXPECT_EQ(catalogue.Count(), 0u);
        EXPECT_EQ(catalogue.SaveCatalogue(), -1);
    }
}

}  // namespace
}  // namespace gleanwork
