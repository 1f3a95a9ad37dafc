// Statements sent to PostgreSQL without waiting for their results: a
// refused one fails alone wherever it is in the series, a series larger
// than the socket's buffers goes through, and a stop ends a wait for a lock.

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "base/OwnedHandle.h"
#include "database/PostgresDatabase.h"
#include "database/RowInsert.h"
#include "support/CaseFile.h"
#include "support/PostgresServer.h"

using namespace gleanwork;

namespace {

TEST(RowInsertTest, MergesOnlyInsertsThatCannotReadWhatTheyInsert) {
    std::vector<std::string> errors;
    const test::Table rows =
        test::ReadTable(GLEANWORK_TEST_DATA "/database/row-inserts.txt", "row inserts", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u) << row.front();
        const std::optional<RowInsert> insert = ReadRowInsert(row[0]);
        EXPECT_EQ(insert ? insert->table : "-", row[1]) << row[0];
        EXPECT_EQ(insert ? ManyRowInsert(*insert, 2) : "-", row[2]) << row[0];
    }
}

// Each value of a run; "|" parts them.
std::vector<std::string> Values(const std::string& run) {
    std::vector<std::string> values;
    std::size_t start = 0;
    for (std::size_t bar = run.find('|'); bar != std::string::npos; bar = run.find('|', start)) {
        values.push_back(run.substr(start, bar - start));
        start = bar + 1;
    }
    values.push_back(run.substr(start));
    return values;
}

// "0" to "count - 1", "no" at `refused`.
std::vector<std::string> Numbers(int count, const std::set<std::size_t>& refused) {
    std::vector<std::string> runs;
    for (int n = 0; n < count; ++n) {
        runs.push_back(refused.count(runs.size()) ? "no" : std::to_string(n));
    }
    return runs;
}

class PipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.Start();
        if (IsSkipped() || HasFailure()) {
            return;
        }
        client_.reset(PQconnectdb(server_.LoginUri().c_str()));
    }

    // The first value of what `sql` returns, or its error.
    std::string Query(const std::string& sql) {
        const OwnedHandle<PGresult, PQclear> result(PQexec(client_.get(), sql.c_str()));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            return PQresultErrorMessage(result.get());
        }
        return PQntuples(result.get()) > 0 ? PQgetvalue(result.get(), 0, 0) : "";
    }

    std::unique_ptr<Database> Open(const std::string& sql) {
        std::string error;
        auto database = OpenPostgresDatabase(
            server_.Uri(), {test::PostgresServer::kUser, test::PostgresServer::kPassword}, error);
        EXPECT_TRUE(database) << error;
        if (database) {
            EXPECT_EQ(database->Begin(error), DatabaseResult::kDone) << error;
            EXPECT_EQ(database->Prepare(sql, statement_, error), DatabaseResult::kDone) << error;
        }
        return database;
    }

    // Sends `runs` in order as a script run would, going on without waiting
    // and looking at the outcomes now and then: after a refusal it goes
    // back to the run after the refused one. The refused runs, with their
    // messages.
    std::map<std::size_t, std::string> SendAll(Database& database,
                                               const std::vector<std::string>& runs) {
        std::map<StatementTicket, std::size_t> sent;
        std::map<std::size_t, std::string> refused;
        std::vector<StatementReport> reports;
        std::size_t next = 0;
        const auto look = [&] {
            for (const StatementReport& report : reports) {
                EXPECT_NE(report.outcome, StatementOutcome::kLost) << report.error;
                if (report.outcome == StatementOutcome::kRefused) {
                    refused[sent.at(report.ticket)] = report.error;
                    next = sent.at(report.ticket) + 1;
                }
            }
            reports.clear();
        };
        do {
            while (next < runs.size()) {
                const std::vector<std::string> values = Values(runs[next]);
                std::vector<const std::string*> bound;
                for (const std::string& value : values) {
                    bound.push_back(&value);
                }
                sent[database.Send(*statement_, bound)] = next++;
                if (next % 50 == 0) {
                    database.Collect(reports);
                    look();
                }
            }
            database.Wait(reports);
            look();
        } while (next < runs.size());
        return refused;
    }

    test::PostgresServer server_;
    OwnedHandle<PGconn, PQfinish> client_;
    std::unique_ptr<DatabaseStatement> statement_;
};

