#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>

#include "net/LoopbackServer.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::ScriptedReply;
using Clock = std::chrono::steady_clock;

constexpr auto kMostRunTime = 20s;
constexpr int kKilled = -1;

struct Outcome {
    int status;       // the exit status, or kKilled
    std::string log;  // the --log file, or standard error
};

// Runs gleanwork-run through `sh -c` (for a `ulimit` in `prefix`); `signal`
// (when nonzero) goes to the runner once its log file has content. A runner
// still going after kMostRunTime is killed and fails the test.
Outcome RunRunner(const test::TempFolder& folder, const std::string& prefix,
                  std::vector<std::string> words, int signal) {
    words.insert(words.begin(), {"sh", "-c", prefix + " exec \"$0\" \"$@\"", GLEANWORK_RUN_PATH});
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : {1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, (folder / std::to_string(fd)).c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const Clock::time_point deadline = Clock::now() + kMostRunTime;
    int status = 0;
    bool signalled = signal == 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        std::error_code missing;
        const auto logSize = std::filesystem::file_size(folder / "run.log", missing);
        if (!signalled && !missing && logSize > 0) {
            signalled = ::kill(pid, signal) == 0;
        }
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ADD_FAILURE() << "the runner did not end in time";
        }
        std::this_thread::sleep_for(5ms);
    }
    const bool logged = std::filesystem::exists(folder / "run.log");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : kKilled,
            test::ReadFile(logged ? folder / "run.log" : folder / "2")};
}

const std::string kPrint = "PRINTLN \"new\"\n";
const std::string kEndlessLoop = "BOOKMARK top\nPRINTLN \"x\"\nINSERTDATA\nJUMPIFOK top\n";
enum Output { Old, New, OldOrNew };

struct RunnerRow {
    const char* name;
    std::vector<ScriptedReply> replies;  // none: the source is the file "page"
    std::string script;
    std::vector<std::string> options;  // "log" and "fifo" name files in the folder
    int status;
    const char* logHas;
    Output output;
    std::string prefix = {};
    int signal = 0;
};

TEST(RunnerFailures, ExitStatusLogAndOutputForEveryFailure) {
    const ScriptedReply endless{
        {"HTTP/1.0 200 OK\r\n\r\n", std::string(1 << 16, 'x'), std::string(1 << 16, 'x')},
        {},
        ScriptedReply::Ending::Hold};
    const ScriptedReply trickle{std::vector<std::string>(20, "H"), 50ms,
                                ScriptedReply::Ending::Close};
    // clang-format off
    const std::vector<RunnerRow> rows = {
        {"clean run", {}, kPrint, {"--log", "log"}, 0, "Agent completed.", New},
        {"status 404", {test::Reply("HTTP/1.0 404 Not Found\r\n\r\nx")}, kPrint, {"--log", "log"}, 1, "ERROR: HTTP/1.0 404 Not Found", Old},
        {"refused connect", {}, kPrint, {"--log", "log"}, 1, "ERROR: Failed to connect", Old},
        {"full disk", {}, "PRINTLN \"" + std::string(40000, 'y') + "\"\n", {"--log", "/dev/null"}, 1, "", Old, "ulimit -f 16;"},
        {"sparse 100 GB source", {}, kPrint, {"--log", "log"}, 1, "larger than", Old},
        {"endless body", {endless}, kPrint, {"--log", "log", "--max-source-bytes", "100000"}, 1, "ERROR: The source is larger than 100000 bytes", Old},
        {"one byte at a time", {trickle}, kPrint, {"--log", "log", "--fetch-timeout", "0.3"}, 1, "ERROR: The fetch took longer than", Old},
        {"endless loop, --max-steps", {}, kEndlessLoop, {"--log", "log", "--max-steps", "5000"}, 1, "ERROR: The run took more than 5000", New},
        {"endless loop, --max-seconds", {}, kEndlessLoop, {"--log", "log", "--max-seconds", "0.3"}, 1, "ERROR: The run took longer than", New},
        {"SIGTERM during an endless loop", {}, kEndlessLoop, {"--log", "log"}, 128 + SIGTERM, "\nAgent completed.\n", New, "", SIGTERM},
        {"kill -9 during an endless loop", {}, kEndlessLoop, {"--log", "log"}, kKilled, "", OldOrNew, "", SIGKILL},
        {"a --log FIFO that nobody reads", {}, kPrint, {"--log", "fifo"}, 2, "cannot write the log", Old},
    };
    // clang-format on
    for (const RunnerRow& row : rows) {
        SCOPED_TRACE(row.name);
        const test::TempFolder folder;
        test::WriteFile(folder / "out.txt", "old");
        test::WriteFile(folder / "page", "p");
        ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
        std::string url = folder / "page";
        std::unique_ptr<LoopbackServer> server;
        if (!row.replies.empty()) {
            server = std::make_unique<LoopbackServer>(row.replies);
            url = server->Url();
        } else if (std::string_view(row.name).starts_with("refused")) {
            url = "http://127.0.0.1:" + std::to_string(test::RefusingPort().Port()) + "/";
        } else if (std::string_view(row.name).starts_with("sparse")) {
            std::filesystem::resize_file(folder / "page", std::uintmax_t{100} << 30);
        }
        test::WriteFile(folder / "a.agt", "URL=" + url + "\nFILE=" + folder / "out.txt" +
                                              "\nSCRIPT\n" + row.script + "ENDSCRIPT\n");
        std::vector<std::string> args = row.options;
        for (std::string& arg : args) {
            arg = arg == "log" ? folder / "run.log" : arg == "fifo" ? folder / arg : arg;
        }
        args.insert(args.end(), {"--agent-file", folder / "a.agt"});

        const Outcome outcome = RunRunner(folder, row.prefix, args, row.signal);

        EXPECT_EQ(outcome.status, row.status);
        EXPECT_NE(outcome.log.find(row.logHas), std::string::npos) << outcome.log.substr(0, 2000);
        const std::string output = test::ReadFile(folder / "out.txt");
        const bool old = output == "old";
        EXPECT_TRUE(row.output == OldOrNew || old == (row.output == Old));
        EXPECT_TRUE(old || output.ends_with("x\n") || output == "new\n") << output.substr(0, 99);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        }
    }
}

}  // namespace
}  // namespace gleanwork
