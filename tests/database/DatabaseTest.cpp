// Statement templates, and agents that write into real databases: an SQLite
// file, and a PostgreSQL server that the test starts for itself.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <iterator>
#include <sstream>

#include "database/DataSource.h"
#include "database/SqliteDatabase.h"
#include "run/AgentEngine.h"
#include "run/DatabaseCheck.h"
#include "run/DatabaseSession.h"
#include "support/CaseFile.h"
#include "support/PostgresServer.h"
#include "support/RecordingRunLog.h"

using namespace gleanwork;

namespace {

TEST(StatementTemplateTest, PutsAPlaceholderForEveryReference) {
    const std::string path = GLEANWORK_TEST_DATA "/database/statements.txt";
    std::vector<std::string> errors;
    const test::Table rows = test::ReadTable(path, "parameterize", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    std::string error;
    const auto database = OpenSqliteDatabase(":memory:", error);
    ASSERT_TRUE(database) << error;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u) << row.front();
        const ParameterizedStatement statement = ParameterizeFor(row[0], *database);
        std::istringstream names(row[1]);
        EXPECT_EQ(statement.names,
                  std::vector<std::string>(std::istream_iterator<std::string>(names), {}))
            << row[0];
        EXPECT_EQ(statement.sql, row[2]);
    }
}

// Inserts every value of its source text, each ended by "|", and prints the
// values whose statement did not run.
const std::vector<std::string> kInsertEachValue = {
    "BOOKMARK next", "GETUNTIL \"|\"",  "JUMPIFFAILED done", "SAVETO v", "INSERTDATA",
    "JUMPIFOK done", "PRINTLN \"{v}\"", "BOOKMARK done",     "SKIP 1",   "JUMPIFOK next"};

std::size_t CountStarting(const std::vector<std::string>& lines, std::string_view prefix) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.starts_with(prefix); });
}

class DatabaseRunTest : public ::testing::TestWithParam<DatabaseEngine> {
protected:
    void SetUp() override {
        if (GetParam() == DatabaseEngine::kPostgres) {
            server_.Start();
            if (IsSkipped() || HasFailure()) {
                return;
            }
        }
        Query("CREATE TABLE t (v TEXT CHECK (v <> '<no>'))");
    }

    AgentDefinition Agent(const std::vector<std::string>& values,
                          std::string insert = "INSERT INTO t (v) VALUES ('{v}')") {
        std::string text;
        for (const std::string& value : values) {
            text += value + "|";
        }
        test::WriteFile(folder_ / "values.txt", text);
        AgentDefinition agent;
        agent.URL = folder_ / "values.txt";
        agent.FILE = folder_ / "not-run.txt";
        agent.SCRIPT = kInsertEachValue;
        agent.DBINSERT = std::move(insert);
        const bool postgres = GetParam() == DatabaseEngine::kPostgres;
        agent.DBSOURCE = postgres ? server_.Uri() : folder_ / "values.db";
        agent.DBUSER = postgres ? test::PostgresServer::kUser : "";
        agent.DBPASS = postgres ? test::PostgresServer::kPassword : "";
        return agent;
    }

    // Runs `agent`, set up by `setUp`; `log_.onLine` may stop it or the
    // server on the way.
    RunOutcome Run(
        const AgentDefinition& agent,
        const std::function<void(AgentEngine&)>& setUp = [](AgentEngine&) {}) {
        AgentEngine engine(agent, &log_);
        setUp(engine);
        engine_ = &engine;
        const RunOutcome outcome = engine.Run();
        engine_ = nullptr;
        return outcome;
    }

    std::string NotRun() const { return test::ReadFile(folder_ / "not-run.txt"); }

    // The lines that the engine's command-line client prints for `sql`.
    std::vector<std::string> Query(const std::string& sql = "SELECT v FROM t ORDER BY v") {
        const std::string client = GetParam() == DatabaseEngine::kSqlite
                                       ? "sqlite3 '" + folder_ / "values.db" + "'"
                                       : "psql -XAtq '" + server_.LoginUri() + "' -c";
        const std::string rows = folder_ / "rows";
        EXPECT_EQ(std::system((client + " \"" + sql + "\" >'" + rows + "'").c_str()), 0);
        std::istringstream in(test::ReadFile(rows));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    test::TempFolder folder_;
    test::PostgresServer server_;
    test::RecordingRunLog log_;
    AgentEngine* engine_ = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Engines, DatabaseRunTest,
                         ::testing::Values(DatabaseEngine::kSqlite, DatabaseEngine::kPostgres),
                         [](const auto& param) {
                             return param.param == DatabaseEngine::kSqlite ? "SQLite"
                                                                           : "PostgreSQL";
                         });

// The values of the [SQL] lines of `lines` (statements INSERT INTO t (v)
// VALUES ('<value>')) that no ERROR line follows, sorted as the databases'
// C collation sorts them (byte order).
std::vector<std::string> LoggedAsRun(const std::vector<std::string>& lines) {
    const std::string head = "[SQL]: INSERT INTO t (v) VALUES ('";
    std::vector<std::string> run;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool failed = i + 1 < lines.size() && lines[i + 1].starts_with("ERROR: ");
        if (lines[i].starts_with(head) && !failed) {
            run.push_back(lines[i].substr(head.size(), lines[i].size() - head.size() - 2));
        }
    }
    std::sort(run.begin(), run.end());
    return run;
}

