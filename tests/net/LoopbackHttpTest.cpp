// The HTTP client over real sockets on 127.0.0.1, where the socket is the
// point: long requests, slow replies, failed connects and receives; and whole
// runs: one page, pages at once, and an agent that follows links over pages
// of results and their detail pages with a session cookie and the polite wait.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "net/Base64.h"
#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "run/AgentEngine.h"
#include "support/CaseFile.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using namespace std::chrono_literals;
using Ending = ScriptedReply::Ending;

TEST(HttpSocket, LongRequestsGoOutWholeAndSlowRepliesComeInWhole) {
    LoopbackServer server(
        {ScriptedReply{{"HTTP/1.0 200 OK\r", "\nX: y\r\n", "\r", "\nbo", "dy"}, 5ms}});
    const std::string path = "/" + std::string(3 << 20, 'p');
    Fetch fetch(server.Url(path));
    fetch.request.userAgent = std::string(1 << 20, 'u');
    fetch.request.credentials.user = std::string(100000, 'n');
    fetch.request.limits.receiveChunk = 1;

    EXPECT_EQ(fetch.Run(), 4);
    EXPECT_EQ(fetch.result.body, "body");
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_TRUE(server.Requests()[0] ==
                "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                    "\r\nAuthorization: Basic " +
                    EncodeBase64(fetch.request.credentials.user + ":") +
                    "\r\nUser-agent: " + fetch.request.userAgent + "\r\n\r\n");
}

TEST(HttpSocket, APostGoesOutWholeAndItsSeeOtherLeadsToAGet) {
    LoopbackServer server({Reply("HTTP/1.0 303 See Other\r\nLocation: /done\r\n\r\n"),
                           Reply("HTTP/1.0 200 OK\r\n\r\nthanks")});
    Fetch fetch(server.Url("/form"));
    fetch.request.body = "q=" + std::string(1 << 20, 'b');

    EXPECT_EQ(fetch.Run(), 6);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
    EXPECT_THAT(server.Requests(),
                ElementsAre("POST /form HTTP/1.0\r\n" + host +
                                "User-agent: \r\nContent-Type: application/x-www-form-urlencoded"
                                "\r\nContent-Length: 1048578\r\n\r\n" +
                                fetch.request.body,
                            "GET /done HTTP/1.0\r\n" + host + "User-agent: \r\n\r\n"));
}

TEST(HttpSocket, AReceiveThatTimesOutOrIsResetKeepsWhatCame) {
    for (const auto& [reply, text, code, kind] :
         {std::tuple{ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\npartial"}, {}, Ending::Hold},
                     std::string("partial"), 110, SourceFailureKind::ReceiveTimedOut},
          std::tuple{ScriptedReply{{}, {}, Ending::Reset}, std::string(), 104,
                     SourceFailureKind::ReceiveFailed}}) {
        LoopbackServer server({reply});
        Fetch fetch(server.Url());
        fetch.request.limits.receive = 200ms;
        EXPECT_EQ(fetch.Run(), static_cast<std::int64_t>(text.size()));
        EXPECT_EQ(fetch.result.body, text);
        EXPECT_EQ(fetch.result.failure.kind, kind);
        EXPECT_EQ(fetch.log.lines.back(),
                  "ERROR: Socket read failed with code " + std::to_string(code));
    }
}

TEST(HttpSocket, AConnectionThatCannotBeMadeFails) {
    const RefusingPort refusing;
    Fetch fetch(refusing.Url());
    testing::internal::CaptureStderr();
    EXPECT_EQ(fetch.Run(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: connect() failed");
    EXPECT_EQ(fetch.result.failure.kind, SourceFailureKind::ConnectRefused);
    EXPECT_EQ(fetch.log.lines, (std::vector<std::string>{ContactingLine(refusing.Port()),
                                                         "ERROR: Failed to connect"}));
}

TEST(HttpRun, AScriptRunsOverTheBodyAndOnlyAnEmptyBodyIsNoSource) {
    const TempFolder folder;
    LoopbackServer server({Reply("HTTP/1.0 200 OK\r\n\r\n<b>bold</b> rest"),
                           Reply("HTTP/1.0 204 No Content\r\n\r\n")});
    const RefusingPort refusing;
    AgentDefinition agent;
    agent.URL = server.Url("/page");
    agent.FILE = folder / "out.txt";
    agent.SCRIPT = {"FIND \"<b>\"", "GETUNTIL \"<\"", "PRINT"};
    RecordingRunLog log, empty, failed;
    AgentEngine(agent, &log).Run();
    AgentEngine(agent, &empty).Run();
    agent.URL = refusing.Url();
    testing::internal::CaptureStderr();
    AgentEngine(agent, &failed).Run();
    testing::internal::GetCapturedStderr();

    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Engine started.", "Setting variables...",
                                        ContactingLine(server.Port()), "Accessing URL - /page",
                                        "Opening output file: " + agent.FILE, "Starting script...",
                                        "", "# FIND \"<b>\"", "# GETUNTIL \"<\"", "<< bold",
                                        "# PRINT", ">> bold", "Agent completed."}));
    const std::string noSource = "ERROR: Unable to read specified URL or file";
    EXPECT_THAT(log.lines, Not(Contains(noSource)));
    EXPECT_THAT(empty.lines, Contains(noSource));
    EXPECT_THAT(empty.lines, Contains("Output file left as it was: " + agent.FILE));
    EXPECT_THAT(failed.lines, Contains("ERROR: Failed to connect"));
    EXPECT_THAT(failed.lines, Not(Contains(noSource)));
}

