// The HTTP client over real sockets on 127.0.0.1, where the socket is the
// point: long requests, slow replies, failed connects and receives.
#include <gtest/gtest.h>

#include "net/Base64.h"
#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;
using Ending = ScriptedReply::Ending;

TEST(HttpSocket, LongRequestsGoOutWholeAndSlowRepliesComeInWhole) {
    LoopbackServer server(
        {ScriptedReply{{"HTTP/1.0 200 OK\r", "\nX: y\r\n", "\r", "\nbo", "dy"}, 5ms}});
    const std::string path = "/" + std::string(3 << 20, 'p');
    Fetch fetch(server.Url(path));
    fetch.agent.USERAGENT = std::string(1 << 20, 'u');
    fetch.agent.WEBUSER = std::string(100000, 'n');
    fetch.limits.receiveChunk = 1;

    EXPECT_EQ(fetch.Run(), 4);
    EXPECT_EQ(fetch.text, "body");
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_TRUE(server.Requests()[0] ==
                "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                    "\r\nAuthorization: Basic " + EncodeBase64(fetch.agent.WEBUSER + ":") +
                    "\r\nUser-agent: " + fetch.agent.USERAGENT + "\r\n\r\n");
}

TEST(HttpSocket, AReceiveThatTimesOutOrIsResetKeepsWhatCame) {
    for (const auto& [reply, text, code] :
         {std::tuple{ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\npartial"}, {}, Ending::Hold},
                     std::string("partial"), 110},
          std::tuple{ScriptedReply{{}, {}, Ending::Reset}, std::string(), 104}}) {
        LoopbackServer server({reply});
        Fetch fetch(server.Url());
        fetch.limits.receive = 200ms;
        EXPECT_EQ(fetch.Run(), static_cast<std::int64_t>(text.size()));
        EXPECT_EQ(fetch.text, text);
        EXPECT_EQ(fetch.log.lines.back(),
                  "ERROR: Socket read failed with code " + std::to_string(code));
    }
}

// Runs `fetch`, which must fail to connect to `port`.
void ExpectConnectFailure(Fetch& fetch, int port) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: connect() failed");
    EXPECT_EQ(fetch.log.lines,
              (std::vector<std::string>{ContactingLine(port), "ERROR: Failed to connect"}));
}

TEST(HttpSocket, AConnectionThatCannotBeMadeFails) {
    const RefusingPort refusing;
    Fetch refused("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/");
    ExpectConnectFailure(refused, refusing.Port());

    Fetch outOfRange;
    outOfRange.agent.HOST = "127.0.0.1";
    outOfRange.agent.PORT = "70000";
    outOfRange.agent.URL = "http://origin.invalid/";
    ExpectConnectFailure(outOfRange, 70000);

    // A full listen queue drops the connect, which then lasts to its limit.
    const FullListener full;
    Fetch unanswered("http://127.0.0.1:" + std::to_string(full.Port()) + "/");
    unanswered.limits.connect = 200ms;
    const auto start = std::chrono::steady_clock::now();
    ExpectConnectFailure(unanswered, full.Port());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms) << "refused, not dropped";
}

}  // namespace
}  // namespace gleanwork::test
