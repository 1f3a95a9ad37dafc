#pragma once

#include <string>

#include "support/TempFolder.h"

namespace gleanwork::test {

// A PostgreSQL server of a test's own: a cluster that initdb makes in a
// temporary folder, reachable only through a Unix socket in that folder (so
// it takes no port of the machine), run by nobody when the test runs as
// root. Stopped and removed when the object goes.
class PostgresServer {
public:
    static constexpr const char* kUser = "gleanwork";
    static constexpr const char* kPassword = "right-horse-battery";

    ~PostgresServer() { Stop(); }

    // Makes the cluster on the first call, then starts the server. When that
    // fails, fails the test with the variable CI set and skips it elsewhere:
    // check IsSkipped() and HasFailure() after it.
    void Start();
    // Stops the server at once, dropping every connection.
    void Stop();

    // The connection URI of the database "postgres", without and with login.
    std::string Uri() const { return "postgresql:///postgres?host=" + folder_.Path(); }
    std::string LoginUri() const { return Uri() + "&user=" + kUser + "&password=" + kPassword; }

private:
    std::string TryStart();
    bool Run(const std::string& command) const;

    TempFolder folder_;
    std::string bin_;
    bool running_ = false;
};

}  // namespace gleanwork::test
