#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "cli/RunnerOptions.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using ::gleanwork::test::ReadFile;
using ::gleanwork::test::TempInstallFolder;
using ::gleanwork::test::WriteFile;
using Lines = std::vector<std::string>;

std::optional<RunnerOptions> Parse(const Lines& args) {
    std::string error;
    return ParseRunnerOptions(args, error);
}

TEST(ParseRunnerOptions, ReadsEveryOption) {
    const auto options =
        Parse({"--log", "run.log", "--connect-timeout", "2.5", "--read-timeout", "1", "My agent"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->logFile, "run.log");
    EXPECT_EQ(options->agentName, "My agent");
    EXPECT_EQ(options->limits.connect, std::chrono::milliseconds(2500));
    EXPECT_EQ(options->limits.receive, std::chrono::seconds(1));

    const auto defaults = Parse({"--agent-file", "a.agt"});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->agentFile, "a.agt");
    EXPECT_EQ(defaults->limits.connect, std::chrono::seconds(30));
    EXPECT_EQ(defaults->limits.receive, std::chrono::seconds(60));
    EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(ParseRunnerOptions, RefusesUsageErrorsWithAReason) {
    for (const Lines& args : std::vector<Lines>{{},
                                                {"a", "b"},
                                                {"a", "--agent-file", "f"},
                                                {"--log"},
                                                {"--read-timeout", "0", "a"},
                                                {"--read-timeout", "-1", "a"},
                                                {"--connect-timeout", "5s", "a"},
                                                {"--connect-timeout", "nan", "a"},
                                                {"--bogus", "a"}}) {
        std::string error;
        EXPECT_FALSE(ParseRunnerOptions(args, error)) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class RunnerProcessTest : public ::testing::Test {
protected:
    Outcome RunRunner(const std::string& args) {
        const std::string command = "cd '" + folder_.Path() + "' && '" GLEANWORK_RUN_PATH "' " +
                                    args + " >'" + folder_ / "stdout" + "' 2>'" +
                                    folder_ / "stderr" + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(folder_ / "stdout"),
                ReadFile(folder_ / "stderr")};
    }

    static void ExpectOneLineError(const Outcome& outcome) {
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        ASSERT_FALSE(outcome.err.empty());
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
    }

    TempInstallFolder folder_;
};

TEST_F(RunnerProcessTest, RunsAnAgentFileWithItsLogInAFile) {
    WriteFile(folder_ / "page.txt", "text");
    WriteFile(folder_ / "Links.agt", "URL=page.txt\nFILE=out.txt\nSCRIPT\nENDSCRIPT\n");
    const Outcome outcome = RunRunner("--log run.log --agent-file Links.agt");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(ReadFile(folder_ / "run.log"),
              "Engine started.\nSetting variables...\nReading file: page.txt\n"
              "Opening output file: out.txt\nStarting script...\n\nAgent completed.\n");
}

TEST_F(RunnerProcessTest, RunsACatalogueAgentByExactNameWithTheLogOnStandardError) {
    std::filesystem::create_directory(folder_ / "Agents");
    WriteFile(folder_ / "AGENTS.INI", "News\n");
    WriteFile(folder_ / "Agents/News.agt", "URL=missing.html\n");
    const Outcome outcome = RunRunner("News");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              "Engine started.\nSetting variables...\nReading file: missing.html\n"
              "ERROR: Cannot read " +
                  folder_ / "missing.html: No such file or directory\n" +
                  "ERROR: Unable to read specified URL or file\nStarting script...\n\n"
                  "Agent completed.\n");
    ExpectOneLineError(RunRunner("news"));
}

TEST_F(RunnerProcessTest, RefusesWhatItCannotRunWithOneLineAndStatusTwo) {
    WriteFile(folder_ / "comments.agt", ";nothing\n");
    std::filesystem::create_directory(folder_ / "dir.agt");
    ExpectOneLineError(RunRunner(""));
    ExpectOneLineError(RunRunner("--frobnicate x"));
    ExpectOneLineError(RunRunner("--agent-file missing.agt"));
    ExpectOneLineError(RunRunner("--agent-file comments.agt"));
    ExpectOneLineError(RunRunner("--agent-file dir.agt"));
    ExpectOneLineError(RunRunner("Nobody"));
    WriteFile(folder_ / "ok.agt", "URL=x\n");
    ExpectOneLineError(RunRunner("--log /nonexistent/folder/log --agent-file ok.agt"));

    const Outcome help = RunRunner("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--agent-file PATH"), std::string::npos);
}

}  // namespace
}  // namespace gleanwork