struct SeriesCase {
    const char* name;
    const char* table;
    const char* statement;
    std::vector<std::string> runs;
    std::set<std::size_t> refused;
    std::string check;  // a query, and what it returns
    std::string expected;
};

// A refused run fails alone and the runs before and after it land, also
// when many runs went as one statement; what the table does on each
// statement (a trigger), or what a row checks of those before it (a foreign
// key into its own table), or a duplicate that a run skips, comes out as
// it does when each run is a statement of its own. The number of
// transaction ids says how many statements ran: the runs of a one-row
// INSERT go together.
TEST_F(PipelineTest, ARefusedRunFailsAloneAndTheOthersLandAsSingleStatementsWould) {
    const char* kChecked = "CREATE TABLE t (id serial, v text CHECK (v <> 'no'));";
    // How many rows landed, the sum of their values, whether they are in the
    // order sent, and how many statements they took.
    const std::string kRows =
        "SELECT count(*) || ' ' || sum(v::int) || ' ' || "
        "(string_agg(v, ',' ORDER BY id) = string_agg(v, ',' ORDER BY "
        "v::int)) || ' ' || ";
    const std::string kOneStatement = kRows + "(count(DISTINCT xmin::text) < 30) FROM t";
    const std::string kEachAlone = kRows + "count(DISTINCT xmin::text) FROM t";
    const std::vector<SeriesCase> cases = {
        {"rows of one statement",
         kChecked,
         "INSERT INTO t (v) VALUES ($1)",
         Numbers(300, {150, 151, 299}),
         {150, 151, 299},
         kOneStatement,
         "297 44250 true true"},
        {"a statement each",
         kChecked,
         "INSERT INTO t (v) VALUES (lower($1))",
         Numbers(300, {0, 150}),
         {0, 150},
         kEachAlone,
         "298 44700 true 298"},
        {"a trigger on each statement",
         "CREATE TABLE t (id serial, v text CHECK (v <> 'no')); CREATE TABLE c (n int); "
         "INSERT INTO c VALUES (0); CREATE FUNCTION bump() RETURNS trigger LANGUAGE plpgsql AS "
         "'BEGIN UPDATE c SET n = n + 1; RETURN NULL; END'; CREATE TRIGGER bump AFTER INSERT ON "
         "t FOR EACH STATEMENT EXECUTE FUNCTION bump();",
         "INSERT INTO t (v) VALUES ($1)",
         Numbers(200, {100}),
         {100},
         "SELECT n FROM c",
         "199"},
        {"a foreign key into its own table",
         "CREATE TABLE n (id int PRIMARY KEY, parent int REFERENCES n (id));",
         "INSERT INTO n VALUES ($1, $2)",
         {"1|1", "2|3", "3|1", "4|2"},
         {1, 3},
         "SELECT string_agg(id::text, ',' ORDER BY id) FROM n",
         "1,3"},
        {"duplicates skipped",
         "CREATE TABLE u (v text PRIMARY KEY);",
         "INSERT INTO u VALUES ($1) ON CONFLICT DO NOTHING",
         {"a", "b", "a", "c", "b"},
         {},
         "SELECT string_agg(v, ',' ORDER BY v) FROM u",
         "a,b,c"},
    };
    for (const SeriesCase& c : cases) {
        SCOPED_TRACE(c.name);
        Query("DROP SCHEMA public CASCADE; CREATE SCHEMA public;");
        ASSERT_EQ(Query(c.table), "");
        const std::unique_ptr<Database> database = Open(c.statement);
        ASSERT_TRUE(database && statement_);
        const std::map<std::size_t, std::string> refused = SendAll(*database, c.runs);
        std::set<std::size_t> refusedRuns;
        for (const auto& [run, error] : refused) {
            refusedRuns.insert(run);
            EXPECT_TRUE(error.find("violates") != std::string::npos) << error;
        }
        EXPECT_EQ(refusedRuns, c.refused);
        std::string error;
        EXPECT_EQ(database->Commit(error), DatabaseResult::kDone) << error;
        EXPECT_EQ(Query(c.check), c.expected);
        statement_.reset();
    }
}

