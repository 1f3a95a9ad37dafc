#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Base64.h"
#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Ending = ScriptedReply::Ending;

const std::string kOkHead = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

// The requests a server read, without their Host lines and with bare line
// feeds, as the expectations below write them.
std::vector<std::string> WithoutHost(const std::vector<std::string>& requests) {
    std::vector<std::string> plain;
    for (std::string request : requests) {
        const std::size_t host = request.find("\r\nHost: ");
        request.erase(host + 2, request.find("\r\n", host + 2) - host);
        for (std::size_t at = 0; (at = request.find("\r\n", at)) != std::string::npos;) {
            request.erase(at, 1);
        }
        plain.push_back(std::move(request));
    }
    return plain;
}

TEST(HttpClient, SendsBareRequestAndKeepsTheBody) {
    LoopbackServer server({Reply(kOkHead + "hello"), Reply(kOkHead)});
    Fetch fetch(server.Url("/a/b?x=1"));
    fetch.agent.USERAGENT = "Probe/1.0";
    Fetch hostOnly("http://127.0.0.1:" + std::to_string(server.Port()));

    EXPECT_EQ(fetch.Run(), 5);
    EXPECT_EQ(fetch.text, "hello");
    EXPECT_EQ(hostOnly.Run(), 0);
    EXPECT_THAT(WithoutHost(server.Requests()),
                ElementsAre("GET /a/b?x=1 HTTP/1.0\nUser-agent: Probe/1.0\n\n",
                            "GET / HTTP/1.0\nUser-agent: \n\n"));
    EXPECT_THAT(fetch.log.lines,
                ElementsAre(ContactingLine(server.Port()), "Accessing URL - /a/b?x=1"));
}

TEST(HttpClient, RequestLinesOfAnyLengthGoOutWhole) {
    LoopbackServer server({Reply(kOkHead)});
    const std::string path = "/" + std::string(3 << 20, 'p');
    const std::string userAgent(1 << 20, 'u');
    Fetch fetch(server.Url(path));
    fetch.agent.USERAGENT = userAgent;
    fetch.agent.WEBUSER = std::string(100000, 'n');

    EXPECT_EQ(fetch.Run(), 0);
    const std::vector<std::string> requests = WithoutHost(server.Requests());
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_TRUE(requests[0] == "GET " + path + " HTTP/1.0\nAuthorization: Basic " +
                                   EncodeBase64(fetch.agent.WEBUSER + ":") +
                                   "\nUser-agent: " + userAgent + "\n\n");
}

TEST(HttpClient, SendsBasicCredentialsOnlyWithUserName) {
    LoopbackServer server({Reply(kOkHead), Reply(kOkHead), Reply(kOkHead)});
    Fetch both(server.Url("/"));
    both.agent.USERAGENT = "UA";
    both.agent.WEBUSER = "user";
    both.agent.WEBPASS = "pass";
    Fetch userOnly = both;
    userOnly.agent.WEBPASS.clear();
    Fetch passOnly = both;
    passOnly.agent.WEBUSER.clear();

    both.Run();
    userOnly.Run();
    passOnly.Run();

    EXPECT_THAT(WithoutHost(server.Requests()),
                ElementsAre("GET / HTTP/1.0\nAuthorization: Basic dXNlcjpwYXNz\nUser-agent: UA\n\n",
                            "GET / HTTP/1.0\nAuthorization: Basic dXNlcjo=\nUser-agent: UA\n\n",
                            "GET / HTTP/1.0\nUser-agent: UA\n\n"));
    EXPECT_THAT(both.log.lines, ElementsAre(ContactingLine(server.Port()), "Accessing URL - /",
                                            "Sending authentication information..."));
    EXPECT_THAT(passOnly.log.lines,
                ElementsAre(ContactingLine(server.Port()), "Accessing URL - /"));
}

