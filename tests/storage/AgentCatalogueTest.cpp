#include "storage/AgentCatalogue.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/AgentSamples.h"
#include "support/TempFolder.h"
#include "support/WriteFailure.h"

namespace gleanwork::test {
namespace {

using Names = std::vector<std::string>;

// Each agent of a freshly loaded catalogue as "name=description".
Names Reloaded() {
    AgentCatalogue catalogue;
    catalogue.LoadCatalogue();
    Names names;
    for (std::size_t i = 0; i < catalogue.Count(); ++i) {
        names.push_back(catalogue.At(i).name + "=" + catalogue.At(i).DESCRIPTION);
    }
    return names;
}

TEST(AgentCatalogue, LoadsListedAgentsInOrderAndLeavesOutTheUnreadable) {
    const TempInstallFolder folder;
    EXPECT_EQ(Reloaded(), Names{});
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "AGENTS.INI", "A\r\n;B\n\nC\nMissing\nComments\n../Agents/A\n.\nA\n");
    WriteFile(folder / "Agents/A.agt", "DESCRIPTION=first\n");
    WriteFile(folder / "Agents/C.agt", "URL=c.html\n");
    WriteFile(folder / "Agents/Comments.agt", ";nothing\n\n");
    EXPECT_EQ(Reloaded(), (Names{"A=first", "C=", "A=first"}));
}

TEST(AgentCatalogue, SavesEveryAgentAndWritesTheListOnlyWhenEveryFileIsWritten) {
    const TempInstallFolder folder;
    AgentCatalogue catalogue;
    for (const auto& [name, description] :
         {std::pair{"News", "first"}, {"news", "lower"}, {"News", "second"}}) {
        catalogue.AddAgent(MakeAgent(name, description));
    }
    {
        const ScopedEnvironment nested("GLEANWORK_INSTALLDIR", (folder / "a/b").c_str());
        ASSERT_EQ(catalogue.SaveCatalogue(), 0);
        EXPECT_EQ(ReadFile(folder / "a/b/AGENTS.INI"), "News\nnews\nNews\n");
        // The later record's file wins.
        EXPECT_EQ(Reloaded(), (Names{"News=second", "news=lower", "News=second"}));
    }
    {
        const ScopedWriteFailure failOne(0, "/news.agt");
        EXPECT_EQ(catalogue.SaveCatalogue(), -1);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "AGENTS.INI")) << "no list without every file";
    EXPECT_TRUE(ReadFile(folder / "Agents/News.agt").starts_with("DESCRIPTION=second\n"))
        << "the others are written";
    WriteFile(folder / "file", "");
    const ScopedEnvironment notAFolder("GLEANWORK_INSTALLDIR", (folder / "file").c_str());
    EXPECT_EQ(catalogue.SaveCatalogue(), -1);
}

TEST(AgentCatalogue, AnInterruptedSaveLeavesEveryFileWholeAndOldOrNewWithItsPermissions) {
    const TempInstallFolder folder;
    AgentCatalogue catalogue;
    for (const char* name : {"P", "Q", "R"}) {
        catalogue.AddAgent(MakeAgent(name, "old"));
    }
    ASSERT_EQ(catalogue.SaveCatalogue(), 0);
    for (std::size_t i = 0; i < catalogue.Count(); ++i) {
        catalogue.At(i).DESCRIPTION = "new";
    }
    catalogue.AddAgent(MakeAgent("S", "new"));
    // Five files per save: fail the first, the second, ... the fifth write.
    for (int written = 0; written < 5; ++written) {
        {
            const ScopedWriteFailure failure(written);
            EXPECT_EQ(catalogue.SaveCatalogue(), -1) << written;
        }
        const Names names = Reloaded();
        EXPECT_TRUE(names.size() == 3 || names.size() == 4) << written;
        for (const std::string& agent : names) {
            EXPECT_TRUE(agent.ends_with("=old") || agent.ends_with("=new")) << agent;
        }
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
        EXPECT_TRUE(entry.path().filename().string().find(".agt.") == std::string::npos &&
                    entry.path().filename().string().find(".INI.") == std::string::npos)
            << "left behind: " << entry.path();
    }
    // A replaced file keeps its permissions: these files may hold passwords.
    for (const char* file : {"Agents/P.agt", "AGENTS.INI"}) {
        ASSERT_EQ(::chmod((folder / file).c_str(), 0600), 0);
    }
    EXPECT_EQ(catalogue.SaveCatalogue(), 0);
    EXPECT_EQ(Reloaded(), (Names{"P=new", "Q=new", "R=new", "S=new"}));
    for (const char* file : {"Agents/P.agt", "AGENTS.INI"}) {
        struct stat info {};
        EXPECT_EQ(::stat((folder / file).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << file;
    }
}

}  // namespace
}  // namespace gleanwork::test
