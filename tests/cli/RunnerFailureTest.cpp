#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <functional>
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
    int status = kKilled;  // the exit status, or kKilled
    std::string log;       // standard error, or the --log file
};

// Runs gleanwork-run through `sh -c` (for a `ulimit` in `prefix`) with
// standard error in a pipe, so that no file-size limit cuts it; `signal`
// (when nonzero) goes to the runner once its log file has content. A runner
// that is still going after kMostRunTime is killed and fails the test.
Outcome RunRunner(const test::TempFolder& folder, const std::string& prefix,
                  std::vector<std::string> args, int signal) {
    std::vector<std::string> words = {"sh", "-c", prefix + " exec \"$0\" \"$@\"",
                                      GLEANWORK_RUN_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    EXPECT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (folder / "stdout").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    Outcome outcome;
    std::thread drain([&] {
        std::vector<char> chunk(4096);
        for (ssize_t got; (got = ::read(pipeEnds[0], chunk.data(), chunk.size())) > 0;) {
            outcome.log.append(chunk.data(), static_cast<std::size_t>(got));
        }
    });
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
    drain.join();
    ::close(pipeEnds[0]);
    if (WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    }
    if (std::filesystem::exists(folder / "run.log")) {
        outcome.log = test::ReadFile(folder / "run.log");
    }
    return outcome;
}

const std::string kEndlessLoop = "BOOKMARK top\nPRINTLN \"x\"\nINSERTDATA\nJUMPIFOK top\n";

struct RunnerRow {
    const char* name;
    std::vector<ScriptedReply> replies;  // none: the source is the file "page"
    std::string script;
    std::vector<std::string> options;
    int status;
    const char* logHas;
    enum { Old, New, OldOrNew } output;
    std::string prefix = {};
    int signal = 0;
};

TEST(RunnerFailures, ExitStatusLogAndOutputForEveryFailure) {
    const std::string print = "PRINTLN \"new\"\n";
    const std::vector<std::string> logged = {"--log", "run.log"};
    const std::vector<RunnerRow> rows = {
        {"clean run", {}, print, logged, 0, "Agent completed.", RunnerRow::New},
        {"status 404",
         {test::Reply("HTTP/1.0 404 Not Found\r\n\r\nx")},
         print,
         logged,
         1,
         "ERROR: HTTP/1.0 404 Not Found",
         RunnerRow::Old},
        {"refused connect", {}, print, logged, 1, "ERROR: Failed to connect", RunnerRow::Old},
        {"full disk",
         {},
         "PRINTLN \"" + std::string(40000, 'y') + "\"\n",
         {},
         1,
         "ERROR: Cannot write ",
         RunnerRow::Old,
         "ulimit -f 16;"},
        {"sparse 100 GB source", {}, print, logged, 1, "larger than", RunnerRow::Old},
        {"endless body",
         {ScriptedReply{
             {"HTTP/1.0 200 OK\r\n\r\n", std::string(1 << 16, 'x'), std::string(1 << 16, 'x')},
             {},
             ScriptedReply::Ending::Hold}},
         print,
         {"--log", "run.log", "--max-source-bytes", "100000"},
         1,
         "ERROR: The source is larger than 100000 bytes",
         RunnerRow::Old},
        {"one byte at a time",
         {ScriptedReply{std::vector<std::string>(20, "H"), 50ms, ScriptedReply::Ending::Close}},
         print,
         {"--log", "run.log", "--fetch-timeout", "0.3"},
         1,
         "ERROR: The fetch took longer than",
         RunnerRow::Old},
        {"endless loop under --max-steps",
         {},
         kEndlessLoop,
         {"--log", "run.log", "--max-steps", "5000"},
         1,
         "ERROR: The run took more than 5000",
         RunnerRow::New},
        {"endless loop under --max-seconds",
         {},
         kEndlessLoop,
         {"--log", "run.log", "--max-seconds", "0.3"},
         1,
         "ERROR: The run took longer than",
         RunnerRow::New},
        {"SIGTERM during an endless loop",
         {},
         kEndlessLoop,
         logged,
         0,
         "\nAgent completed.\n",
         RunnerRow::New,
         "",
         SIGTERM},
        {"kill -9 during an endless loop",
         {},
         kEndlessLoop,
         logged,
         kKilled,
         "",
         RunnerRow::OldOrNew,
         "",
         SIGKILL},
        {"a --log FIFO that nobody reads",
         {},
         print,
         {"--log", "fifo"},
         2,
         "cannot write the log",
         RunnerRow::Old},
    };
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
            arg = arg == "run.log" || arg == "fifo" ? folder / arg : arg;
        }
        args.insert(args.end(), {"--agent-file", folder / "a.agt"});

        const Outcome outcome = RunRunner(folder, row.prefix, args, row.signal);

        EXPECT_EQ(outcome.status, row.status);
        EXPECT_NE(outcome.log.find(row.logHas), std::string::npos) << outcome.log.substr(0, 2000);
        const std::string output = test::ReadFile(folder / "out.txt");
        if (row.output != RunnerRow::New) {
            EXPECT_TRUE(output == "old" || row.output == RunnerRow::OldOrNew) << output;
        }
        if (row.output != RunnerRow::Old) {
            EXPECT_TRUE(output == "old" || output.ends_with("\n")) << output.substr(0, 100);
            EXPECT_TRUE(output != "old" || row.output == RunnerRow::OldOrNew);
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        }
    }
}

}  // namespace
}  // namespace gleanwork
