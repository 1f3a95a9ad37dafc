#include "support/PostgresServer.h"

#include <glob.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace gleanwork::test {

// Why the server does not run, or empty when it runs.
std::string PostgresServer::TryStart() {
    glob_t found{};
    if (bin_.empty() && ::glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0) {
        bin_ = found.gl_pathv[found.gl_pathc - 1];  // the newest, installed the Debian way
        bin_.resize(bin_.size() - std::string_view("/initdb").size());
    }
    ::globfree(&found);
    if (bin_.empty()) {
        return "no server programs under /usr/lib/postgresql/*/bin";
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() == 0 && (nobody == nullptr || ::chown(folder_.Path().c_str(), nobody->pw_uid,
                                                          nobody->pw_gid) != 0)) {
        return "cannot hand the server's folder to nobody";
    }
    const std::string data = folder_ / "data";
    if (!std::filesystem::exists(data)) {
        WriteFile(folder_ / "password", kPassword);
        if (!Run("/initdb -N -E UTF8 --locale=C --auth=scram-sha-256 -U " + std::string(kUser) +
                 " --pwfile=" + folder_ / "password" + " -D " + data)) {
            return "initdb failed: " + ReadFile(folder_ / "log");
        }
    }
    running_ = Run("/pg_ctl start -w -t 30 -D " + data + " -l " + folder_ / "server.log" +
                   " -o \"-c listen_addresses='' -k " + folder_.Path() + "\"");
    return running_ ? "" : "the server did not start: " + ReadFile(folder_ / "server.log");
}

void PostgresServer::Start() {
    const std::string error = TryStart();
    if (error.empty()) {
        return;
    }
    if (std::getenv("CI") != nullptr) {
        FAIL() << "PostgreSQL test server: " << error;
    }
    GTEST_SKIP() << "PostgreSQL test server: " << error
                 << "; tools/install-deps installs what it needs (with CI set, this fails)";
}

void PostgresServer::Stop() {
    if (running_) {
        Run("/pg_ctl stop -w -m immediate -D " + folder_ / "data");
        running_ = false;
    }
}

// Runs a program of the server's bin folder (as nobody when this process is
// root), its output added to the folder's log. True when it succeeds.
bool PostgresServer::Run(const std::string& command) const {
    const std::string user = ::geteuid() == 0 ? "runuser -u nobody -- " : "";
    return std::system((user + bin_ + command + " >>" + folder_ / "log" + " 2>&1").c_str()) == 0;
}

}  // namespace gleanwork::test
