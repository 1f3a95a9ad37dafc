#pragma once

#include <memory>

#include "watch/HistoryStore.h"

namespace gleanwork {

// The history that runs are recorded in: the PostgreSQL database that the
// variable GLEANWORK_HISTORY names (a postgresql:// or postgres:// address)
// when it is set and not empty, else the file history.db in the
// installation folder. Null, with the reason in `result`, when it cannot be
// opened.
std::unique_ptr<HistoryStore> OpenHistory(HistoryResult& result);

// False when the history would be history.db in the installation folder and
// there is no such file yet: no run was ever recorded, and a window that
// only reads need not make one.
bool HistoryMayHoldRuns();

}  // namespace gleanwork
