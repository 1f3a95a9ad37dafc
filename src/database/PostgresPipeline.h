#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <cstddef>
#include <span>
#include <string>

#include "base/FileDescriptor.h"
#include "database/PostgresConnect.h"

namespace gleanwork {

// A PostgreSQL connection in pipeline mode: commands go out without waiting
// for the results of those before them, and their results come back in
// order, one per command. The socket never blocks: what it does not take
// stays with the client library until Exchange or AwaitExchange writes it,
// and both read what has arrived while they write, so a long series of
// commands cannot stall against unread results. Used by one thread; Wake and
// Cancel may come from any other.
class PostgresPipeline {
public:
    // Takes `connection` into pipeline mode on a non-blocking socket. False,
    // with the reason in `error`, when that fails.
    bool Open(PostgresHandle connection, std::string& error);

    // Each queues one command, whose result TakeResult gives in its turn.
    // False once the connection has failed.
    bool SendQuery(const char* sql, std::span<const char* const> values = {});
    bool SendPrepared(const std::string& name, std::span<const char* const> values);
    bool SendPrepare(const std::string& name, const std::string& sql, std::span<const Oid> types);
    bool SendDescribe(const std::string& name);
    // Ends a part of the pipeline: after a failed command the server skips
    // every command up to here. Its result has the status PGRES_PIPELINE_SYNC.
    bool SendSync();
    // Asks the server to send the results it holds back; gives no result.
    bool SendFlushRequest();

    // Writes what the socket takes and reads what has arrived, without
    // waiting. False once the connection has failed.
    bool Exchange();
    // Waits until the socket can take what is left to write or has
    // something to read, Wake is called, or `timeout` passes (a negative
    // one never does), then exchanges. False once the connection has failed.
    bool AwaitExchange(std::chrono::milliseconds timeout);
    // Whether something is left to write.
    bool Writing() const { return writing_; }

    // The next result, complete, or null when it has not arrived.
    PostgresResult TakeResult();
    // How many results are still to come.
    std::size_t Awaited() const { return awaited_; }

    // Ends a wait of AwaitExchange now or the next one. Safe from any thread.
    void Wake();
    // Asks the server to cancel the command it runs, if any. Safe from any
    // thread.
    void Cancel();

    // Whether the connection has failed for good.
    bool Broken() const { return PQstatus(connection_.get()) == CONNECTION_BAD; }
    // The client library's message for the failure of the connection.
    std::string Failure() const;

private:
    using CancelHandle = OwnedHandle<PGcancel, PQfreeCancel>;

    bool Queued(int sent, std::size_t results);

    PostgresHandle connection_;
    CancelHandle cancel_;
    FileDescriptor wake_;
    std::size_t awaited_ = 0;
    bool endOfResultDue_ = false;  // the null that follows each command's result
    bool writing_ = false;
};

}  // namespace gleanwork
