#pragma once

#include <libpq-fe.h>

#include <string>
#include <string_view>

#include "base/OwnedHandle.h"
#include "database/PostgresDatabase.h"

namespace gleanwork {

using PostgresHandle = OwnedHandle<PGconn, PQfinish>;
using PostgresResult = OwnedHandle<PGresult, PQclear>;

// A message of the client library, which ends in a line feed and may span
// several lines, as one line.
std::string OneLine(std::string_view message);

// The server's message for a failed command, and its detail when it has one.
std::string ResultMessage(const PGresult* result);

// Connects to the PostgreSQL server that the connection URI `uri` names, as
// `login` says (see DatabaseLogin), notices ignored. Null, with the server's
// or the client library's message in `error`, when that fails; the message
// never holds the password.
PostgresHandle ConnectPostgres(const std::string& uri, const DatabaseLogin& login,
                               std::string& error);

}  // namespace gleanwork