// Values are bound, never pasted: quotes, injection text, braces, a huge
// value and a value inside a longer quoted text land as they are. A refused
// statement fails alone (PostgreSQL's UTF-8 database also refuses bytes that
// are not UTF-8); a stopped run keeps what its log shows as run before the
// stop, and (in PostgreSQL, where the script goes on past statements sent,
// after a refusal only a few at first) runs few statements after it. Test
// connection then prepares both statements and says how it went.
TEST_P(DatabaseRunTest, BindsRefusesAloneAndKeepsWhatRanBeforeAStop) {
    const std::string latin1 = "caf\xE9";
    const bool postgres = GetParam() == DatabaseEngine::kPostgres;
    std::vector<std::string> values = {"O'Brien said \"hi\"",
                                       "'); DROP TABLE t; --",
                                       "{v} \\x41",
                                       std::string(3 << 20, 'x'),
                                       latin1,
                                       "no"};
    for (int n = 100; n < 200; ++n) {
        values.push_back(std::to_string(n));
    }
    log_.onLine = [&](std::string_view line) {
        if (line == "{v} = 110") {
            engine_->Stop();
        }
    };
    AgentDefinition agent = Agent(values, "INSERT INTO t (v) VALUES ('<{v}>')");
    Run(agent);
    EXPECT_EQ(NotRun(), postgres ? latin1 + "\nno\n" : "no\n");
    EXPECT_EQ(CountStarting(log_.lines, "ERROR: "), postgres ? 2u : 1u);
    EXPECT_EQ(CountStarting(log_.lines, "ERROR: The database refused the statement: "),
              postgres ? 2u : 1u);
    const std::vector<std::string> kept = LoggedAsRun(log_.lines);
    // Up to "109", and in PostgreSQL those sent before the stop was seen.
    EXPECT_GE(kept.size(), postgres ? 14u : 15u);
    EXPECT_LE(kept.size(), postgres ? 30u : 15u);
    EXPECT_TRUE(Query() == kept);  // no dump of the huge value

    agent.DBUPDATE = "UPDATE nowhere SET v = '{v}'";
    const std::string report = CheckDatabaseSettings(agent);
    EXPECT_NE(report.find(".\nThe SQL for INSERTDATA command is accepted.\nThe SQL for UPDATEDATA "
                          "command is refused: "),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("nowhere"), std::string::npos) << report;
}

// A reference with filters binds the filtered value, quoted or not: the
// database holds what the [SQL] line shows.
TEST_P(DatabaseRunTest, StoresFilteredValuesAsLogged) {
    const RunOutcome outcome = Run(
        Agent({" Tom &amp; Jerry "}, "INSERT INTO t (v) VALUES ('{v|html|trim}'), ({v | trim})"));
    EXPECT_EQ(outcome.database, DatabaseFate::kCommitted);
    EXPECT_EQ(outcome.rows, 1u);  // statements, not the rows they wrote
    EXPECT_NE(std::find(log_.lines.begin(), log_.lines.end(),
                        "[SQL]: INSERT INTO t (v) VALUES ('Tom & Jerry'), (Tom &amp; Jerry)"),
              log_.lines.end());
    EXPECT_EQ(Query(), (std::vector<std::string>{"Tom & Jerry", "Tom &amp; Jerry"}));
}

