#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "net/TlsTestSupport.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::ElementsAre;

const std::string kOkHead = "HTTP/1.0 200 OK\r\n\r\n";

// A test CA that the client trusts (through SSL_CERT_FILE) and the server
// certificates of these tests; "page" is what the TLS server serves.
class HttpsFetch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeCertificate(folder.Path(), "ca"));
        ASSERT_TRUE(MakeCertificate(folder.Path(), "rogue"));
        ASSERT_TRUE(
            MakeCertificate(folder.Path(), "good", "ca", "IP:127.0.0.1,IP:::1,DNS:localhost"));
        ASSERT_TRUE(MakeCertificate(folder.Path(), "other", "ca", "DNS:other.invalid"));
        ASSERT_TRUE(MakeCertificate(folder.Path(), "stranger", "rogue", "IP:127.0.0.1"));
        ASSERT_TRUE(MakeCertificate(folder.Path(), "expired", "ca", "IP:127.0.0.1", -1));
        WriteFile(folder / "page", kOkHead + "secret");
    }

    std::string Serve(const std::string& certificate) {
        return "-cert " + certificate + ".pem -key " + certificate + ".key";
    }

    TempFolder folder;
    ScopedEnvironment caFile{"SSL_CERT_FILE", (folder / "ca.pem").c_str()};
    ScopedEnvironment caFolder{"SSL_CERT_DIR", folder.Path().c_str()};
};

TEST_F(HttpsFetch, VerifiesChainNameAndDates) {
    const struct {
        std::string certificate;
        std::int64_t result;
        std::string lastLine;
    } cases[] = {
        {"good", 6, "Accessing URL - /page"},
        {"other", -1, "ERROR: Secure connection to 127.0.0.1 failed: IP address mismatch"},
        {"stranger", -1,
         "ERROR: Secure connection to 127.0.0.1 failed: unable to get local issuer certificate"},
        {"expired", -1, "ERROR: Secure connection to 127.0.0.1 failed: certificate has expired"},
    };
    for (const auto& row : cases) {
        const TlsServer server(folder.Path(), "127.0.0.1", Serve(row.certificate));
        Fetch fetch("https://127.0.0.1:" + std::to_string(server.Port()) + "/page");
        EXPECT_EQ(fetch.Run(), row.result) << row.certificate;
        EXPECT_EQ(fetch.log.lines.back(), row.lastLine);
    }
}

// The server holds a certificate for another name unless the client names
// "localhost" in its SNI; IPv6 loopback with the address in brackets.
TEST_F(HttpsFetch, SendsTheServerNameAndReachesIpv6) {
    const TlsServer named(folder.Path(), "127.0.0.1",
                          Serve("other") +
                              " -cert2 good.pem -key2 good.key -servername localhost " +
                              "-servername_fatal");
    Fetch byName("https://localhost:" + std::to_string(named.Port()) + "/page");
    EXPECT_EQ(byName.Run(), 6);

    const TlsServer six(folder.Path(), "[::1]", Serve("good"));
    if (six.Port() == 0) {
        GTEST_SKIP() << "no IPv6 loopback (::1) on this machine";
    }
    Fetch bySix("https://[::1]:" + std::to_string(six.Port()) + "/page");
    EXPECT_EQ(bySix.Run(), 6);
    EXPECT_EQ(bySix.text, "secret");
    EXPECT_EQ(bySix.log.lines.front(),
              "Contacting host: ::1 (port " + std::to_string(six.Port()) + ")...");
}

TEST_F(HttpsFetch, RedirectsFromHttpToHttpsAndBack) {
    const TlsServer secure(folder.Path(), "127.0.0.1", Serve("good"));
    LoopbackServer plain({});
    WriteFile(folder / "back",
              "HTTP/1.0 302 Found\r\nlocation: " + plain.Url("/back") + "\r\n\r\n");
    const std::string secureUrl = "https://127.0.0.1:" + std::to_string(secure.Port()) + "/back";
    plain.Script({Reply("HTTP/1.0 301 Moved\r\nLOCATION: " + secureUrl + "\r\n\r\n"),
                  Reply(kOkHead + "home")});
    Fetch fetch(plain.Url("/start"));

    EXPECT_EQ(fetch.Run(), 4);
    EXPECT_THAT(fetch.log.lines,
                ElementsAre(ContactingLine(plain.Port()), "Accessing URL - /start",
                            ContactingLine(secure.Port()), "Accessing URL - /back",
                            ContactingLine(plain.Port()), "Accessing URL - /back"));
    const std::string host = "Host: 127.0.0.1:" + std::to_string(plain.Port());
    EXPECT_THAT(plain.Requests(),
                ElementsAre("GET /start HTTP/1.0\r\n" + host + "\r\nUser-agent: \r\n\r\n",
                            "GET /back HTTP/1.0\r\n" + host + "\r\nUser-agent: \r\n\r\n"));
}

TEST_F(HttpsFetch, TunnelsThroughTheProxy) {
    const TlsServer secure(folder.Path(), "127.0.0.1", Serve("good"));
    const std::string origin = "127.0.0.1:" + std::to_string(secure.Port());
    TunnelProxy proxy;
    LoopbackServer refusing({Reply("HTTP/1.0 403 Forbidden\r\n\r\n")});
    Fetch tunnelled("https://" + origin + "/page");
    tunnelled.agent.HOST = "127.0.0.1";
    tunnelled.agent.PORT = std::to_string(proxy.Port());
    Fetch refused = tunnelled;
    refused.agent.PORT = std::to_string(refusing.Port());
    refused.agent.URL = "https://127.0.0.1/page";

    EXPECT_EQ(tunnelled.Run(), 6);
    EXPECT_EQ(proxy.Request(), "CONNECT " + origin + " HTTP/1.0\r\nHost: " + origin + "\r\n\r\n");
    EXPECT_EQ(refused.Run(), -1);
    EXPECT_EQ(refused.log.lines.back(),
              "ERROR: Proxy refused the tunnel to 127.0.0.1:443: HTTP/1.0 403 Forbidden");
}

TEST_F(HttpsFetch, AStalledHandshakeEndsAtTheReceiveLimit) {
    LoopbackServer silent({ScriptedReply{{}, {}, ScriptedReply::Ending::Hold}});
    Fetch fetch("https://127.0.0.1:" + std::to_string(silent.Port()) + "/");
    fetch.limits.receive = std::chrono::milliseconds(200);

    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_EQ(fetch.log.lines.back(),
              "ERROR: Secure connection to 127.0.0.1 failed: Connection timed out");
}

}  // namespace
}  // namespace gleanwork::test
