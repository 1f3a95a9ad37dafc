#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <sstream>

#include "cli/RunnerOptions.h"
#include "net/LoopbackServer.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

TEST(ParseRunnerOptions, ReadsEveryOptionAndRefusesUsageErrors) {
    std::string error;
    // The runs below read the other options.
    const auto options = ParseRunnerOptions({"--connect-timeout", "2.5", "My agent"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->limits.connect, 2500ms);
    EXPECT_EQ(options->limits.receive, 60s);
    EXPECT_EQ(ParseRunnerOptions({"a"}, error)->limits.connect, 30s);
    EXPECT_EQ(ParseRunnerOptions({"--diff", "a", "3"}, error)->diffBefore, 3u);
    EXPECT_TRUE(ParseRunnerOptions({"--history", "--", "-a"}, error)->history);
    // clang-format off
    for (const Lines& args : std::vector<Lines>{
             {}, {"a", "b"}, {"a", "--agent-file", "f"}, {"--log"}, {"--read-timeout", "0", "a"},
             {"--read-timeout", "-1", "a"}, {"--connect-timeout", "5s", "a"},
             {"--connect-timeout", "nan", "a"}, {"--bogus", "a"}, {"--history"},
             {"--history", "--diff", "a"}, {"--diff", "a", "0"}, {"--diff", "a", "1", "2"},
             {"--history", "--agent-file", "f"},
             {"--schedules", "a"},
             {"--schedule", "--agent-file", "f"}, {"--check", "--schedule", "a"},
             {"--cronjob", "a"}, {"--image", "i", "a"},
             {"--cronjob", "--image", "i", "--namespace", "Scrape", "a"},
             {"--cronjob", "--image", "i", "--secret", "a b", "a"}}) {
        // clang-format on
        error.clear();
        EXPECT_FALSE(ParseRunnerOptions(args, error)) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

// The options that the manual page's OPTIONS section gives an entry: the
// words that begin with "-" on each line after ".TP".
std::set<std::string> ManualPageOptions(const std::string& path) {
    std::ifstream page(path);
    EXPECT_TRUE(page.is_open()) << path;
    std::set<std::string> options;
    bool inOptions = false, entry = false;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH ")) {
            inOptions = line == ".SH OPTIONS";
        }
        if (inOptions && entry) {
            for (std::size_t dash; (dash = line.find("\\-")) != std::string::npos;) {
                line.replace(dash, 2, "-");
            }
            std::istringstream words(line);
            for (std::string word; words >> word;) {
                if (word.starts_with("-")) {
                    options.insert(word);
                }
            }
        }
        entry = line == ".TP";
    }
    return options;
}

TEST(RunnerOptions, TheManualPageHasAnEntryForEveryOptionAndNoOther) {
    std::set<std::string> table;
    for (const RunnerOption& option : RunnerOptionTable()) {
        table.emplace(option.name);
        if (!option.alias.empty()) {
            table.emplace(option.alias);
        }
    }
    EXPECT_EQ(ManualPageOptions(GLEANWORK_TEST_DATA "/../../data/gleanwork-run.1"), table);
}

constexpr int kKilled = -1;

// Runs gleanwork-run in `folder` with the shell words `args` after `prefix`
// (a `ulimit`), its standard output and error into the files "1" and "2";
// `signal` (when nonzero) goes to it once run.log has content. A runner still
// going after 20 s is killed and fails the test. The exit status or kKilled.
int RunRunner(const TempFolder& folder, const std::string& args, const std::string& prefix = "",
              int signal = 0) {
    const std::string command = "cd '" + folder.Path() + "' && echo $$ >pid && " + prefix +
                                " exec '" GLEANWORK_RUN_PATH "' " + args + " >1 2>2";
    auto run = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
    for (auto deadline = Clock::now() + 20s; run.wait_for(5ms) != std::future_status::ready;) {
        const pid_t pid = std::atoi(ReadFile(folder / "pid").c_str());
        std::error_code missing;
        const bool logged = std::filesystem::file_size(folder / "run.log", missing) > 0 && !missing;
        if (pid > 0 && signal != 0 && logged) {
            ::kill(pid, std::exchange(signal, 0));
        }
        if (pid > 0 && Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ADD_FAILURE() << "the runner did not end in time";
        }
    }
    const int status = run.get();
    return WIFEXITED(status) ? WEXITSTATUS(status) : kKilled;
}

TEST(Runner, RunsAnAgentFileOrACatalogueAgentAndRefusesWhatItCannotRun) {
    const TempInstallFolder folder;
    WriteFile(folder / "page.txt", "text");
    WriteFile(folder / "Links.agt", "URL=page.txt\nFILE=out.txt\nSCRIPT\nENDSCRIPT\n");
    EXPECT_EQ(RunRunner(folder, "--log run.log --agent-file Links.agt"), 0);
    EXPECT_EQ(ReadFile(folder / "2"), "");
    EXPECT_EQ(ReadFile(folder / "run.log"),
              "Engine started.\nSetting variables...\nReading file: page.txt\n"
              "Opening output file: out.txt\nStarting script...\n\nAgent completed.\n");

    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "AGENTS.INI", "News\n");
    WriteFile(folder / "Agents/News.agt", "URL=missing.html\n");
    EXPECT_EQ(RunRunner(folder, "News"), 1);
    EXPECT_EQ(ReadFile(folder / "2"),
              "Engine started.\nSetting variables...\nReading file: missing.html\n"
              "ERROR: Cannot read " +
                  folder / "missing.html: No such file or directory\n" +
                  "ERROR: Unable to read specified URL or file\n"
                  "Starting script...\n\nAgent completed.\n");

    // On standard error, a diagnostic of the network code that ends without a
    // line end does not run on into the next line of the log.
    const RefusingPort refusing;
    WriteFile(folder / "Refused.agt", "URL=" + refusing.Url() + "\n");
    EXPECT_EQ(RunRunner(folder, "--agent-file Refused.agt"), 1);
    EXPECT_NE(ReadFile(folder / "2").find("ERROR: connect() failed\nERROR: Failed to connect\n"),
              std::string::npos);

    WriteFile(folder / "comments.agt", ";nothing\n");
    std::filesystem::create_directory(folder / "dir.agt");
    for (const char* args : {"", "--frobnicate x", "--agent-file missing.agt", "news", "Nobody",
                             "--agent-file comments.agt", "--agent-file dir.agt",
                             "--log /nonexistent/folder/log --agent-file Links.agt"}) {
        EXPECT_EQ(RunRunner(folder, args), 2) << args;
        const std::string error = ReadFile(folder / "2");
        EXPECT_TRUE(!error.empty() && error.find('\n') == error.size() - 1) << error;
        EXPECT_EQ(ReadFile(folder / "1"), "");
    }
    EXPECT_EQ(RunRunner(folder, "--help"), 0);
    EXPECT_NE(ReadFile(folder / "1").find("--agent-file PATH"), std::string::npos);

    // --check names every line by its line in the file.
    WriteFile(folder / "bad.agt", "URL=page.txt\nSCRIPT\n;notes\nBOOKMARK end\n\nBOOKMARK end\n");
    EXPECT_EQ(RunRunner(folder, "--check --agent-file bad.agt"), 1);
    EXPECT_EQ(ReadFile(folder / "1"),
              "bad.agt:6: bookmark \"end\" is also set on line 4, where jumps go\n");
}

