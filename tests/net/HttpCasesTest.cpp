// Every case of the HTTP case file, fetched over a scripted transport.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/FetchFixture.h"
#include "storage/AgentFile.h"
#include "support/CaseFile.h"
#include "support/ScriptedTransport.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

const CaseFile kCaseFile =
    ReadCaseFile(GLEANWORK_TEST_DATA "/http/cases.txt",
                 {"agent", "reply", "requests", "log", "text", "result", "fail-last", "no-socket",
                  "stderr", "socket-start-error", "source-limit"});

TEST(HttpCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(kCaseFile.errors, std::vector<std::string>());
}

class HttpCase : public ::testing::TestWithParam<Case> {};

TEST_P(HttpCase, SendsItsRequestsAndGivesItsLogAndText) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    const TempFolder folder;
    WriteFile(folder / "case.agt", expected.Text("agent") + "\n");
    const std::string startError = expected.Text("socket-start-error");
    const ScopedEnvironment failing("GLEANWORK_SOCKET_START_ERROR",
                                    startError.empty() ? nullptr : startError.c_str());
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
        ScriptedTransport transport;
        const std::vector<std::string> replies = expected.Texts("reply");
        transport.replies.assign(replies.begin(), replies.end());
        transport.chunk = chunk;
        transport.failLast = expected.Has("fail-last");
        transport.canOpen = !expected.Has("no-socket");
        Fetch fetch;
        ASSERT_EQ(ReadAgentFile(fetch.agent, folder / "case.agt"), 0);
        fetch.limits.receiveChunk = chunk;
        if (expected.Has("source-limit")) {
            fetch.limits.maxSourceBytes = std::stoull(expected.Text("source-limit"));
        }
        fetch.text = "old";
        testing::internal::CaptureStderr();
        const std::int64_t result = fetch.Run(&transport);
        const std::string standardError = testing::internal::GetCapturedStderr();

        EXPECT_EQ(std::to_string(result), expected.Text("result")) << "chunk " << chunk;
        // Each request goes in one send, so no line waits for the one before.
        EXPECT_THAT(transport.sends, ::testing::Each(::testing::Le(1)));
        std::erase(transport.requests, "");  // a connection that sent nothing
        EXPECT_EQ(transport.requests, expected.Lines("requests"));
        EXPECT_EQ(fetch.log.lines, expected.Lines("log"));
        EXPECT_EQ(fetch.text, expected.Text("text"));
        EXPECT_LE(fetch.text.capacity(), std::max<std::uint64_t>(fetch.limits.maxSourceBytes, 15));
        if (expected.Has("stderr")) {
            EXPECT_EQ(standardError, expected.Text("stderr"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpCase, ::testing::ValuesIn(kCaseFile.cases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

}  // namespace
}  // namespace gleanwork::test
