#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "net/CookieDate.h"
#include "net/CookieJar.h"
#include "net/EnvironmentProxy.h"
#include "net/RequestRoute.h"
#include "net/RetryAfter.h"
#include "net/UrlResolve.h"
#include "net/UrlSplit.h"
#include "support/CheckedTable.h"

namespace gleanwork::test {
namespace {

// The rows of table `name` of tests/data/net/`file`, each of `fields` fields.
Table Rows(const std::string& file, const std::string& name, std::size_t fields) {
    return CheckedTable(GLEANWORK_TEST_DATA "/net/" + file, name, fields);
}

TEST(ResolveUrl, ResolvesReferencesAsRfc3986Does) {
    for (const auto& row : Rows("urls.txt", "resolve", 3)) {
        EXPECT_EQ(ResolveUrl(row.at(0), row.at(1)), row.at(2)) << row.at(0) << " " << row.at(1);
    }
}

TEST(HttpUrlSplit, TakesHostPortAndPathApart) {
    for (const auto& row : Rows("urls.txt", "split", 4)) {
        std::string host = "before";
        int port = 1234;
        EXPECT_EQ(SplitUrl(row.at(0), host, port), row.at(3)) << row.at(0);
        EXPECT_EQ(host, row.at(1)) << row.at(0);
        EXPECT_EQ(port, std::stoi(row.at(2))) << row.at(0);
    }
    EXPECT_EQ(ReadPort("  -12"), -12);
    EXPECT_EQ(ReadPort("letters"), 0);
}

TEST(RequestRouteTest, KnowsWhenTwoUrlsShareTheirOrigin) {
    const RouteSettings direct;
    for (const auto& row : Rows("urls.txt", "origin", 3)) {
        const bool same =
            SameOrigin(RouteRequest(direct, row.at(0)), RouteRequest(direct, row.at(1)));
        EXPECT_EQ(same ? "same" : "other", row.at(2)) << row.at(0) << " " << row.at(1);
    }
}

TEST(CookieJarTest, SendsCookiesWhereTheyBelong) {
    for (const auto& row : Rows("cookies.txt", "send", 4)) {
        SCOPED_TRACE(row.at(0) + " -> " + row.at(2));
        CookieJar jar;
        for (std::size_t at = 0; at <= row.at(1).size();) {
            const std::size_t end = std::min(row.at(1).find('|', at), row.at(1).size());
            jar.Store(row.at(1).substr(at, end - at), CookieOriginOf(row.at(0)));
            at = end + 1;
        }
        EXPECT_EQ(jar.HeaderFor(CookieOriginOf(row.at(2))), row.at(3));
    }
}

TEST(CookieJarTest, KeepsABoundedNumberOfCookies) {
    CookieJar jar;
    const CookieOrigin origin = CookieOriginOf("http://shop.test/");
    for (std::size_t i = 0; i <= CookieJar::kMostCookies; ++i) {
        jar.Store(std::string("c").append(std::to_string(i)).append("=1"), origin);
    }
    const std::string header = jar.HeaderFor(origin);
    EXPECT_EQ(header.find("c0="), std::string::npos);
    EXPECT_NE(header.find("; c1000=1"), std::string::npos);
}

TEST(CookieJarTest, ReadsDatesTheLenientWay) {
    for (const auto& row : Rows("cookies.txt", "dates", 2)) {
        const std::optional<std::time_t> time = ParseCookieDate(row.at(0));
        EXPECT_EQ(time ? std::to_string(*time) : "", row.at(1)) << row.at(0);
    }
}

// How a row of proxies.txt reads the proxy chosen.
std::string ProxyText(const EnvironmentProxy& proxy) {
    if (!proxy.problem.empty()) {
        return "refused by " + proxy.variable + ": " + proxy.problem;
    }
    if (!proxy.use) {
        return "direct";
    }
    const std::string credentials =
        proxy.user.empty() ? "" : " as " + proxy.user + ":" + proxy.password;
    return proxy.host + " " + std::to_string(proxy.port) + " from " + proxy.variable + credentials;
}

TEST(EnvironmentProxyTest, ChoosesTheProxyAsCurlDoes) {
    for (const auto& row : Rows("proxies.txt", "choose", 3)) {
        std::map<std::string, std::string> variables;
        for (std::size_t at = 0; at < row.at(1).size();) {
            const std::size_t end = std::min(row.at(1).find(" | ", at), row.at(1).size());
            const std::string setting = row.at(1).substr(at, end - at);
            variables[setting.substr(0, setting.find('='))] = setting.substr(setting.find('=') + 1);
            at = end + 3;
        }
        const auto environment = [&variables](const std::string& name) {
            const auto found = variables.find(name);
            return found == variables.end() ? std::nullopt : std::optional(found->second);
        };
        EXPECT_EQ(ProxyText(ProxyFromEnvironment(row.at(0), environment)), row.at(2))
            << row.at(0) << " " << row.at(1);
    }
}

TEST(RetryAfterTest, RetriesWhatTheServerAsksForWithinTheLimit) {
    const std::time_t received = 784111777;
    for (const auto& row : Rows("retry.txt", "decide", 6)) {
        const RetryDecision decision =
            DecideRetry(std::stoi(row.at(0)), row.at(1), std::stoi(row.at(2)), received,
                        std::chrono::seconds(120));
        EXPECT_EQ(decision.retry ? "yes" : "no", row.at(3)) << row.at(1);
        EXPECT_EQ(std::to_string(decision.wait.count()), row.at(4)) << row.at(1);
        EXPECT_EQ(decision.note, row.at(5)) << row.at(1);
    }
}

}  // namespace
}  // namespace gleanwork::test