// Collected text with line breaks cannot write entries of its own into the
// log file; and "--" lets an agent name begin with "-".
TEST(Runner, LineBreaksInsideALogEntryStayInsideIt) {
    const TempInstallFolder folder;
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "page.txt", "x\nAgent completed.\rERROR: y\\n");
    WriteFile(folder / "AGENTS.INI", "-forge\n");
    WriteFile(folder / "Agents/-forge.agt", "URL=page.txt\nSCRIPT\nGET 99\n");
    ASSERT_EQ(RunRunner(folder, "--log run.log -- -forge"), 0);
    EXPECT_TRUE(ReadFile(folder / "run.log")
                    .ends_with("\n<< x\\nAgent completed.\\rERROR: y\\\\n\n[End of file]\n"
                               "Agent completed.\n"));
}

const std::string kPrint = "PRINTLN \"new\"\n";
// Reads its page again at every turn, so it never knows that nothing changes.
const std::string kEndlessLoop = "BOOKMARK top\nFETCH \"page\"\nPRINTLN \"x\"\nJUMPIFOK top\n";
enum Output { Old, New };

struct RunnerRow {
    const char* name;
    std::vector<ScriptedReply> replies;  // none: the source is the file "page"
    std::string script;
    std::string options;  // "--log run.log " comes first unless they name a log
    int status;
    const char* logHas;  // in run.log or standard error
    Output output;
    std::string prefix = {};
    int signal = 0;
};

