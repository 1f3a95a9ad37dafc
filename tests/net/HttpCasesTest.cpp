// Every case of the HTTP case file, fetched over a scripted transport.
#include <gtest/gtest.h>

#include <map>

#include "net/FetchFixture.h"
#include "support/CaseFile.h"
#include "support/ScriptedTransport.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

const std::string kCaseFile = GLEANWORK_TEST_DATA "/http/cases.txt";
std::vector<std::string> caseFileErrors;
const std::vector<Case> kCases = ReadCaseFile(
    kCaseFile,
    {"agent", "reply", "requests", "log", "text", "result", "fail-last", "no-socket", "stderr"},
    caseFileErrors);

TEST(HttpCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(caseFileErrors, std::vector<std::string>());
}

void SetFields(AgentDefinition& agent, const std::vector<std::string>& lines) {
    const std::map<std::string, std::string*> fields{
        {"URL", &agent.URL},         {"HOST", &agent.HOST},
        {"PORT", &agent.PORT},       {"USERAGENT", &agent.USERAGENT},
        {"WEBUSER", &agent.WEBUSER}, {"WEBPASS", &agent.WEBPASS}};
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        *fields.at(line.substr(0, equals)) = line.substr(equals + 1);
    }
}

class HttpCase : public ::testing::TestWithParam<Case> {};

TEST_P(HttpCase, SendsItsRequestsAndGivesItsLogAndText) {
    const Case& expected = GetParam();
    SCOPED_TRACE(kCaseFile + ":" + std::to_string(expected.line));
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
        ScriptedTransport transport;
        const std::vector<std::string> replies = expected.Texts("reply");
        transport.replies.assign(replies.begin(), replies.end());
        transport.chunk = chunk;
        transport.failLast = expected.Has("fail-last");
        transport.canOpen = !expected.Has("no-socket");
        Fetch fetch;
        SetFields(fetch.agent, expected.Lines("agent"));
        fetch.limits.receiveChunk = chunk;
        fetch.text = "old";
        testing::internal::CaptureStderr();
        const std::int64_t result = fetch.Run(transport);
        const std::string standardError = testing::internal::GetCapturedStderr();

        EXPECT_EQ(std::to_string(result), expected.Text("result")) << "chunk " << chunk;
        std::erase(transport.requests, "");  // a connection that sent nothing
        EXPECT_EQ(transport.requests, expected.Lines("requests"));
        EXPECT_EQ(fetch.log.lines, expected.Lines("log"));
        EXPECT_EQ(fetch.text, expected.Text("text"));
        if (expected.Has("stderr")) {
            EXPECT_EQ(standardError, expected.Text("stderr"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpCase, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

TEST(HttpClient, SocketLibraryThatCannotStartLeavesTheTextAlone) {
    const ScopedEnvironment failing("GLEANWORK_SOCKET_START_ERROR", "10091");
    Fetch fetch("http://127.0.0.1/");
    fetch.text = "before";
    testing::internal::CaptureStderr();
    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Initializing Winsock - 10091");
    EXPECT_EQ(fetch.log.lines, std::vector<std::string>{"ERROR: Initializing Winsock - 10091"});
    EXPECT_EQ(fetch.text, "before");
}

}  // namespace
}  // namespace gleanwork::test
