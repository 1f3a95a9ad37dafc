// An agent that follows links over a loopback server: a list page in two
// pages of results, each result's detail page, a session cookie set by the
// first page that every later request must carry, and the polite wait.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/AgentEngine.h"
#include "net/LoopbackServer.h"
#include "support/CaseFile.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

ScriptedReply Page(std::string_view headers, std::string_view body) {
    return Reply("HTTP/1.0 200 OK\r\n" + std::string(headers) + "\r\n" + std::string(body));
}

// The request line and the Cookie line of a request ("" when it has none).
std::string RequestLineAndCookie(const std::string& request) {
    const std::string line = request.substr(0, request.find("\r\n"));
    const std::size_t cookie = request.find("\r\nCookie: ");
    if (cookie == std::string::npos) {
        return line;
    }
    const std::size_t start = cookie + 2;
    return line + " | " + request.substr(start, request.find("\r\n", start) - start);
}

TEST(FetchPages, WalksPagesOfResultsAndTheirDetailPagesWithTheSessionCookie) {
    const TempFolder folder;
    LoopbackServer server({});
    server.Script({
        Page("Set-Cookie: session=abc; Path=/; HttpOnly\r\n",
             "<a class=\"item\" href=\"item/1\">A</a><a class=\"item\" href=\"/item/2#top\">B</a>"
             "<a class=\"next\" href=\"?page=2\">next</a></body>"),
        Page("", "<h1>Tom &amp; Jerry</h1><p class=\"price\"> 12,50 </p>"),
        Page("", "<h1>Lamp \"Nova\", 2 m</h1><p class=\"price\">99</p>"),
        Page("Set-Cookie: seen=1; Path=/item\r\n",
             "<a class=\"item\" href=\"//127.0.0.1:" + std::to_string(server.Port()) +
                 "/item/3?x=1\">C</a></body>"),
        Page("", "<h1>&#x41;&eacute;</h1><p class=\"price\">1</p>"),
    });
    AgentDefinition agent;
    agent.URL = server.Url("/list?page=1");
    agent.FILE = folder / "items.csv";
    agent.INTERVAL = "0";
    std::vector<std::string> errors;
    agent.SCRIPT =
        ReadCaseFile(GLEANWORK_TEST_DATA "/net/walk.txt", {"script"}, errors).at(0).Lines("script");
    EXPECT_EQ(errors, std::vector<std::string>());
    RecordingRunLog log;

    AgentEngine(agent, &log).Run();

    EXPECT_EQ(ReadFile(folder / "items.csv"),
              "title,price\nTom & Jerry,\"12,50\"\n\"Lamp \"\"Nova\"\", 2 m\",99\nA\xc3\xa9,1\n");
    std::vector<std::string> requests;
    for (const std::string& request : server.Requests()) {
        requests.push_back(RequestLineAndCookie(request));
    }
    EXPECT_EQ(requests, (std::vector<std::string>{
                            "GET /list?page=1 HTTP/1.0",
                            "GET /item/1 HTTP/1.0 | Cookie: session=abc",
                            "GET /item/2 HTTP/1.0 | Cookie: session=abc",
                            "GET /list?page=2 HTTP/1.0 | Cookie: session=abc",
                            "GET /item/3?x=1 HTTP/1.0 | Cookie: seen=1; session=abc",
                        }));
    EXPECT_THAT(log.lines, Contains("Accessing URL - /item/3?x=1"));
    EXPECT_THAT(log.lines, Not(Contains(StartsWith("Waiting"))));
    EXPECT_THAT(log.lines, Not(Contains(HasSubstr("ERROR"))));
}

// Stops the run when it starts to wait.
class StopOnWait : public RecordingRunLog {
public:
    void LogLine(std::string_view line) override {
        RecordingRunLog::LogLine(line);
        if (line.starts_with("Waiting") && engine != nullptr) {
            engine->Stop();
        }
    }
    AgentEngine* engine = nullptr;
};

TEST(FetchPages, WaitsThePoliteIntervalBeforeFetchingFromTheSameHostAgain) {
    LoopbackServer server({Page("", "first"), Page("", "second")});
    AgentDefinition agent;
    agent.URL = server.Url("/one");
    agent.INTERVAL = "60000";
    agent.SCRIPT = {"FETCH \"two\"", "PRINTLN \"not reached\""};
    StopOnWait log;
    AgentEngine engine(agent, &log);
    log.engine = &engine;

    engine.Run();

    EXPECT_THAT(log.lines, Contains(AllOf(StartsWith("Waiting "),
                                          HasSubstr(" ms before contacting host: 127.0.0.1"))));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(log.lines.back(), "Agent completed.");
}

}  // namespace
}  // namespace gleanwork::test
