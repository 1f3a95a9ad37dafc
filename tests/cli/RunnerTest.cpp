#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "cli/RunnerOptions.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using Lines = std::vector<std::string>;

TEST(ParseRunnerOptions, ReadsEveryOptionAndRefusesUsageErrors) {
    std::string error;
    const auto options = ParseRunnerOptions(
        {"--log", "run.log", "--connect-timeout", "2.5", "--read-timeout", "1", "My agent"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->logFile, "run.log");
    EXPECT_EQ(options->agentName, "My agent");
    EXPECT_EQ(options->limits.connect, std::chrono::milliseconds(2500));
    EXPECT_EQ(options->limits.receive, std::chrono::seconds(1));
    const auto defaults = ParseRunnerOptions({"--agent-file", "a.agt"}, error);
    EXPECT_EQ(defaults->agentFile, "a.agt");
    EXPECT_EQ(defaults->limits.connect, std::chrono::seconds(30));
    EXPECT_EQ(defaults->limits.receive, std::chrono::seconds(60));
    for (const Lines& args : std::vector<Lines>{{},
                                                {"a", "b"},
                                                {"a", "--agent-file", "f"},
                                                {"--log"},
                                                {"--read-timeout", "0", "a"},
                                                {"--read-timeout", "-1", "a"},
                                                {"--connect-timeout", "5s", "a"},
                                                {"--connect-timeout", "nan", "a"},
                                                {"--bogus", "a"}}) {
        error.clear();
        EXPECT_FALSE(ParseRunnerOptions(args, error)) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

// Runs gleanwork-run in `folder` with `args`: its exit status and what it
// wrote to standard error.
std::pair<int, std::string> RunRunner(const TempFolder& folder, const std::string& args) {
    const std::string command =
        "cd '" + folder.Path() + "' && '" GLEANWORK_RUN_PATH "' " + args + " >stdout 2>stderr";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(folder / "stderr")};
}

TEST(Runner, RunsAnAgentFileOrACatalogueAgentAndRefusesWhatItCannotRun) {
    const TempInstallFolder folder;
    WriteFile(folder / "page.txt", "text");
    WriteFile(folder / "Links.agt", "URL=page.txt\nFILE=out.txt\nSCRIPT\nENDSCRIPT\n");
    EXPECT_EQ(RunRunner(folder, "--log run.log --agent-file Links.agt"),
              std::make_pair(0, std::string()));
    EXPECT_EQ(ReadFile(folder / "run.log"),
              "Engine started.\nSetting variables...\nReading file: page.txt\n"
              "Opening output file: out.txt\nStarting script...\n\nAgent completed.\n");

    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "AGENTS.INI", "News\n");
    WriteFile(folder / "Agents/News.agt", "URL=missing.html\n");
    EXPECT_EQ(RunRunner(folder, "News"),
              std::make_pair(1,
                             "Engine started.\nSetting variables...\nReading file: missing.html\n"
                             "ERROR: Cannot read " +
                                 folder / "missing.html: No such file or directory\n" +
                                 "ERROR: Unable to read specified URL or file\n"
                                 "Starting script...\n\nAgent completed.\n"));

    WriteFile(folder / "comments.agt", ";nothing\n");
    std::filesystem::create_directory(folder / "dir.agt");
    for (const char* args : {"", "--frobnicate x", "--agent-file missing.agt", "news", "Nobody",
                             "--agent-file comments.agt", "--agent-file dir.agt",
                             "--log /nonexistent/folder/log --agent-file Links.agt"}) {
        const auto [status, error] = RunRunner(folder, args);
        EXPECT_EQ(status, 2) << args;
        EXPECT_TRUE(!error.empty() && error.find('\n') == error.size() - 1) << args << error;
        EXPECT_EQ(ReadFile(folder / "stdout"), "") << args;
    }
    EXPECT_EQ(RunRunner(folder, "--help").first, 0);
    EXPECT_NE(ReadFile(folder / "stdout").find("--agent-file PATH"), std::string::npos);
}

// Collected text with line breaks cannot write entries of its own into the
// log file; and "--" lets an agent name begin with "-".
TEST(Runner, LineBreaksInsideALogEntryStayInsideIt) {
    const TempInstallFolder folder;
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "page.txt", "x\nAgent completed.\rERROR: y\\n");
    WriteFile(folder / "AGENTS.INI", "-forge\n");
    WriteFile(folder / "Agents/-forge.agt", "URL=page.txt\nSCRIPT\nGET 99\n");
    ASSERT_EQ(RunRunner(folder, "--log run.log -- -forge").first, 0);
    EXPECT_TRUE(ReadFile(folder / "run.log")
                    .ends_with("\n<< x\\nAgent completed.\\rERROR: y\\\\n\n[End of file]\n"
                               "Agent completed.\n"));
}

}  // namespace
}  // namespace gleanwork::test
