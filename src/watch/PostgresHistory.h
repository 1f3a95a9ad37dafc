#pragma once

#include <memory>
#include <string>

#include "watch/HistoryConnection.h"

namespace gleanwork {

// The history in the PostgreSQL database that the connection URI `uri`
// names, its tables created when missing, so that runs on many machines
// make one history. Texts are stored as bytes (bytea), as names, messages
// and outputs need not be UTF-8. Null, with the reason in `result` (which
// never holds the address or its password), when it cannot be opened.
std::unique_ptr<HistoryConnection> OpenPostgresHistory(const std::string& uri,
                                                       HistoryResult& result);

}  // namespace gleanwork
