#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "support/ServerProcess.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::ElementsAre;

// Makes NAME.pem and NAME.key in `folder`: a CA without `issuer`, else a
// certificate for `names` that `issuer` signs, valid for `days` (-1: expired).
void MakeCertificate(const std::string& folder, const std::string& name,
                     const std::string& issuer = "", const std::string& names = "", int days = 1) {
    const std::string key =
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + name +
        ".key -subj /CN=" + name;
    const std::string signing =
        issuer.empty()
            ? " -x509 -days 2 -addext basicConstraints=critical,CA:TRUE -out " + name + ".pem"
            : " -addext subjectAltName=" + names +
                  " | openssl x509 -req -copy_extensions copy -CA " + issuer + ".pem -CAkey " +
                  issuer + ".key -days " + std::to_string(days) + " -out " + name + ".pem";
    const std::string command = "cd '" + folder + "' && (" + key + signing + ") 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// `openssl s_server -HTTP` on a free port of 127.0.0.1: each file of
// `folder` is a whole reply. Port() is 0 when it could not listen.
class TlsServer : public ServerProcess {
public:
    TlsServer(const std::string& folder, const std::string& options)
        : ServerProcess(
              "cd '" + folder + "' && exec openssl s_server -HTTP -accept 127.0.0.1:0 " + options,
              "ACCEPT ") {}
};

// A CA that the client trusts (SSL_CERT_FILE), one that it does not, the
// server certificates of these tests, and "page", what the servers serve.
class HttpsFetch : public ::testing::Test {
protected:
    void SetUp() override {
        MakeCertificate(folder.Path(), "ca");
        MakeCertificate(folder.Path(), "rogue");
        MakeCertificate(folder.Path(), "good", "ca", "IP:127.0.0.1,IP:::1,DNS:localhost");
        MakeCertificate(folder.Path(), "other", "ca", "DNS:other.invalid");
        MakeCertificate(folder.Path(), "stranger", "rogue", "IP:127.0.0.1");
        MakeCertificate(folder.Path(), "expired", "ca", "IP:127.0.0.1", -1);
        WriteFile(folder / "page", "HTTP/1.0 200 OK\r\n\r\nsecret");
    }

    static std::string Serve(const std::string& name) {
        return "-cert " + name + ".pem -key " + name + ".key";
    }
    static std::string At(const TlsServer& server, const std::string& host) {
        return "https://" + host + ":" + std::to_string(server.Port()) + "/page";
    }

    TempFolder folder;
    ScopedEnvironment caFile{"SSL_CERT_FILE", (folder / "ca.pem").c_str()};
    ScopedEnvironment caFolder{"SSL_CERT_DIR", folder.Path().c_str()};
};

TEST_F(HttpsFetch, VerifiesChainNameAndDates) {
    const std::string failed = "ERROR: Secure connection to ";
    const struct {
        std::string certificate, host;
        std::int64_t result;
        std::string lastLine, serverOptions = "";
    } cases[] = {
        {"good", "127.0.0.1", 6, "Accessing URL - /page"},
        // The server sends the right certificate only for the name the client sent.
        {"other", "localhost", 6, "Accessing URL - /page",
         " -servername localhost -cert2 good.pem -key2 good.key"},
        {"other", "127.0.0.1", -1, failed + "127.0.0.1 failed: IP address mismatch"},
        {"other", "localhost", -1, failed + "localhost failed: hostname mismatch"},
        {"stranger", "127.0.0.1", -1,
         failed + "127.0.0.1 failed: unable to get local issuer certificate"},
        {"expired", "127.0.0.1", -1, failed + "127.0.0.1 failed: certificate has expired"},
    };
    for (const auto& row : cases) {
        const TlsServer server(folder.Path(), Serve(row.certificate) + row.serverOptions);
        Fetch fetch(At(server, row.host));
        EXPECT_EQ(fetch.Run(), row.result) << row.certificate;
        EXPECT_EQ(fetch.log.lines.back(), row.lastLine);
    }
}

// A session agreed under one set of trusted certificates is resumed only
// under the same set: once the server's CA is no longer trusted, the next
// fetch verifies the server again and fails.
TEST_F(HttpsFetch, ResumesNoSessionAcrossAChangeOfTrust) {
    const TlsServer server(folder.Path(), Serve("good"));
    for (const std::string trusted : {"ca", "ca", "rogue"}) {
        const ScopedEnvironment trust{"SSL_CERT_FILE", (folder / (trusted + ".pem")).c_str()};
        Fetch fetch(At(server, "127.0.0.1"));
        EXPECT_EQ(fetch.Run(), trusted == "ca" ? 6 : -1) << trusted;
    }
}

// A proxy that opens the tunnel and then forwards nothing leaves the
// handshake waiting: the receive limit ends it. The proxy's credentials go
// with the request for the tunnel.
TEST(HttpsProxy, AsksForATunnelAndKeepsTheLimitsInIt) {
    const std::string failed = "ERROR: Secure connection to origin.invalid failed: ";
    const struct {
        ScriptedReply reply;
        std::string lastLine;
        SourceFailureKind kind;
    } cases[] = {
        {{{"HTTP/1.0 200 Connection established\r\n\r\n"}, {}, ScriptedReply::Ending::Hold},
         failed + "Connection timed out",
         SourceFailureKind::Tls},
        {Reply("HTTP/1.0 403 Forbidden\r\n\r\n"),
         "ERROR: Proxy refused the tunnel to origin.invalid:443: HTTP/1.0 403 Forbidden",
         SourceFailureKind::TunnelRefused},
    };
    for (const auto& row : cases) {
        LoopbackServer proxy({row.reply});
        Fetch fetch("https://origin.invalid/x");
        fetch.request.route.proxy = "u:p@127.0.0.1";
        fetch.request.route.port = std::to_string(proxy.Port());
        fetch.request.limits.receive = std::chrono::milliseconds(200);
        EXPECT_EQ(fetch.Run(), -1);
        EXPECT_EQ(fetch.log.lines.back(), row.lastLine);
        EXPECT_EQ(fetch.result.failure.kind, row.kind);
        EXPECT_THAT(
            proxy.Requests(),
            ElementsAre("CONNECT origin.invalid:443 HTTP/1.0\r\nHost: origin.invalid:443\r\n"
                        "Proxy-Authorization: Basic dTpw\r\n\r\n"));
    }
}

}  // namespace
}  // namespace gleanwork::test
