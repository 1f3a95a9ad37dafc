#include "database/PostgresPipeline.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace gleanwork {

bool PostgresPipeline::Open(PostgresHandle connection, std::string& error) {
    connection_ = std::move(connection);
    cancel_.reset(PQgetCancel(connection_.get()));
    wake_.Reset(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!cancel_ || !wake_.IsOpen() || PQenterPipelineMode(connection_.get()) != 1 ||
        PQsetnonblocking(connection_.get(), 1) != 0) {
        error = "cannot send statements without waiting: " + Failure();
        return false;
    }
    return true;
}

bool PostgresPipeline::Queued(int sent, std::size_t results) {
    awaited_ += results;
    writing_ = true;
    return sent == 1;
}

bool PostgresPipeline::SendQuery(const char* sql, std::span<const char* const> values) {
    return Queued(PQsendQueryParams(connection_.get(), sql, static_cast<int>(values.size()),
                                    nullptr, values.data(), nullptr, nullptr, 0),
                  1);
}

bool PostgresPipeline::SendPrepared(const std::string& name, std::span<const char* const> values) {
    return Queued(
        PQsendQueryPrepared(connection_.get(), name.c_str(), static_cast<int>(values.size()),
                            values.data(), nullptr, nullptr, 0),
        1);
}

bool PostgresPipeline::SendPrepare(const std::string& name, const std::string& sql,
                                   std::span<const Oid> types) {
    return Queued(PQsendPrepare(connection_.get(), name.c_str(), sql.c_str(),
                                static_cast<int>(types.size()), types.data()),
                  1);
}

bool PostgresPipeline::SendDescribe(const std::string& name) {
    return Queued(PQsendDescribePrepared(connection_.get(), name.c_str()), 1);
}

bool PostgresPipeline::SendSync() {
    return Queued(PQpipelineSync(connection_.get()), 1);
}

bool PostgresPipeline::SendFlushRequest() {
    return Queued(PQsendFlushRequest(connection_.get()), 0);
}

bool PostgresPipeline::Exchange() {
    const int flushed = PQflush(connection_.get());
    writing_ = flushed == 1;
    return flushed >= 0 && PQconsumeInput(connection_.get()) == 1;
}

bool PostgresPipeline::AwaitExchange(std::chrono::milliseconds timeout) {
    const short socketEvents = POLLIN | (writing_ ? POLLOUT : 0);
    std::array<pollfd, 2> waits = {pollfd{PQsocket(connection_.get()), socketEvents, 0},
                                   pollfd{wake_.Get(), POLLIN, 0}};
    if (::poll(waits.data(), waits.size(), static_cast<int>(timeout.count())) < 0 &&
        errno != EINTR) {
        return false;
    }
    if (waits[1].revents != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(wake_.Get(), &count, sizeof count);
    }
    return Exchange();
}

PostgresResult PostgresPipeline::TakeResult() {
    while ((awaited_ > 0 || endOfResultDue_) && PQisBusy(connection_.get()) == 0) {
        PostgresResult result(PQgetResult(connection_.get()));
        if (!result) {
            endOfResultDue_ = false;
            continue;
        }
        --awaited_;
        endOfResultDue_ = PQresultStatus(result.get()) != PGRES_PIPELINE_SYNC;
        return result;
    }
    return nullptr;
}

void PostgresPipeline::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

void PostgresPipeline::Cancel() {
    std::array<char, 256> ignored{};
    PQcancel(cancel_.get(), ignored.data(), static_cast<int>(ignored.size()));
}

std::string PostgresPipeline::Failure() const {
    return OneLine(PQerrorMessage(connection_.get()));
}

}  // namespace gleanwork
