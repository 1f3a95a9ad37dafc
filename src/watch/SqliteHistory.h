#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "watch/HistoryConnection.h"

namespace gleanwork {

// How long a history statement waits for another program's lock.
inline constexpr std::chrono::milliseconds kHistoryBusyTimeout{5000};

// The history in the SQLite file at `path`, created with its tables when
// missing. The file is in write-ahead-log mode, so that a window and a
// timer can record at once: a statement waits up to `busyTimeout` for the
// other's lock. Null, with the reason in `result`, when it cannot be opened.
std::unique_ptr<HistoryConnection> OpenSqliteHistory(
    const std::string& path, HistoryResult& result,
    std::chrono::milliseconds busyTimeout = kHistoryBusyTimeout);

}  // namespace gleanwork