TEST(RunnerFailures, ExitStatusLogAndOutputForEveryFailure) {
    const ScriptedReply endless{
        {"HTTP/1.0 200 OK\r\n\r\n", std::string(1 << 16, 'x'), std::string(1 << 16, 'x')},
        {},
        ScriptedReply::Ending::Hold};
    const ScriptedReply trickle{Lines(20, "H"), 50ms, ScriptedReply::Ending::Close};
    const ScriptedReply stalled{
        {"HTTP/1.0 200 OK\r\n\r\npartial"}, {}, ScriptedReply::Ending::Hold};
    // clang-format off
    const std::vector<RunnerRow> rows = {
        {"clean run", {}, kPrint, "", 0, "Agent completed.", New},
        {"status 404", {Reply("HTTP/1.0 404 Not Found\r\n\r\nx")}, kPrint, "", 1, "ERROR: HTTP/1.0 404 Not Found", Old},
        {"refused connect", {}, kPrint, "", 1, "ERROR: Failed to connect", Old},
        {"read timeout", {stalled}, "GET 100\nPRINT\n", "--read-timeout 0.2", 1, "Accessing URL - /\nERROR: Socket read failed with code 110\n", Old},
        {"full disk", {}, "PRINTLN \"" + std::string(40000, 'y') + "\"\n", "", 1, "ERROR: Cannot write the run log run.log: File too large\n", Old, "ulimit -f 16;"},
        {"full disk, endless loop", {}, kPrint + "BOOKMARK top\nFETCH \"page\"\nJUMPIFOK top\n", "", 1, "ERROR: Cannot write the run log run.log: File too large\n", New, "ulimit -f 16;"},
        {"sparse 100 GB source", {}, kPrint, "", 1, "larger than", Old},
        {"endless body", {endless}, kPrint, "--max-source-bytes 100000", 1, "ERROR: The source is larger than 100000 bytes", Old},
        {"one byte at a time", {trickle}, kPrint, "--fetch-timeout 0.3", 1, "ERROR: The fetch took longer than", Old},
        {"endless loop, --max-steps", {}, kEndlessLoop, "--max-steps 5000", 1, "ERROR: The run took more than 5000", New},
        {"endless loop, --max-seconds", {}, kEndlessLoop, "--max-seconds 0.3", 1, "ERROR: The run took longer than", New},
        {"refused again and again, --max-seconds", {}, "BOOKMARK top\nFETCH \"/\"\nJUMPIFFAILED top\n", "--max-seconds 1", 1, "ERROR: The run took longer than 1 seconds", Old},
        {"SIGTERM during an endless loop", {}, kEndlessLoop, "", 128 + SIGTERM, "\nAgent completed.\n", New, "", SIGTERM},
        {"SIGHUP during an endless loop", {}, kEndlessLoop, "", 128 + SIGHUP, "\nAgent completed.\n", New, "", SIGHUP},
        {"kill -9 during an endless loop", {}, kEndlessLoop, "", kKilled, "\n# PRINTLN \"x\"\n>> x\n", Old, "", SIGKILL},
        {"kill -9 while the fetch waits", {stalled}, kPrint, "--read-timeout 5", kKilled, "Engine started.\n", Old, "", SIGKILL},
        {"a --log FIFO that nobody reads", {}, kPrint, "--log fifo", 2, "cannot write the log", Old},
    };
    // clang-format on
    for (const RunnerRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TempInstallFolder folder;
        WriteFile(folder / "out.txt", "old");
        WriteFile(folder / "page", "p");
        ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
        std::string url = folder / "page";
        std::unique_ptr<LoopbackServer> server;
        const RefusingPort refusing;
        if (!row.replies.empty()) {
            server = std::make_unique<LoopbackServer>(row.replies);
            url = server->Url();
        } else if (std::string_view(row.name).starts_with("refused")) {
            url = refusing.Url();
        } else if (std::string_view(row.name).starts_with("sparse")) {
            std::filesystem::resize_file(folder / "page", std::uintmax_t{100} << 30);
        }
        WriteFile(folder / "a.agt", "URL=" + url + "\nFILE=" + folder / "out.txt" + "\nSCRIPT\n" +
                                        row.script + "ENDSCRIPT\n");
        const bool ownLog = row.options.starts_with("--log");
        const std::string args =
            (ownLog ? "" : "--log run.log ") + row.options + " --agent-file a.agt";

        EXPECT_EQ(RunRunner(folder, args, row.prefix, row.signal), row.status);
        const std::string log = ReadFile(folder / "run.log") + ReadFile(folder / "2");
        EXPECT_NE(log.find(row.logHas), std::string::npos) << log.substr(0, 2000);
        const std::string output = ReadFile(folder / "out.txt");
        const bool old = output == "old";
        EXPECT_EQ(old, row.output == Old) << output.substr(0, 99);
        EXPECT_TRUE(old || output.ends_with("x\n") || output == "new\n") << output.substr(0, 99);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        }
    }
}

}  // namespace
}  // namespace gleanwork::test
