// The run history in a real SQLite file and in the PostgreSQL server of
// the database tests: recording, comparing, keeping, and two programs
// recording at once.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <set>
#include <sstream>

#include "support/AgentSamples.h"
#include "support/CaseFile.h"
#include "support/PostgresServer.h"
#include "watch/HistoryOpen.h"
#include "watch/PostgresHistory.h"
#include "watch/RunRecording.h"
#include "watch/SqliteHistory.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;

const std::map<std::string, RunEnd> kEnds = {{"completed", RunEnd::kCompleted},
                                             {"errors", RunEnd::kCompletedWithErrors},
                                             {"stopped", RunEnd::kStopped},
                                             {"limit", RunEnd::kLimitReached}};

std::string ChangesText(const RunEntry& entry) {
    return entry.changes ? "+" + std::to_string(entry.changes->added) + "-" +
                               std::to_string(entry.changes->removed)
                         : "-";
}

// A finished run whose output is `output` ("|" for a line feed, "." for
// nothing, "-" for none), started `second` seconds after a fixed moment.
FinishedRun RunAt(int second, const std::string& output, RunEnd end = RunEnd::kCompleted) {
    FinishedRun run;
    run.outcome.started = std::chrono::system_clock::time_point(1'800'000'000s + second * 1s);
    run.outcome.duration = 1500ms;
    run.outcome.end = end;
    if (output != "-") {
        run.output = output == "." ? "" : output;
        std::replace(run.output->begin(), run.output->end(), '|', '\n');
    }
    run.log = {{"Engine started.", "run " + std::to_string(second)}, 7, {"Agent completed."}};
    return run;
}

class HistoryStoreTest : public ::testing::TestWithParam<bool> {
protected:
    bool Postgres() const { return GetParam(); }

    void SetUp() override {
        if (Postgres()) {
            server_.Start();
        }
    }

    std::unique_ptr<HistoryConnection> Connect(HistoryResult& result) {
        return Postgres() ? OpenPostgresHistory(server_.LoginUri(), result)
                          : OpenSqliteHistory(folder_ / "history.db", result);
    }

    std::unique_ptr<HistoryStore> Open() {
        HistoryResult result;
        std::unique_ptr<HistoryConnection> connection = Connect(result);
        EXPECT_TRUE(result) << result.reason;
        return connection ? std::make_unique<HistoryStore>(std::move(connection)) : nullptr;
    }

    // The single number that `sql` gives, through a connection of its own.
    std::int64_t Number(const std::string& sql) {
        HistoryResult result;
        const auto connection = Connect(result);
        std::vector<SqlRow> rows;
        EXPECT_TRUE(connection && connection->Run(sql, {}, &rows)) << sql;
        return rows.size() == 1 ? std::stoll(rows[0][0].value_or("-1")) : -1;
    }

    TempFolder folder_;
    PostgresServer server_;
};

INSTANTIATE_TEST_SUITE_P(Stores, HistoryStoreTest, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "PostgreSQL" : "SQLite"; });

TEST_P(HistoryStoreTest, RecordsComparesAndKeepsTheLastOutputsOnce) {
    std::vector<std::string> errors;
    const Table rows = ReadTable(GLEANWORK_TEST_DATA "/watch/history.txt", "runs", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    const auto store = Open();
    ASSERT_TRUE(store);
    AgentDefinition agent = MakeAgent("Prices\xe9");
    agent.KEEPRUNS = "3";
    agent.IGNORELINES = "^#";
    std::vector<RunEntry> recorded;
    std::set<std::string> keptOutputs;
    for (const auto& row : rows) {
        std::istringstream fields(row.at(0));
        std::string end;
        std::string output;
        std::uint64_t counts[3] = {};
        fields >> end >> counts[0] >> counts[1] >> counts[2] >> output;
        FinishedRun run = RunAt(static_cast<int>(recorded.size()), output, kEnds.at(end));
        run.outcome.errors = counts[0];
        run.outcome.linesPrinted = counts[1];
        run.outcome.rows = counts[2];
        run.outcome.database = DatabaseFate::kCommitted;
        const RecordedRun result = RecordRun(*store, agent, run);
        SCOPED_TRACE(row.at(0));
        ASSERT_TRUE(result.stored) << result.stored.reason;
        std::istringstream expected(row.at(1));
        std::string outcome;
        std::string changes;
        expected >> outcome >> changes;
        EXPECT_EQ(OutcomeWord(result.entry.outcome), outcome);
        EXPECT_EQ(ChangesText(result.entry), changes);
        recorded.insert(recorded.begin(), result.entry);
        if (row.at(2) == "kept" && run.output) {
            keptOutputs.insert(*run.output);
        }
    }
    std::vector<RunEntry> runs;
    ASSERT_TRUE(store->Runs(agent.name, runs));
    ASSERT_EQ(runs.size(), rows.size());
    std::vector<std::string> kept;
    for (std::size_t at = 0; at < runs.size(); ++at) {
        EXPECT_EQ(runs[at].kept, rows[rows.size() - 1 - at].at(2) == "kept") << at;
        recorded[at].kept = runs[at].kept;
        std::optional<std::string> log;
        EXPECT_TRUE(store->KeptLog(runs[at].id, log));
        const int second = static_cast<int>(rows.size() - 1 - at);
        EXPECT_EQ(log, runs[at].kept ? std::optional<std::string>(KeptLogText(RunAt(second, "")))
                                     : std::nullopt);
    }
    EXPECT_EQ(runs, recorded);
    EXPECT_EQ(Number("SELECT count(*) FROM gleanwork_outputs"),
              static_cast<std::int64_t>(keptOutputs.size()));

    // The kept outputs newest first; the third kept run has none.
    std::optional<KeptOutput> output;
    ASSERT_TRUE(store->KeptOutputOf(agent.name, 0, output));
    EXPECT_EQ(output->content, "c\na\n");
    ASSERT_TRUE(store->KeptOutputOf(agent.name, 1, output));
    EXPECT_EQ(output->content, "");
    EXPECT_EQ(output->run, runs[1]);
    ASSERT_TRUE(store->KeptOutputOf(agent.name, 2, output));
    EXPECT_FALSE(output);

    ASSERT_TRUE(RecordRun(*store, MakeAgent("Other"), RunAt(-5, "x|")).stored);
    std::vector<RunEntry> last;
    ASSERT_TRUE(store->LastRuns(last));
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].agent, "Other");
    EXPECT_EQ(last[1], runs.front());
}