TEST(HttpClient, ProxyGetsTheWholeUrlAsTarget) {
    LoopbackServer proxy(
        {Reply("HTTP/1.0 302 Found\r\nLocation: /relative\r\n\r\n"), Reply(kOkHead + "via proxy")});
    Fetch fetch;
    fetch.agent.HOST = "127.0.0.1";
    fetch.agent.PORT = " " + std::to_string(proxy.Port()) + "xyz";
    fetch.agent.URL = "http://origin.invalid/x?y=1";

    EXPECT_EQ(fetch.Run(), 9);
    EXPECT_THAT(WithoutHost(proxy.Requests()),
                ElementsAre("GET http://origin.invalid/x?y=1 HTTP/1.0\nUser-agent: \n\n",
                            "GET http://origin.invalid/relative HTTP/1.0\nUser-agent: \n\n"));
    EXPECT_THAT(fetch.log.lines, ElementsAre(ContactingLine(proxy.Port()),
                                             "Accessing URL - http://origin.invalid/x?y=1",
                                             ContactingLine(proxy.Port()),
                                             "Accessing URL - http://origin.invalid/relative"));
}

TEST(HttpClient, PortFieldAppliesUnlessTheUrlNamesOne) {
    LoopbackServer server({Reply(kOkHead + "a"), Reply(kOkHead + "b")});
    const RefusingPort refusing;
    Fetch fromField;
    fromField.agent.PORT = std::to_string(server.Port());
    fromField.agent.URL = "http://127.0.0.1/p";
    Fetch fromUrl;
    fromUrl.agent.PORT = std::to_string(refusing.Port());
    fromUrl.agent.URL = server.Url("/q");

    EXPECT_EQ(fromField.Run(), 1);
    EXPECT_EQ(fromUrl.Run(), 1);
    EXPECT_EQ(fromField.text + fromUrl.text, "ab");
}

TEST(HttpClient, ReassemblesAReplySentSlowlyInPieces) {
    ScriptedReply reply{{"HTTP/1.0 200 OK\r", "\nX: y\r\n", "\r", "\nbo", "dy"},
                        std::chrono::milliseconds(5)};
    LoopbackServer server({reply});
    Fetch fetch(server.Url());
    fetch.limits.receiveChunk = 1;

    EXPECT_EQ(fetch.Run(), 4);
    EXPECT_EQ(fetch.text, "body");
}

TEST(HttpClient, KeepsRepliesWithoutAProperHeadWhole) {
    const std::string bareLf = "HTTP/1.0 200 OK\nX: y\n\nbody";
    LoopbackServer server(
        {Reply(bareLf), Reply("just text"), Reply("HTTP/1.0 200 OK\r\nX: y\r\nno blank line")});
    Fetch fetch(server.Url());

    EXPECT_EQ(fetch.Run(), static_cast<std::int64_t>(bareLf.size()));
    EXPECT_EQ(fetch.text, bareLf);
    EXPECT_EQ(fetch.Run(), 9);
    EXPECT_EQ(fetch.text, "just text");
    EXPECT_EQ(fetch.Run(), 13);
    EXPECT_EQ(fetch.text, "no blank line");
}

TEST(HttpClient, KeepsALargeBodyWithZeroBytesByteForByte) {
    std::string body(5 << 20, '\0');
    for (std::size_t at = 0; at < body.size(); ++at) {
        body[at] = static_cast<char>(at * 7 + at / 251);
    }
    ASSERT_EQ(body[0], '\0');
    LoopbackServer server({Reply(kOkHead + body)});
    Fetch fetch(server.Url());
    fetch.limits.receiveChunk = 4093;

    EXPECT_EQ(fetch.Run(), static_cast<std::int64_t>(body.size()));
    EXPECT_TRUE(fetch.text == body);
}

TEST(HttpClient, LengthNamedInTheHeadNeitherCutsNorPadsTheBody) {
    LoopbackServer server(
        {Reply("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nlonger"),
         Reply("HTTP/1.0 200 OK\r\nContent-Length: 1000000\r\n\r\nshort"),
         Reply("HTTP/1.0 200 OK\r\nContent-Length: 999999999999999999\r\n\r\nlie"),
         Reply("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nneg")});
    Fetch fetch(server.Url());
    fetch.limits.receiveChunk = 2;

    EXPECT_EQ(fetch.Run(), 6);
    EXPECT_EQ(fetch.text, "longer");
    EXPECT_EQ(fetch.Run(), 5);
    EXPECT_EQ(fetch.text, "short");
    EXPECT_LT(fetch.text.capacity(), 1000000U);
    EXPECT_EQ(fetch.Run(), 3);
    EXPECT_EQ(fetch.text, "lie");
    EXPECT_EQ(fetch.Run(), 3);
}