std::map<StatementOutcome, int> Tally(const std::vector<StatementReport>& reports) {
    std::map<StatementOutcome, int> outcomes;
    for (const StatementReport& report : reports) {
        ++outcomes[report.outcome];
    }
    return outcomes;
}

// 20,000 runs of 1 kB, sent without a look at the results, are far more
// than the socket takes at once, and their results more than it takes the
// other way: the series must not stall. The refusal of the 19,001st run,
// learned while later runs are sent, drops them: none of them lands.
TEST_F(PipelineTest, ASeriesLargerThanTheSocketBuffersGoesThrough) {
    ASSERT_EQ(Query("CREATE TABLE t (v text CHECK (v NOT LIKE 'no%'))"), "");
    const std::unique_ptr<Database> database = Open("INSERT INTO t (v) VALUES (lower($1))");
    ASSERT_TRUE(database && statement_);
    const std::string value(1000, 'x');
    const std::string refused = "no" + value;
    auto sending = std::async(std::launch::async, [&] {
        std::vector<StatementReport> reports;
        for (int n = 0; n < 20000; ++n) {
            const std::string* bound = n == 19000 ? &refused : &value;
            database->Send(*statement_, {&bound, 1});
        }
        database->Wait(reports);
        std::string error;
        EXPECT_EQ(database->Commit(error), DatabaseResult::kDone) << error;
        return reports;
    });
    if (sending.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        server_.Stop();  // ends the stalled exchange
        FAIL() << "the series stalled";
    }
    EXPECT_EQ(Tally(sending.get()),
              (std::map<StatementOutcome, int>{{StatementOutcome::kDone, 19000},
                                               {StatementOutcome::kRefused, 1},
                                               {StatementOutcome::kDropped, 999}}));
    EXPECT_EQ(Query("SELECT count(*) FROM t"), "19000");
}

// A stop while the series waits for a row lock that another session holds
// ends the wait: the runs before the waiting one stay, it is refused, and
// those after it are dropped.
TEST_F(PipelineTest, AStopEndsASeriesThatWaitsForALock) {
    ASSERT_EQ(Query("CREATE TABLE t (v text PRIMARY KEY)"), "");
    OwnedHandle<PGconn, PQfinish> locker(PQconnectdb(server_.LoginUri().c_str()));
    PQclear(PQexec(locker.get(), "BEGIN; INSERT INTO t VALUES ('k')"));
    const std::unique_ptr<Database> database = Open("INSERT INTO t (v) VALUES ($1)");
    ASSERT_TRUE(database && statement_);
    std::vector<std::string> runs = Numbers(300, {});
    runs[200] = "k";
    auto sending = std::async(std::launch::async, [&] {
        std::vector<StatementReport> reports;
        for (const std::string& run : runs) {
            const std::string* bound = &run;
            database->Send(*statement_, {&bound, 1});
        }
        database->Wait(reports);
        return reports;
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Query("SELECT count(*) FROM pg_locks WHERE NOT granted") == "0" &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    database->Interrupt();
    const bool ended = sending.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    locker.reset();  // ends a wait that the stop did not end
    const std::vector<StatementReport> reports = sending.get();
    EXPECT_TRUE(ended);
    for (const StatementReport& report : reports) {
        if (report.outcome == StatementOutcome::kRefused) {
            EXPECT_EQ(report.ticket, 201u);
            EXPECT_NE(report.error.find("cancel"), std::string::npos) << report.error;
        }
    }
    EXPECT_EQ(Tally(reports), (std::map<StatementOutcome, int>{{StatementOutcome::kDone, 200},
                                                               {StatementOutcome::kRefused, 1},
                                                               {StatementOutcome::kDropped, 99}}));
    std::string error;
    EXPECT_EQ(database->Commit(error), DatabaseResult::kDone) << error;
    EXPECT_EQ(Query("SELECT count(*) FROM t"), "200");
}

}  // namespace
