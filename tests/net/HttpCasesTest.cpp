// Every case of the HTTP case file, fetched over a scripted transport.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "net/FetchFixture.h"
#include "support/CaseFile.h"
#include "support/ScriptedTransport.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

const CaseFile kCaseFile =
    ReadCaseFile(GLEANWORK_TEST_DATA "/http/cases.txt",
                 {"request", "reply", "requests", "log", "text", "result", "failure", "fail-last",
                  "no-socket", "stderr", "socket-start-error", "source-limit"});

// The fetch of a case's request: its "name=value" lines.
Fetch FetchOf(const Case& expected) {
    Fetch fetch;
    HttpRequest& request = fetch.request;
    std::string retry;
    const std::map<std::string, std::string*> fields{{"url", &request.url},
                                                     {"user-agent", &request.userAgent},
                                                     {"user", &request.credentials.user},
                                                     {"password", &request.credentials.password},
                                                     {"proxy", &request.route.proxy},
                                                     {"port", &request.route.port},
                                                     {"method", &request.method},
                                                     {"body", &request.body},
                                                     {"content-type", &request.contentType},
                                                     {"retry-after", &retry}};
    for (const std::string& line : expected.Lines("request")) {
        const std::size_t equals = line.find('=');
        *fields.at(line.substr(0, equals)) = line.substr(equals + 1);
    }
    request.credentials.originUrl = request.url;
    request.honourRetryAfter = retry == "honoured";
    return fetch;
}

// The failures that the case file names.
const std::map<std::string, SourceFailureKind> kFailures{
    {"none", SourceFailureKind::None},
    {"socket-library", SourceFailureKind::SocketLibrary},
    {"no-socket", SourceFailureKind::NoSocket},
    {"name-not-resolved", SourceFailureKind::NameNotResolved},
    {"receive-failed", SourceFailureKind::ReceiveFailed},
    {"http-status", SourceFailureKind::HttpStatus},
    {"cut-short", SourceFailureKind::CutShort},
    {"too-large", SourceFailureKind::TooLarge},
    {"too-many-redirects", SourceFailureKind::TooManyRedirects},
};

TEST(HttpCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(kCaseFile.errors, std::vector<std::string>());
}

class HttpCase : public ::testing::TestWithParam<Case> {};

TEST_P(HttpCase, SendsItsRequestsAndGivesItsLogAndText) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    const std::string startError = expected.Text("socket-start-error");
    const ScopedEnvironment failing("GLEANWORK_SOCKET_START_ERROR",
                                    startError.empty() ? nullptr : startError.c_str());
    const std::string failure = expected.Has("failure") ? expected.Text("failure") : "none";
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
        ScriptedTransport transport;
        const std::vector<std::string> replies = expected.Texts("reply");
        transport.replies.assign(replies.begin(), replies.end());
        transport.chunk = chunk;
        transport.failLast = expected.Has("fail-last");
        transport.canOpen = !expected.Has("no-socket");
        Fetch fetch = FetchOf(expected);
        fetch.request.limits.receiveChunk = chunk;
        if (expected.Has("source-limit")) {
            fetch.request.limits.maxSourceBytes = std::stoull(expected.Text("source-limit"));
        }
        testing::internal::CaptureStderr();
        const std::int64_t result = fetch.Run(&transport);
        const std::string standardError = testing::internal::GetCapturedStderr();

        EXPECT_EQ(std::to_string(result), expected.Text("result")) << "chunk " << chunk;
        EXPECT_EQ(fetch.result.failure.kind, kFailures.at(failure));
        // Each request goes in one send, so no line waits for the one before.
        EXPECT_THAT(transport.sends, ::testing::Each(::testing::Le(1)));
        std::erase(transport.requests, "");  // a connection that sent nothing
        EXPECT_EQ(transport.requests, expected.Lines("requests"));
        EXPECT_EQ(fetch.log.lines, expected.Lines("log"));
        EXPECT_EQ(fetch.result.body, expected.Text("text"));
        EXPECT_LE(fetch.result.body.capacity(),
                  std::max<std::uint64_t>(fetch.request.limits.maxSourceBytes, 15));
        if (expected.Has("stderr")) {
            EXPECT_EQ(standardError, expected.Text("stderr"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpCase, ::testing::ValuesIn(kCaseFile.cases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

}  // namespace
}  // namespace gleanwork::test
