#include <gtest/gtest.h>

#include <string>

#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "net/UrlResolve.h"
#include "support/ScriptedTransport.h"

namespace gleanwork::test {
namespace {

// The examples of RFC 3986, section 5.4, and relative file paths.
TEST(ResolveUrl, ResolvesReferencesAsRfc3986Does) {
    const char* const base = "http://a/b/c/d;p?q";
    const struct {
        const char* reference;
        const char* resolved;
    } cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {";x", "http://a/b/c/;x"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../g", "http://a/g"},
        {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"HTTP://H/./x", "HTTP://H/x"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(ResolveUrl(base, row.reference), row.resolved) << row.reference;
    }
    EXPECT_EQ(ResolveUrl("http://h", "p.html"), "http://h/p.html");
    EXPECT_EQ(ResolveUrl("pages/a.html", "b.html"), "pages/b.html");
    EXPECT_EQ(ResolveUrl("/srv/site/a.html", "../img/x.png"), "/srv/img/x.png");
    EXPECT_EQ(ResolveUrl("/srv/a.html", "https://h/x"), "https://h/x");
}

TEST(HttpClient, RelativeLocationsResolveAgainstTheCurrentUrl) {
    const struct {
        std::string location;
        std::string target;
    } cases[] = {
        {"/next", "/next"},
        {"page2.html", "/dir/page2.html"},
        {"//127.0.0.1:{port}/x", "/x"},
        {"?q=1", "/dir/a?q=1"},
        {"../up", "/up"},
    };
    for (const auto& row : cases) {
        LoopbackServer server({});
        std::string location = row.location;
        if (const std::size_t at = location.find("{port}"); at != std::string::npos) {
            location.replace(at, 6, std::to_string(server.Port()));
        }
        server.Script({Reply("HTTP/1.0 302 Found\r\nlocation: " + location + "\r\n\r\n"),
                       Reply("HTTP/1.0 200 OK\r\n\r\n")});
        Fetch fetch(server.Url("/dir/a"));
        EXPECT_EQ(fetch.Run(), 0);
        EXPECT_EQ(fetch.redirectUrl, server.Url(row.target));
        EXPECT_EQ(fetch.log.lines.back(), "Accessing URL - " + row.target);
    }
}

// The Host line names the origin, in brackets for IPv6, with its port unless
// that is the scheme's; through a proxy too.
TEST(HttpClient, HostLineNamesTheOrigin) {
    const struct {
        std::string url;
        std::string proxy;
        std::string hostLine;
    } cases[] = {
        {"http://127.0.0.1:8080/", "", "Host: 127.0.0.1:8080\r\n"},
        {"http://[::1]:80/", "", "Host: [::1]\r\n"},
        {"http://origin.invalid:81/x", "127.0.0.1", "Host: origin.invalid:81\r\n"},
        {"http://origin.invalid/x", "127.0.0.1", "Host: origin.invalid\r\n"},
    };
    for (const auto& row : cases) {
        ScriptedTransport transport;
        Fetch fetch(row.url);
        fetch.agent.HOST = row.proxy;
        fetch.Run(transport);
        ASSERT_GE(transport.sends.size(), 2U);
        EXPECT_EQ(transport.sends[1], row.hostLine);
    }
}

}  // namespace
}  // namespace gleanwork::test