TEST(HttpClient, ErrorStatusIsNoFailure) {
    LoopbackServer server({Reply("HTTP/1.0 404 Not Found\r\n\r\nmissing")});
    Fetch fetch(server.Url("/gone"));

    EXPECT_EQ(fetch.Run(), 7);
    EXPECT_EQ(fetch.text, "missing");
    EXPECT_THAT(fetch.log.lines,
                ElementsAre(ContactingLine(server.Port()), "Accessing URL - /gone"));
}

TEST(HttpClient, FollowsARedirectToAnotherServer) {
    LoopbackServer second({Reply(kOkHead + "done")});
    LoopbackServer first(
        {Reply("HTTP/1.0 302 Found\r\nLocation: " + second.Url("/next") + "\r\n\r\nmoved")});
    Fetch fetch(first.Url("/start"));

    EXPECT_EQ(fetch.Run(), 4);
    EXPECT_EQ(fetch.text, "done");
    EXPECT_EQ(fetch.redirectUrl, second.Url("/next"));
    EXPECT_THAT(WithoutHost(first.Requests()),
                ElementsAre("GET /start HTTP/1.0\nUser-agent: \n\n"));
    EXPECT_THAT(WithoutHost(second.Requests()),
                ElementsAre("GET /next HTTP/1.0\nUser-agent: \n\n"));
    EXPECT_THAT(fetch.log.lines,
                ElementsAre(ContactingLine(first.Port()), "Accessing URL - /start",
                            ContactingLine(second.Port()), "Accessing URL - /next"));
}

TEST(HttpClient, RedirectTargetWithoutPortGoesToTheStartingPort) {
    LoopbackServer second({Reply(kOkHead + "second")});
    LoopbackServer first({Reply("HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1/next\r\n\r\n")});
    Fetch fetch;
    fetch.agent.PORT = std::to_string(second.Port());
    fetch.agent.URL = first.Url("/start");

    EXPECT_EQ(fetch.Run(), 6);
    EXPECT_THAT(WithoutHost(second.Requests()),
                ElementsAre("GET /next HTTP/1.0\nUser-agent: \n\n"));
}

TEST(HttpClient, StopsAfterFiveAttemptsOfARedirectLoop) {
    LoopbackServer server({});
    const std::string loop = "HTTP/1.0 301 Moved\r\nLocation: " + server.Url("/again") + "\r\n\r\n";
    server.Script({Reply(loop + "1"), Reply(loop + "22"), Reply(loop + "333"), Reply(loop + "4444"),
                   Reply(loop + "55555"), Reply(loop + "666666")});
    Fetch fetch(server.Url("/first"));

    EXPECT_EQ(fetch.Run(), 5);
    EXPECT_EQ(fetch.text, "55555");
    const std::vector<std::string> requests = WithoutHost(server.Requests());
    ASSERT_EQ(requests.size(), 5U);
    EXPECT_EQ(requests[0], "GET /first HTTP/1.0\nUser-agent: \n\n");
    EXPECT_EQ(requests[4], "GET /again HTTP/1.0\nUser-agent: \n\n");
    EXPECT_EQ(fetch.log.lines.size(), 10U);
}

TEST(HttpClient, RedirectWithoutLocationGoesToAnEmptyTarget) {
    LoopbackServer proxy({Reply("HTTP/1.0 307 Temporary\r\nPlace: http://x.invalid/\r\n\r\n"),
                          Reply(kOkHead + "end")});
    Fetch fetch;
    fetch.agent.HOST = "127.0.0.1";
    fetch.agent.PORT = std::to_string(proxy.Port());
    fetch.agent.URL = "http://origin.invalid/";

    EXPECT_EQ(fetch.Run(), 3);
    EXPECT_THAT(WithoutHost(proxy.Requests()),
                ElementsAre("GET http://origin.invalid/ HTTP/1.0\nUser-agent: \n\n",
                            "GET  HTTP/1.0\nUser-agent: \n\n"));
}

TEST(HttpClient, LineBreaksOfARedirectTargetForgeNoRequestLine) {
    LoopbackServer second({Reply(kOkHead)});
    LoopbackServer first(
        {Reply("HTTP/1.0 302 Found\r\nLocation: " + second.Url("/a\nX-Forged: 1") + "\r\n\r\n")});
    Fetch fetch(first.Url());

    EXPECT_EQ(fetch.Run(), 0);
    EXPECT_THAT(WithoutHost(second.Requests()),
                ElementsAre("GET /a X-Forged: 1 HTTP/1.0\nUser-agent: \n\n"));
}

