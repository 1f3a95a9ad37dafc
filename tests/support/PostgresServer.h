#pragma once

#include <string>

#include "support/TempFolder.h"

namespace gleanwork::test {

// A PostgreSQL server of a test's own: a cluster that initdb makes in a
// temporary folder, reachable only through a Unix socket in that folder (so
// no port of the machine is taken), run by an unprivileged user when the
// test runs as root. Stopped and removed when the object goes.
class PostgresServer {
public:
    static constexpr const char* kUser = "gleanwork";
    static constexpr const char* kPassword = "right horse battery";

    PostgresServer() = default;
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;
    ~PostgresServer() { Stop(); }

    // Makes the cluster on the first call, then starts the server. False,
    // with the reason in `error`, when either fails.
    bool Start(std::string& error);
    // Stops the server at once, dropping every connection.
    void Stop();

    // The connection URI of the database "postgres", without the login.
    std::string Uri() const;

    // Starts `server`; when it cannot, fails the test under CI (the variable
    // CI set) and skips it elsewhere: check IsSkipped() and HasFailure().
    static void StartOrSkip(PostgresServer& server);

private:
    int Run(std::initializer_list<std::string> command) const;

    TempFolder folder_;
    std::string bin_;
    bool running_ = false;
};

}  // namespace gleanwork::test