// A run whose source failed runs its statements but leaves the database as
// it was, and so does a test run; both say so. The failed run's loop, which
// can only repeat itself, ends by itself. A loop that waits for the database
// to take a statement may end another time: only the step limit ends it.
TEST_P(DatabaseRunTest, AFailedSourceOrATestRunLeavesTheDatabaseAsItWas) {
    AgentDefinition failed = Agent({});
    failed.URL = folder_ / "missing.html";
    failed.SCRIPT = {
        "BOOKMARK item", "FIND \"href=\\\"\"", "JUMPIFFAILED done", "GETUNTIL \"\\\"\"",
        "SAVETO v",      "FETCH \"{v}\"",      "INSERTDATA",        "BACK",
        "JUMPIFOK item", "BOOKMARK done"};
    Run(failed);
    const RunOutcome testRun =
        Run(Agent({"a", "b"}), [](AgentEngine& engine) { engine.SetTestRun(true); });
    EXPECT_EQ(testRun.database, DatabaseFate::kRolledBack);
    EXPECT_EQ(testRun.rows, 2u);
    EXPECT_EQ(CountStarting(log_.lines, "[SQL]: "), 3u + 2u);
    EXPECT_EQ(CountStarting(log_.lines, "Database left as it was: "), 2u);
    EXPECT_EQ(CountStarting(log_.lines, "ERROR: Endless loop: "), 1u);
    EXPECT_EQ(Query(), std::vector<std::string>{});
    EXPECT_FALSE(std::filesystem::exists(folder_ / "not-run.txt"));

    AgentDefinition retrying = Agent({"no"}, "INSERT INTO t (v) VALUES ('<{v}>')");
    retrying.SCRIPT = {"GETUNTIL \"|\"", "SAVETO v", "BOOKMARK again", "INSERTDATA",
                       "JUMPIFFAILED again"};
    log_.lines.clear();
    Run(retrying, [](AgentEngine& engine) { engine.SetRunLimits({20, {}}); });
    EXPECT_EQ(log_.lines.at(log_.lines.size() - 2), "ERROR: The run took more than 20 steps");
}

using PostgresRunTest = DatabaseRunTest;
INSTANTIATE_TEST_SUITE_P(Engines, PostgresRunTest, ::testing::Values(DatabaseEngine::kPostgres),
                         [](const auto&) { return "PostgreSQL"; });

// A wrong password is named as such, and no password is anywhere in the log,
// also where the client library echoes a malformed address. A lost
// connection is one error; later statements fail without waiting; what
// earlier runs committed stays.
TEST_P(PostgresRunTest, AWrongPasswordOrALostConnectionFailsCleanly) {
    AgentDefinition agent = Agent({"a", "b"});
    agent.DBPASS = "not-the-password-7f3a";
    Run(agent);
    EXPECT_EQ(NotRun(), "a\nb\n");
    const auto refused = std::find_if(log_.lines.begin(), log_.lines.end(), [](auto& line) {
        return line.starts_with("ERROR: Cannot open the database: ");
    });
    ASSERT_NE(refused, log_.lines.end());
    EXPECT_NE(refused->find("password authentication failed"), std::string::npos);
    EXPECT_EQ(CountStarting(log_.lines, "ERROR: Statement not run: "), 1u);
    agent.DBSOURCE = server_.Uri() + "&password=bad%zz-7f3a";
    Run(agent);
    for (const std::string& line : log_.lines) {
        EXPECT_EQ(line.find("7f3a"), std::string::npos) << line;
    }

    // The connection goes while the statement of "2" runs.
    Run(Agent({"kept"}));
    Query(
        "CREATE FUNCTION quit() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN IF NEW.v = ''2'' "
        "THEN PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END'; "
        "CREATE TRIGGER quit BEFORE INSERT ON t FOR EACH ROW EXECUTE FUNCTION quit()");
    log_.lines.clear();
    Run(Agent({"1", "2", "3", "4"}));
    EXPECT_EQ(NotRun(), "2\n3\n4\n");
    EXPECT_EQ(CountStarting(log_.lines, "ERROR: Lost the database connection"), 1u);
    EXPECT_EQ(CountStarting(log_.lines, "ERROR: Statement not run: "), 2u);
    EXPECT_EQ(Query(), std::vector<std::string>{"kept"});
}

// The log with the database's own words taken out of its refusals.
std::vector<std::string> WithoutRefusalReasons(std::vector<std::string> lines) {
    const std::string refused = "ERROR: The database refused the statement: ";
    for (std::string& line : lines) {
        if (line.starts_with(refused)) {
            line.resize(refused.size());
        }
    }
    return lines;
}