TEST(HttpConcurrency, EnginesFetchingAtOnceKeepTheirOwnReplies) {
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    std::vector<std::string> texts(6);
    std::vector<std::thread> threads;
    servers.reserve(texts.size());
    for (std::size_t run = 0; run < texts.size(); ++run) {
        const std::string body(100000 + run, static_cast<char>('a' + run));
        servers.push_back(std::make_unique<LoopbackServer>(std::vector{
            ScriptedReply{{"HTTP/1.0 200 OK\r\n\r\n", body.substr(0, 500), body.substr(500)},
                          std::chrono::milliseconds(2)}}));
        threads.emplace_back([&, run] {
            AgentDefinition agent;
            agent.URL = servers[run]->Url("/start");
            AgentEngine engine(agent, nullptr);
            engine.SetHttpLimits({std::chrono::seconds(20), std::chrono::seconds(20), 7});
            texts[run] = engine.ReadSource().text;
        });
    }
    for (std::size_t run = 0; run < texts.size(); ++run) {
        threads[run].join();
        EXPECT_TRUE(texts[run] == std::string(100000 + run, static_cast<char>('a' + run))) << run;
    }
}

TEST(FetchPages, WalksPagesOfResultsAndTheirDetailPagesWithTheSessionCookie) {
    const CaseFile file = ReadCaseFile(GLEANWORK_TEST_DATA "/net/walk.txt",
                                       {"script", "reply", "requests", "output"});
    EXPECT_EQ(file.errors, std::vector<std::string>());
    const Case& walk = file.cases.at(0);
    LoopbackServer server({});
    const auto withPort = [&server](std::vector<std::string> texts) {
        for (std::string& text : texts) {
            text =
                std::regex_replace(text, std::regex("\\{port\\}"), std::to_string(server.Port()));
        }
        return texts;
    };
    std::vector<ScriptedReply> replies;
    for (const std::string& reply : withPort(walk.Texts("reply"))) {
        replies.push_back(Reply(reply));
    }
    server.Script(replies);
    const TempFolder folder;
    AgentDefinition agent;
    agent.URL = server.Url("/list?page=1");
    agent.FILE = folder / "items.csv";
    agent.INTERVAL = "0";
    agent.SCRIPT = walk.Lines("script");
    RecordingRunLog log;

    AgentEngine(agent, &log).Run();

    EXPECT_EQ(ReadFile(folder / "items.csv"), walk.Text("output") + "\n");
    EXPECT_EQ(server.Requests(), withPort(walk.Lines("requests")));
    EXPECT_THAT(log.lines, Contains("Accessing URL - /item/3?x=1"));
    EXPECT_THAT(log.lines, Not(Contains(StartsWith("Waiting"))));
    EXPECT_THAT(log.lines, Not(Contains(HasSubstr("ERROR"))));
}

TEST(FetchPages, GivesTheCredentialsOnlyToTheAgentsOwnSite) {
    LoopbackServer own({Reply("HTTP/1.0 200 OK\r\n\r\nown"), Reply("HTTP/1.0 200 OK\r\n\r\nmore")});
    LoopbackServer other({Reply("HTTP/1.0 200 OK\r\n\r\nother")});
    AgentDefinition agent;
    agent.URL = own.Url("/");
    agent.WEBUSER = "user";
    agent.INTERVAL = "0";
    agent.SCRIPT = {"FETCH \"" + other.Url("/page") + "\"", "FETCH \"" + own.Url("/more") + "\""};

    AgentEngine(agent, nullptr).Run();

    const std::string authorization = "\r\nAuthorization: Basic " + EncodeBase64("user:");
    EXPECT_THAT(own.Requests(), ElementsAre(HasSubstr(authorization), HasSubstr(authorization)));
    EXPECT_THAT(other.Requests(), ElementsAre(Not(HasSubstr("Authorization"))));
}

