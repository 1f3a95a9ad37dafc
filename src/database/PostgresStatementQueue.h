#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/PostgresPipeline.h"
#include "database/StatementOutcomes.h"

namespace gleanwork {

// A prepared statement as the queue sends it: by its name, one run at a
// time or several runs as one statement.
struct QueuedStatement {
    std::string name;
    std::size_t parameters = 0;  // placeholders of one run
    std::size_t mostRows = 1;    // the most runs prepared as one statement
    // How many runs go together now: half as many after a refusal, twice as
    // many after a unit of that many ran.
    std::size_t rowsNow = 1;

    // The prepared statement that runs `rows` runs at once.
    std::string GroupName(std::size_t rows) const;
};

// The most runs of one statement that go to the server as one statement.
inline constexpr std::size_t kMostRowsAtOnce = 128;

// The work of one transaction on a connection in pipeline mode. Runs of
// statements are queued in ticket order and written as units: a savepoint,
// the statement (one run, or up to kMostRowsAtOnce runs of a statement
// prepared for as many) and the savepoint's release, without waiting for
// results, which are read as they come. A failed unit is undone alone; the
// server skips what was written after it, which is written again. The runs
// of a failed unit of several go again in two halves, and so on, until the
// run that fails is refused by itself. Commands whose results a caller
// waits for (BEGIN, PREPARE, a query, COMMIT) go through the same pipeline.
// Used by one thread; Interrupt may come from any other.
class PostgresStatementQueue {
public:
    // Takes `connection` into pipeline mode. False, with the reason in
    // `error`, when that fails.
    bool Open(PostgresHandle connection, std::string& error);

    // Each queues one command for RunCommands. False once the connection is
    // lost.
    bool Query(const char* sql, std::span<const char* const> values = {});
    bool Prepare(const std::string& name, const std::string& sql, std::span<const Oid> types = {});
    bool Describe(const std::string& name);

    // Sends the commands that `send` queues (in a savepoint when
    // `guarded`, so that a refused one undoes nothing else) after every run
    // sent, and waits for all of it. Their results are in Answers(), in
    // order; false, with the reason in CommandError(), when one of them
    // failed.
    bool RunCommands(bool guarded, const std::function<bool()>& send);
    const std::vector<PostgresResult>& Answers() const { return answers_; }
    const std::string& CommandError() const { return commandError_; }
    bool Lost() const { return lost_; }

    // As Database::Send, Collect and Wait describe them.
    StatementTicket Send(QueuedStatement& statement, std::span<const std::string* const> values);
    void Collect(std::vector<StatementReport>& reports);
    void Wait(std::vector<StatementReport>& reports);
    void Await(std::vector<StatementReport>& reports);
    // Waits for the outcome of `ticket` alone, leaving the others for
    // Collect and Wait.
    StatementReport WaitFor(StatementTicket ticket);
    // Waits until every run sent has its outcome, leaving the outcomes for
    // Collect and Wait.
    void Settle();

    // While committing, a stop cancels nothing.
    void SetCommitting(bool committing) { committing_ = committing; }
    // Runs sent from now on are refused, and a wait that shows no progress
    // is cancelled. Safe from any thread.
    void Interrupt();
    bool Interrupted() const { return interrupted_.load(); }

private:
    // One run of a statement that is sent and not known to have run yet.
    struct Run {
        StatementTicket ticket = 0;
        QueuedStatement* statement = nullptr;
        std::string values;  // each value followed by a zero byte
        std::size_t count = 0;
        bool afterStop = false;              // sent after an Interrupt: refused
        std::size_t most = kMostRowsAtOnce;  // the most runs it goes with: fewer after a failure
    };

    // What a result that is still to come belongs to.
    enum class Part {
        kGuard,    // the savepoint before a unit
        kBody,     // a unit's statement
        kCommand,  // a command whose result a caller waits for
        kEnd,      // the release of a unit's savepoint
        kUndo,     // the return to a failed unit's savepoint, or its release
        kSync,     // the end of a part of the pipeline
    };

    struct Awaited {
        Part part = Part::kSync;
        std::size_t rows = 0;  // of a unit of runs; 0 for commands
        bool guarded = true;   // in a savepoint
        bool voided = false;   // skipped by the server after a failure
    };

    bool Expect(bool sent, Part part, std::size_t rows = 0);
    void WriteRuns(bool all);
    void WriteUnit(std::size_t rows);
    void RefuseStopped();
    void ExchangeAll();
    void Progress(bool untilAnOutcome);
    void Exchange(std::chrono::milliseconds timeout, bool wait);
    void CancelWhenStuck();
    void Handle(PostgresResult result);
    void Confirm(std::size_t rows);
    void Fail(const Awaited& failed, const PGresult* result);
    void Lose(const std::string& message);

    PostgresPipeline pipeline_;
    StatementOutcomes outcomes_;
    std::deque<Run> runs_;     // sent and not known to have run, in ticket order
    std::size_t written_ = 0;  // how many runs, from the first, are on their way
    std::size_t alike_ = 0;    // how many runs from written_ on were found to go together
    std::deque<Awaited> awaited_;
    std::vector<const char*> values_;
    std::vector<PostgresResult> answers_;  // of the commands of RunCommands
    std::string commandError_;
    std::size_t unexchangedBytes_ = 0;
    bool flushDue_ = false;
    bool lost_ = false;
    bool committing_ = false;
    std::atomic<bool> interrupted_{false};
    bool stopNoticed_ = false;
    std::chrono::steady_clock::time_point quietSince_;
};

}  // namespace gleanwork