// The script goes on past the statements sent and comes back to a refused
// one, at the start of a series sent as one statement, in its middle (two
// in a row, with a JUMPIFFAILED right after each) and at its end: the log
// (but for the database's words), the output and the rows are those of the
// same run on SQLite, where each statement is waited for, also when the
// step limit ends the run past a refusal.
TEST_P(PostgresRunTest, GoesBackToARefusedStatementAsIfEachWereWaitedFor) {
    std::vector<std::string> records;
    for (int n = 0; n < 300; ++n) {
        const bool refused = n == 0 || n == 150 || n == 151 || n == 299;
        records.push_back((refused ? "<no>" : std::to_string(n)) + ",t" + std::to_string(n));
    }
    AgentDefinition agent = Agent(records);
    agent.SCRIPT = {"BOOKMARK next",
                    "GETUNTIL \",\"",
                    "JUMPIFFAILED end",
                    "SAVETO v",
                    "SKIP 1",
                    "INSERTDATA",
                    "JUMPIFFAILED refused",
                    "GETUNTIL \"|\"",
                    "SAVETO tag",
                    "SKIP 1",
                    "JUMPIFOK next",
                    "BOOKMARK refused",
                    "PRINTLN \"{v} after {tag}\"",
                    "SKIPUNTIL \"|\"",
                    "SKIP 1",
                    "JUMPIFOK next",
                    "BOOKMARK end"};
    AgentDefinition waited = agent;
    waited.DBSOURCE = folder_ / "waited.db";
    waited.DBUSER = waited.DBPASS = "";
    const std::string sqlite = "sqlite3 '" + folder_ / "waited.db" + "' ";
    ASSERT_EQ(std::system((sqlite + "\"CREATE TABLE t (v TEXT CHECK (v <> '<no>'))\"").c_str()), 0);
    for (const std::uint64_t steps : {100000, 1700}) {
        SCOPED_TRACE(steps);
        log_.lines.clear();
        Run(waited, [&](AgentEngine& engine) { engine.SetRunLimits({steps, {}}); });
        const std::vector<std::string> waitedLog = WithoutRefusalReasons(log_.lines);
        const std::string waitedOutput = NotRun();
        log_.lines.clear();
        Run(agent, [&](AgentEngine& engine) { engine.SetRunLimits({steps, {}}); });
        EXPECT_EQ(WithoutRefusalReasons(log_.lines), waitedLog);
        EXPECT_EQ(NotRun(), waitedOutput);
        const std::string rows = folder_ / "rows";
        ASSERT_EQ(std::system((sqlite + "'SELECT v FROM t ORDER BY v' >'" + rows + "'").c_str()),
                  0);
        std::vector<std::string> waitedRows;
        std::istringstream in(test::ReadFile(rows));
        for (std::string line; std::getline(in, line);) {
            waitedRows.push_back(line);
        }
        EXPECT_EQ(Query(), waitedRows);
        EXPECT_EQ(CountStarting(waitedLog, "ERROR: The database refused"), steps == 1700 ? 3u : 4u);
    }
}

// A signal's stop (which only raises the stop signal) ends a wait for
// another session's lock at once: the run ends, and what its statements did
// before is kept, but not the interrupted statement. In SQLite the wait is
// for the file's write lock, before the first statement runs, and would
// last 5 s.
TEST_P(DatabaseRunTest, AStopEndsAWaitForALock) {
    const bool postgres = GetParam() == DatabaseEngine::kPostgres;
    std::function<void()> unlock;
    if (postgres) {
        Query("CREATE UNIQUE INDEX t_v ON t (v)");
        PGconn* locker = PQconnectdb(server_.LoginUri().c_str());
        PQclear(PQexec(locker, "BEGIN; INSERT INTO t VALUES ('b')"));
        unlock = [locker] { PQfinish(locker); };
    } else {
        sqlite3* locker = nullptr;
        sqlite3_open((folder_ / "values.db").c_str(), &locker);
        sqlite3_exec(locker, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        unlock = [locker] { sqlite3_close(locker); };
    }
    std::promise<void> waiting;
    log_.onLine = [&](std::string_view line) {
        if (!postgres && line.ends_with("('a')")) {
            waiting.set_value();
        }
    };
    const AgentDefinition agent = Agent({"a", "b"});
    AgentEngine engine(agent, &log_);
    auto run = std::async(std::launch::async, [&] { engine.Run(); });
    std::future<void> waits = waiting.get_future();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool started = false;
    while (!started && std::chrono::steady_clock::now() < limit) {
        started = postgres
                      ? Query("SELECT count(*) FROM pg_locks WHERE NOT granted") !=
                            std::vector<std::string>{"0"}
                      : waits.wait_for(std::chrono::milliseconds(10)) == std::future_status::ready;
    }
    engine.StopFromSignal();
    const bool ended = run.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    unlock();
    run.wait();
    EXPECT_TRUE(started && ended);
    EXPECT_EQ(Query(), postgres ? std::vector<std::string>{"a"} : std::vector<std::string>{});
}

}  // namespace