TEST(FetchPages, WaitsThePoliteIntervalBeforeFetchingFromTheSameHostAgain) {
    LoopbackServer server(
        {Reply("HTTP/1.0 200 OK\r\n\r\nfirst"), Reply("HTTP/1.0 200 OK\r\n\r\nsecond")});
    AgentDefinition agent;
    agent.URL = server.Url("/one");
    agent.INTERVAL = "60000";
    agent.SCRIPT = {"FETCH \"two\"", "PRINTLN \"not reached\""};
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    log.onLine = [&](std::string_view line) {
        if (line.starts_with("Waiting")) {
            engine.Stop();
        }
    };

    engine.Run();

    EXPECT_THAT(log.lines, Contains(AllOf(StartsWith("Waiting "),
                                          HasSubstr(" ms before contacting host: 127.0.0.1"))));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(log.lines.back(), "Agent completed.");
}

TEST(FetchPages, ObeysRobotsTxtReadOnceAndItsCrawlDelay) {
    LoopbackServer server({Reply("HTTP/1.0 200 OK\r\n\r\n"
                                 "User-agent: *\nDisallow: /\n\n"
                                 "User-agent: Gleanwork\nDisallow: /private/\n"
                                 "Allow: /private/open$\nCrawl-delay: 0.2\n"),
                           Reply("HTTP/1.0 200 OK\r\n\r\nstart"),
                           Reply("HTTP/1.0 200 OK\r\n\r\nopen")});
    AgentDefinition agent;
    agent.URL = server.Url("/start");
    agent.USERAGENT = "Gleanwork/1.0";
    agent.ROBOTS = "1";
    agent.INTERVAL = "0";
    agent.SCRIPT = {"FETCH \"/private/open/more\"",
                    "FETCH \"/private/open\"",
                    "JUMPIFFAILED end",
                    "GET 4",
                    "PRINT",
                    "BOOKMARK end"};
    RecordingRunLog log;

    AgentEngine(agent, &log).Run();

    const std::string site = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_THAT(server.Requests(),
                ElementsAre(StartsWith("GET /robots.txt "), StartsWith("GET /start "),
                            StartsWith("GET /private/open ")));
    EXPECT_THAT(log.lines, Contains("robots.txt of " + site + ": read; Crawl-delay 200 ms"));
    EXPECT_THAT(log.lines,
                Contains("ERROR: robots.txt of " + site + " disallows /private/open/more"));
    EXPECT_THAT(log.lines, Contains(StartsWith("Waiting ")));
    EXPECT_THAT(log.lines, Contains(">> open"));
}

TEST(FetchPages, AWaitThatABusyServerAsksForEndsWithTheRun) {
    LoopbackServer server({Reply("HTTP/1.0 503 Busy\r\nRetry-After: 100\r\n\r\n")});
    AgentDefinition agent;
    agent.URL = server.Url("/");
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    log.onLine = [&](std::string_view line) {
        if (line.find("trying again") != std::string_view::npos) {
            engine.Stop();
        }
    };

    engine.Run();

    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_THAT(log.lines, Not(Contains(HasSubstr("ERROR"))));
    EXPECT_EQ(log.lines.back(), "Agent completed.");
}

TEST(FetchPages, GoThroughTheProxyTheEnvironmentNamesUnlessTheAgentNamesOne) {
    LoopbackServer proxy({Reply("HTTP/1.0 200 OK\r\n\r\nproxied")});
    LoopbackServer own({Reply("HTTP/1.0 200 OK\r\n\r\nown proxy")});
    LoopbackServer origin({Reply("HTTP/1.0 200 OK\r\n\r\ndirect")});
    const std::string proxyUrl = "http://us%40er:pw@127.0.0.1:" + std::to_string(proxy.Port());
    const struct {
        const char* noProxy;
        std::string host, url, page;
    } cases[] = {
        {"", "", "http://shop.invalid/a", "proxied"},
        {"", "127.0.0.1", own.Url("/b"), "own proxy"},
        {"localhost,127.0.0.1", "", origin.Url("/c"), "direct"},
    };
    for (const auto& [noProxy, host, url, page] : cases) {
        const ScopedEnvironment httpProxy("http_proxy", proxyUrl.c_str());
        const ScopedEnvironment no("no_proxy", noProxy);
        AgentDefinition agent;
        agent.URL = url;
        agent.HOST = host;
        agent.PORT = host.empty() ? "" : std::to_string(own.Port());
        EXPECT_EQ(AgentEngine(agent, nullptr).ReadSource().text, page) << url;
    }
    EXPECT_THAT(proxy.Requests(),
                ElementsAre("GET http://shop.invalid/a HTTP/1.0\r\nHost: shop.invalid\r\n"
                            "Proxy-Authorization: Basic " +
                            EncodeBase64("us@er:pw") + "\r\nUser-agent: \r\n\r\n"));

    const ScopedEnvironment unusable("http_proxy", "socks5://127.0.0.1:1080");
    AgentDefinition agent;
    agent.URL = origin.Url("/d");
    RecordingRunLog log;
    AgentEngine(agent, &log).Run();
    EXPECT_THAT(log.lines, Contains("ERROR: The proxy that http_proxy names cannot be used: a "
                                    "socks5:// proxy, and only http:// proxies are supported"));
}

}  // namespace
}  // namespace gleanwork::test
