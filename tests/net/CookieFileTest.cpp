// Cookie files in the Netscape format: read, written, and shared with curl.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "net/CookieFile.h"
#include "net/LoopbackServer.h"
#include "run/AgentEngine.h"
#include "support/CaseFile.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

const CookieJar::Clock::time_point kNow = CookieJar::Clock::from_time_t(1700000000);

int PermissionsOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
}

TEST(CookieFile, ReadsAndWritesTheNetscapeFormat) {
    const CaseFile cases = ReadCaseFile(GLEANWORK_TEST_DATA "/net/cookiefiles.txt",
                                        {"file", "read", "sends", "written"});
    ASSERT_EQ(cases.errors, std::vector<std::string>());
    for (const Case& expected : cases.cases) {
        SCOPED_TRACE(expected.where);
        const TempFolder folder;
        WriteFile(folder / "jar", expected.Text("file") + "\n");
        CookieJar jar;
        const CookieFileResult read = ReadCookieFile(folder / "jar", jar, kNow);
        EXPECT_TRUE(read.done);
        EXPECT_EQ(std::to_string(read.cookies) + " cookies, " + std::to_string(read.passedOver) +
                      " lines passed over",
                  expected.Text("read"));
        for (const std::string& line : expected.Lines("sends")) {
            const std::size_t arrow = line.find(" =>");
            const std::string header = line.substr(std::min(arrow + 4, line.size()));
            EXPECT_EQ(jar.HeaderFor(CookieOriginOf(line.substr(0, arrow)), kNow), header) << line;
        }
        EXPECT_TRUE(WriteCookieFile(folder / "written", jar, kNow).done);
        EXPECT_EQ(ReadFile(folder / "written"), expected.Text("written") + "\n");
    }
}

TEST(CookieFile, IsWrittenForItsOwnerAloneAndSaysWhyItFails) {
    const TempInstallFolder folder;
    CookieJar jar;
    jar.Store("a=1; Max-Age=60; HttpOnly", CookieOriginOf("http://shop.test/"), kNow);
    jar.Store("tab=x\ty", CookieOriginOf("http://shop.test/"), kNow);
    WriteFile(folder / "jar", "");
    ::chmod((folder / "jar").c_str(), 0644);
    const CookieFileResult written = WriteCookieFile("jar", jar, kNow);
    EXPECT_TRUE(written.done);
    EXPECT_EQ(written.path, folder / "jar");
    EXPECT_EQ(written.cookies, 1U);
    EXPECT_EQ(written.passedOver, 1U);
    EXPECT_EQ(PermissionsOf(folder / "jar"), 0600);
    EXPECT_THAT(ReadFile(folder / "jar"),
                ::testing::EndsWith("\n#HttpOnly_shop.test\tFALSE\t/\tFALSE\t1700000060\ta\t1\n"));

    const CookieFileResult missing = ReadCookieFile("none-yet", jar, kNow);
    EXPECT_TRUE(missing.done);
    EXPECT_EQ(missing.cookies, 0U);
    for (const CookieFileResult& failed :
         {ReadCookieFile(folder.Path(), jar, kNow), WriteCookieFile("no/such/folder", jar, kNow)}) {
        EXPECT_FALSE(failed.done) << failed.path;
        EXPECT_FALSE(failed.reason.empty()) << failed.path;
    }
}

// The cookies of a request's Cookie header, in order of name.
std::vector<std::string> CookiesSent(const std::string& request) {
    std::smatch header;
    std::vector<std::string> cookies;
    if (std::regex_search(request, header, std::regex("\r\nCookie: ([^\r]*)\r\n"))) {
        const std::string line = header[1];
        const std::regex pair("[^; ]+");
        for (auto at = std::sregex_iterator(line.begin(), line.end(), pair);
             at != std::sregex_iterator(); ++at) {
            cookies.push_back(at->str());
        }
    }
    std::sort(cookies.begin(), cookies.end());
    return cookies;
}

