#pragma once

#include <memory>
#include <string>

#include "database/Database.h"

namespace gleanwork {

// Who connects: a user and a password that, when not empty, take the place
// of those the connection address or the environment would give.
struct DatabaseLogin {
    std::string user;
    std::string password;
};

// Connects to the PostgreSQL server that the connection URI `uri` names.
// Null, with the server's or the client library's
// message in `error`, when that fails; the message never holds the password.
std::unique_ptr<Database> OpenPostgresDatabase(const std::string& uri, const DatabaseLogin& login,
                                               std::string& error);

}  // namespace gleanwork
