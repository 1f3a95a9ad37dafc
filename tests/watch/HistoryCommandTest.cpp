// gleanwork-run --history and --diff over a history recorded through the
// run host's interface, in a real history.db.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <sstream>

#include "net/LoopbackServer.h"
#include "support/TempFolder.h"
#include "watch/HistoryOpen.h"
#include "watch/RunRecording.h"

namespace gleanwork::test {
namespace {

// Runs gleanwork-run with the shell words `args` in `folder`, in central
// European time; its standard output and error go to the files "1" and "2".
int RunRunner(const TempFolder& folder, const std::string& args) {
    const int status =
        std::system(("cd '" + folder.Path() + "' && TZ=CET-1CEST,M3.5.0,M10.5.0/3 timeout 20 '" +
                     GLEANWORK_RUN_PATH + "' " + args + " >1 2>2")
                        .c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

FinishedRun Finished(std::int64_t second, std::string output, std::uint64_t errors = 0) {
    FinishedRun run;
    run.outcome.started = std::chrono::system_clock::time_point(std::chrono::seconds(second));
    run.outcome.duration = std::chrono::milliseconds(2250);
    run.outcome.end = errors > 0 ? RunEnd::kCompletedWithErrors : RunEnd::kCompleted;
    run.outcome.errors = errors;
    run.outcome.linesPrinted = 2;
    run.output = std::move(output);
    return run;
}

TEST(HistoryCommand, ListsRunsAndDiffsKeptOutputsWithDiffsStatuses) {
    const TempInstallFolder folder;
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "AGENTS.INI", "Prices\n");
    WriteFile(folder / "Agents/Prices.agt", "IGNORELINES=^Updated\nSCRIPT\nENDSCRIPT\n");
    AgentDefinition agent;
    agent.name = "Prices";
    agent.IGNORELINES = "^Updated";
    {
        HistoryResult result;
        const auto store = OpenHistory(result);
        ASSERT_TRUE(store) << result.reason;
        for (const FinishedRun& run :
             {Finished(1790000000, "Updated 1\na\nb\n"), Finished(1800000000, "Updated 2\na\nc\n"),
              Finished(1800000060, "Updated 3\na\nc\n", 1)}) {
            ASSERT_TRUE(RecordRun(*store, agent, run).stored);
        }
        agent.name = "Gone";
        ASSERT_TRUE(RecordRun(*store, agent, Finished(1800000000, "x\n")).stored);
    }
    EXPECT_EQ(RunRunner(folder, "--history Prices"), 0);
    EXPECT_EQ(ReadFile(folder / "1"),
              "2027-01-15T09:01:00+01:00\tfailed\t1\t2\t-\t-\t2.250\n"
              "2027-01-15T09:00:00+01:00\tchanged\t0\t2\t1\t1\t2.250\n"
              "2026-09-21T16:13:20+02:00\tok\t0\t2\t-\t-\t2.250\n");
    EXPECT_EQ(RunRunner(folder, "--history Gone"), 0);
    EXPECT_EQ(ReadFile(folder / "1"), "2027-01-15T09:00:00+01:00\tok\t0\t2\t-\t-\t2.250\n");
    EXPECT_EQ(RunRunner(folder, "--history Nobody"), 2);
    EXPECT_EQ(ReadFile(folder / "2"),
              "gleanwork-run: no agent named 'Nobody' in the catalogue or the history\n");

    EXPECT_EQ(RunRunner(folder, "--diff Prices"), 0);
    EXPECT_EQ(ReadFile(folder / "1"), "");
    EXPECT_EQ(RunRunner(folder, "--diff Prices 2"), 1);
    EXPECT_EQ(ReadFile(folder / "1"),
              "--- Prices\t2026-09-21T16:13:20+02:00\n+++ Prices\t2027-01-15T09:01:00+01:00\n"
              "@@ -1,2 +1,2 @@\n a\n-b\n+c\n");
    EXPECT_EQ(RunRunner(folder, "--diff Prices 3"), 2);
    EXPECT_EQ(ReadFile(folder / "2"),
              "gleanwork-run: the history keeps no output of 'Prices' 3 before its latest kept "
              "output\n");
    EXPECT_EQ(RunRunner(folder, "--diff Prices x"), 2);
}

// The outcome, errors, lines printed, added and removed of each run that
// --history lists.
std::string HistoryColumns(const TempFolder& folder) {
    EXPECT_EQ(RunRunner(folder, "--history Prices"), 0);
    std::istringstream lines(ReadFile(folder / "1"));
    std::string columns;
    for (std::string line; std::getline(lines, line);) {
        line.erase(0, line.find('\t') + 1);
        columns += line.substr(0, line.rfind('\t')) + "\n";
    }
    return columns;
}

// Every run of gleanwork-run is recorded with its output and log, and a
// change alerts with its diff; a history that cannot be used fails no run,
// and the log says so.
TEST(HistoryCommand, RecordsEveryRunAndABrokenHistoryFailsNoRun) {
    const TempInstallFolder folder;
    const ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "AGENTS.INI", "Prices\n");
    WriteFile(folder / "Agents/Prices.agt",
              "URL=page\nFILE=out.txt\nNOTIFYON=change\nNOTIFYCOMMAND=cp \"$GLEANWORK_DIFF\" "
              "diff\nSCRIPT\nGET 100\nPRINT\nENDSCRIPT\n");
    const std::pair<const char*, int> runs[] = {{"a\n", 0}, {"b\n", 0}, {nullptr, 1}};
    for (const auto& [page, status] : runs) {
        std::filesystem::remove(folder / "page");
        if (page != nullptr) {
            WriteFile(folder / "page", page);
        }
        EXPECT_EQ(RunRunner(folder, "Prices"), status);
    }
    EXPECT_EQ(HistoryColumns(folder), "failed\t2\t0\t-\t-\nchanged\t0\t1\t1\t1\nok\t0\t1\t-\t-\n");
    EXPECT_TRUE(ReadFile(folder / "diff").ends_with("\n@@ -1 +1 @@\n-a\n+b\n"))
        << ReadFile(folder / "diff");
    {
        HistoryResult result;
        const auto store = OpenHistory(result);
        std::vector<RunEntry> recorded;
        ASSERT_TRUE(store && store->Runs("Prices", recorded)) << result.reason;
        std::optional<std::string> log;
        ASSERT_TRUE(store->KeptLog(recorded.at(1).id, log));
        EXPECT_TRUE(log && log->starts_with("Engine started.\n") &&
                    log->ends_with("Agent completed.\n"))
            << log.value_or("no log");
        std::optional<KeptOutput> output;
        ASSERT_TRUE(store->KeptOutputOf("Prices", 0, output));
        EXPECT_EQ(output ? output->content : "none", "b\n");
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(folder / ("history.db" + std::string(suffix)));
    }
    WriteFile(folder / "history.db", std::string(4096, 'x'));
    WriteFile(folder / "page", "c\n");
    EXPECT_EQ(RunRunner(folder, "Prices"), 0);
    EXPECT_EQ(ReadFile(folder / "out.txt"), "c\n");
    EXPECT_NE(ReadFile(folder / "2")
                  .find("\nAgent completed.\nThe run history did not record "
                        "this run: "),
              std::string::npos)
        << ReadFile(folder / "2");
}

// Failure, failure, recovery through the real runner: one alert when the
// failures begin and one when they end, each to a command that writes its
// environment and to a webhook. A command that fails is an error line of its run, and of the
// run's history entry.
TEST(HistoryCommand, SendsOneAlertPerIncidentAndReportsAFailedAlert) {
    const TempInstallFolder folder;
    const ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    std::filesystem::create_directory(folder / "Agents");
    std::filesystem::create_directory(folder / "alerts");
    const LoopbackServer hook(std::vector<ScriptedReply>(3, Reply("HTTP/1.0 200 OK\r\n\r\n")));
    WriteFile(folder / "AGENTS.INI", "Prices\n");
    WriteFile(folder / "Agents/Prices.agt",
              "URL=page\nFILE=out.txt\nNOTIFYON=failure, recovery\nNOTIFYCOMMAND=sh alert.sh\n"
              "NOTIFYURL=" +
                  hook.Url() + "\nSCRIPT\nPRINTLN \"x\"\nENDSCRIPT\n");
    WriteFile(folder / "alert.sh",
              "cd \"$GLEANWORK_INSTALLDIR\" && {\n"
              "  env | grep -E '^GLEANWORK_(AGENT|EVENT|OUTCOME|ERROR|ADDED|REMOVED)=' | sort\n"
              "  test -f \"$GLEANWORK_DIFF\" && echo diff\n"
              "} >alerts/$(ls alerts | wc -l)\n"
              "exit $(cat status)\n");
    WriteFile(folder / "status", "0");
    EXPECT_EQ(RunRunner(folder, "Prices"), 1);
    EXPECT_EQ(RunRunner(folder, "Prices"), 1);
    WriteFile(folder / "page", "p");
    WriteFile(folder / "status", "3");
    EXPECT_EQ(RunRunner(folder, "Prices"), 1);
    EXPECT_NE(ReadFile(folder / "2")
                  .find("\nAgent completed.\nERROR: Alert command exited with status 3\n"),
              std::string::npos)
        << ReadFile(folder / "2");
    const std::string unreadable =
        "ERROR: Cannot read " + (folder / "page") + ": No such file or directory";
    EXPECT_EQ(ReadFile(folder / "alerts/0"),
              "GLEANWORK_ADDED=0\nGLEANWORK_AGENT=Prices\nGLEANWORK_ERROR=" + unreadable +
                  "\nGLEANWORK_EVENT=failure\nGLEANWORK_OUTCOME=failed\n"
                  "GLEANWORK_REMOVED=0\ndiff\n");
    EXPECT_EQ(ReadFile(folder / "alerts/1"),
              "GLEANWORK_ADDED=0\nGLEANWORK_AGENT=Prices\nGLEANWORK_ERROR=\n"
              "GLEANWORK_EVENT=recovery\nGLEANWORK_OUTCOME=ok\nGLEANWORK_REMOVED=0\ndiff\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "alerts/2"));
    const std::vector<std::string> posts = hook.Requests();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_NE(posts[1].find("\"event\":\"recovery\""), std::string::npos) << posts[1];
    EXPECT_EQ(HistoryColumns(folder), "ok\t1\t1\t-\t-\nfailed\t2\t1\t-\t-\nfailed\t2\t1\t-\t-\n");
}

}  // namespace
}  // namespace gleanwork::test