// Runs curl against 127.0.0.1 alone, with no configuration file and a time
// limit.
void RunCurl(const std::string& arguments) {
    const std::string command = "curl -q -s -o /dev/null --max-time 20 --noproxy '*' " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A run of an agent whose COOKIEFILE is `jar`, that reads `url`; its log.
std::vector<std::string> RunWithCookieFile(const std::string& jar, const std::string& url,
                                           bool testRun = false) {
    AgentDefinition agent;
    agent.URL = url;
    agent.COOKIEFILE = jar;
    RecordingRunLog log;
    AgentEngine engine(agent, &log);
    engine.SetTestRun(testRun);
    engine.Run();
    return log.lines;
}

TEST(CookieFile, ARunGoesOnWithTheSessionCurlStartedAndCurlWithTheOneTheRunKept) {
    const TempInstallFolder folder;
    LoopbackServer server(
        {Reply("HTTP/1.1 200 OK\r\n"
               "Set-Cookie: sid=abc123; Path=/; HttpOnly\r\n"
               "Set-Cookie: pref=dark; Max-Age=3600; Path=/app\r\n"
               "Set-Cookie: lang=en; Expires=Fri, 31-Dec-2100 23:59:59 GMT\r\n"
               "Set-Cookie: gone=x; Max-Age=0\r\n"
               "Content-Length: 2\r\nConnection: close\r\n\r\nok"),
         Reply(
             "HTTP/1.0 200 OK\r\nSet-Cookie: step=2\r\nSet-Cookie: lang=; Max-Age=0; Path=/\r\n\r\n"
             "page"),
         Reply("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")});
    RunCurl("-c '" + folder / "jar" + "' '" + server.Url("/login") + "'");

    const std::vector<std::string> log = RunWithCookieFile("jar", server.Url("/app/x"));
    EXPECT_THAT(log, ::testing::Contains("Cookie file " + folder / "jar" + ": 3 cookies read"));
    EXPECT_THAT(log, ::testing::Contains("Cookie file " + folder / "jar" + ": 3 cookies written"));
    EXPECT_EQ(PermissionsOf(folder / "jar"), 0600);
    RunCurl("-b '" + folder / "jar" + "' '" + server.Url("/app/y") + "'");

    ASSERT_EQ(server.Requests().size(), 3U);
    EXPECT_EQ(CookiesSent(server.Requests()[1]),
              (std::vector<std::string>{"lang=en", "pref=dark", "sid=abc123"}));
    EXPECT_EQ(CookiesSent(server.Requests()[2]),
              (std::vector<std::string>{"pref=dark", "sid=abc123", "step=2"}));
}

TEST(CookieFile, ARunThatCannotReadOrWriteItSaysSoAndLosesNothing) {
    const TempInstallFolder folder;
    WriteFile(folder / "page.html", "text");
    const std::string page = folder / "page.html";
    const struct {
        std::string jar;
        bool testRun;
        std::string line;
    } cases[] = {
        {folder.Path(), false,
         "ERROR: Cannot read cookie file " + folder.Path() + ": Is a directory"},
        {folder.Path(), false, "Cookie file left as it was: the run could not read it"},
        {"no/such/jar", false,
         "ERROR: Cannot write cookie file " + folder / "no/such/jar" +
             ": No such file or directory"},
        {"test-run-jar", true, "Cookie file " + folder / "test-run-jar" + ": 0 cookies read"},
    };
    for (const auto& [jar, testRun, line] : cases) {
        const std::vector<std::string> log = RunWithCookieFile(jar, page, testRun);
        EXPECT_THAT(log, ::testing::Contains(line)) << jar;
        EXPECT_THAT(log, ::testing::Contains("Agent completed.")) << jar;
        EXPECT_THAT(log, ::testing::Not(::testing::Contains(::testing::EndsWith(" written"))));
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "test-run-jar"));
}

}  // namespace
}  // namespace gleanwork::test