TEST(HttpClient, SurvivesHugeHeadLines) {
    const std::string huge(1 << 20, 'x');
    LoopbackServer server({Reply("HTTP/1.0 200 " + huge + "\r\n\r\nok"),
                           Reply("HTTP/1.0 200 OK\r\nX-Long: " + huge + "\r\n\r\nok"),
                           Reply("HTTP/1.0 200 " + huge)});
    Fetch fetch(server.Url());

    EXPECT_EQ(fetch.Run(), 2);
    EXPECT_EQ(fetch.Run(), 2);
    EXPECT_EQ(fetch.text, "ok");
    EXPECT_EQ(fetch.Run(), static_cast<std::int64_t>(huge.size() + 13));
}

TEST(HttpClient, NoReplyAtAllGivesAnEmptyBody) {
    LoopbackServer server({ScriptedReply{}});
    Fetch fetch(server.Url());
    fetch.text = "old";

    EXPECT_EQ(fetch.Run(), 0);
    EXPECT_EQ(fetch.text, "");
    EXPECT_THAT(fetch.log.lines, ElementsAre(ContactingLine(server.Port()), "Accessing URL - /"));
}

TEST(HttpClient, ReceiveThatFailsKeepsWhatCameAndLogsTheCode) {
    struct Case {
        ScriptedReply reply;
        std::string text;
        int code;
    };
    for (const Case& failing : {Case{{{kOkHead + "partial"}, {}, Ending::Hold}, "partial", 110},
                                Case{{{}, {}, Ending::Reset}, "", 104}}) {
        LoopbackServer server({failing.reply});
        Fetch fetch(server.Url());
        fetch.limits.receive = std::chrono::milliseconds(200);

        EXPECT_EQ(fetch.Run(), static_cast<std::int64_t>(failing.text.size()));
        EXPECT_EQ(fetch.text, failing.text);
        EXPECT_THAT(fetch.log.lines, ElementsAre(ContactingLine(server.Port()), "Accessing URL - /",
                                                 "ERROR: Socket read failed with code " +
                                                     std::to_string(failing.code)));
    }
}

// Runs `fetch`, which must fail to connect after logging `contacted`.
void ExpectConnectFailure(Fetch& fetch, const std::string& contacted) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: connect() failed");
    EXPECT_THAT(fetch.log.lines, ElementsAre(contacted, "ERROR: Failed to connect"));
}

TEST(HttpClient, ConnectionThatCannotBeMadeFails) {
    const RefusingPort refusing;
    Fetch refused("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/");
    ExpectConnectFailure(refused, ContactingLine(refusing.Port()));

    const FullListener full;  // never accepts: connecting lasts until the connect limit
    Fetch unanswered("http://127.0.0.1:" + std::to_string(full.Port()) + "/");
    unanswered.limits.connect = std::chrono::milliseconds(200);
    ExpectConnectFailure(unanswered, ContactingLine(full.Port()));

    Fetch outOfRange;
    outOfRange.agent.HOST = "127.0.0.1";
    outOfRange.agent.PORT = "70000";
    outOfRange.agent.URL = "http://origin.invalid/";
    ExpectConnectFailure(outOfRange, ContactingLine(70000));
}

TEST(HttpClient, UnknownHostFailsBeforeContacting) {
    Fetch fetch("http://no-such-host.invalid/page");
    testing::internal::CaptureStderr();

    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_THAT(
        testing::internal::GetCapturedStderr(),
        testing::MatchesRegex("ERROR: gethostbyname\\(\\) failed - -?[0-9]+ is the error\\. "
                              "Make sure 'no-such-host\\.invalid' is listed in the hosts "
                              "file\\.\\."));
    EXPECT_THAT(fetch.log.lines,
                ElementsAre("ERROR: Unable to resolve IP address for host: no-such-host.invalid"));
}

TEST(HttpClient, SocketLibraryThatCannotStartLeavesTheTextAlone) {
    const ScopedEnvironment failing("GLEANWORK_SOCKET_START_ERROR", "10091");
    Fetch fetch("http://127.0.0.1/");
    fetch.text = "before";
    testing::internal::CaptureStderr();

    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Initializing Winsock - 10091");
    EXPECT_THAT(fetch.log.lines, ElementsAre("ERROR: Initializing Winsock - 10091"));
    EXPECT_EQ(fetch.text, "before");
}

}  // namespace
}  // namespace gleanwork::test