// Two programs open the history when it has no tables yet, then record ten
// runs each of one agent at the same moments. Every run lands, and every
// kept run keeps its output.
TEST_P(HistoryStoreTest, TwoProgramsRecordingAtOnceBothLand) {
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char go = 0;
            static_cast<void>(::read(start[0], &go, 1));
            HistoryResult result;
            HistoryStore store(Connect(result));
            AgentDefinition agent = MakeAgent("Shared");
            agent.KEEPRUNS = "2";
            for (int second = 0; result && second < 10; ++second) {
                result = RecordRun(store, agent, RunAt(second, second % 3 ? "x|" : "y|")).stored;
            }
            std::fprintf(stderr, "%s", result ? "" : (result.reason + "\n").c_str());
            ::_exit(result ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);  // both go
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Number("SELECT count(*) FROM gleanwork_runs WHERE agent = 'Shared'"), 20);
    EXPECT_LE(Number("SELECT count(*) FROM gleanwork_runs WHERE kept = 1"), 3);
    EXPECT_EQ(Number("SELECT count(*) FROM gleanwork_runs r WHERE kept = 1 AND NOT EXISTS "
                     "(SELECT 1 FROM gleanwork_outputs o WHERE o.digest = r.output_digest)"),
              0);
    EXPECT_EQ(Number("SELECT count(*) FROM gleanwork_outputs o WHERE NOT EXISTS (SELECT 1 FROM "
                     "gleanwork_runs r WHERE r.kept = 1 AND o.digest = r.output_digest)"),
              0);
}

// A history that another program holds locked is read, not written, and the
// run still gets its outcome; a damaged file and a bad address are named
// (the address never shown), and so are keys that cannot be used.
TEST(SqliteHistory, ALockedOrDamagedHistoryOrABadKeyNeverFailsTheRun) {
    const TempFolder folder;
    HistoryResult result;
    const auto holder = OpenSqliteHistory(folder / "history.db", result);
    ASSERT_TRUE(holder && holder->BeginRecording(0));
    HistoryStore waiting(OpenSqliteHistory(folder / "history.db", result, 50ms));
    ASSERT_TRUE(result) << result.reason;
    AgentDefinition agent = MakeAgent("News");
    agent.KEEPRUNS = "0";
    agent.IGNORELINES = "(";
    agent.IGNOREORDER = "yes";
    const RecordedRun recorded = RecordRun(waiting, agent, RunAt(0, "a|"));
    EXPECT_EQ(recorded.stored.reason, "'" + folder / "history.db" + "': database is locked");
    EXPECT_EQ(recorded.entry.outcome, HistoryOutcome::kOk);
    EXPECT_EQ(recorded.notes,
              std::vector<std::string>(
                  {"KEEPRUNS \"0\" is no whole number from 1 to 10000: the last 10 runs are kept",
                   "IGNORELINES \"(\" is no regular expression (missing closing parenthesis at "
                   "character 1): no line is ignored",
                   "IGNOREORDER \"yes\" is neither 1 nor 0: the order of lines counts"}));
    std::vector<RunEntry> runs;
    EXPECT_TRUE(waiting.Runs("News", runs));

    WriteFile(folder / "damaged.db", std::string(8192, 'x'));
    EXPECT_FALSE(OpenSqliteHistory(folder / "damaged.db", result));
    EXPECT_EQ(result.reason, "'" + folder / "damaged.db" +
                                 "': file is not a database (the history is damaged; move the "
                                 "file away to begin a new one)");

    const ScopedEnvironment shared("GLEANWORK_HISTORY", "host=db password=secret");
    EXPECT_FALSE(OpenHistory(result));
    EXPECT_EQ(result.reason, "GLEANWORK_HISTORY is set but is no postgresql:// address");
}

}  // namespace
}  // namespace gleanwork::test
