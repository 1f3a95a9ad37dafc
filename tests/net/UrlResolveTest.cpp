#include <gtest/gtest.h>

#include <string>

#include "net/FetchFixture.h"
#include "net/UrlResolve.h"
#include "support/ScriptedTransport.h"

namespace gleanwork::test {
namespace {

// The examples of RFC 3986, section 5.4, and relative file paths.
TEST(ResolveUrl, ResolvesReferencesAsRfc3986Does) {
    const char* const base = "http://a/b/c/d;p?q";
    // clang-format off
    const struct { const char* reference; const char* resolved; } cases[] = {
        {"g:h", "g:h"}, {"g", "http://a/b/c/g"}, {"./g", "http://a/b/c/g"}, {"/g", "http://a/g"},
        {"//g", "http://g"}, {"?y", "http://a/b/c/d;p?y"}, {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"}, {"", "http://a/b/c/d;p?q"}, {".", "http://a/b/c/"},
        {"../..", "http://a/"}, {"../../../g", "http://a/g"}, {"/./g", "http://a/g"},
        {"/../g", "http://a/g"}, {"g.", "http://a/b/c/g."}, {"..g", "http://a/b/c/..g"},
        {"g/../h", "http://a/b/c/h"}, {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"HTTP://H/./x", "HTTP://H/x"},
    };
    // clang-format on
    for (const auto& row : cases) {
        EXPECT_EQ(ResolveUrl(base, row.reference), row.resolved) << row.reference;
    }
    EXPECT_EQ(ResolveUrl("http://h", "p.html"), "http://h/p.html");
    EXPECT_EQ(ResolveUrl("pages/a.html", "b.html"), "pages/b.html");
    EXPECT_EQ(ResolveUrl("/srv/site/a.html", "../img/x.png"), "/srv/img/x.png");
    EXPECT_EQ(ResolveUrl("/srv/a.html", "https://h/x"), "https://h/x");
}

// Each request names its origin in its Host line (in brackets for IPv6, the
// port only when it is not the scheme's); a relative location, in any case of
// the header name, resolves against the URL of the reply.
TEST(HttpClient, ResolvesLocationsAndNamesTheOrigin) {
    // clang-format off
    const struct { std::string url, proxy, location, request; } cases[] = {
        {"http://127.0.0.1/d/a", "", "/next", "GET /next HTTP/1.0\r\nHost: 127.0.0.1\r\n"},
        {"http://127.0.0.1:8080/d/a", "", "b.html", "GET /d/b.html HTTP/1.0\r\nHost: 127.0.0.1:8080\r\n"},
        {"http://127.0.0.1/d/a", "", "//[::1]:81/x", "GET /x HTTP/1.0\r\nHost: [::1]:81\r\n"},
        {"http://127.0.0.1/d/a", "", "?q=1", "GET /d/a?q=1 HTTP/1.0\r\nHost: 127.0.0.1\r\n"},
        {"http://127.0.0.1/d/a", "", "../up", "GET /up HTTP/1.0\r\nHost: 127.0.0.1\r\n"},
        {"http://o.invalid:81/d/a", "127.0.0.1", "b", "GET http://o.invalid:81/d/b HTTP/1.0\r\nHost: o.invalid:81\r\n"},
    };
    // clang-format on
    for (const auto& row : cases) {
        ScriptedTransport transport;
        transport.replies = {"HTTP/1.0 302 Found\r\nlocation: " + row.location + "\r\n\r\n"};
        Fetch fetch(row.url);
        fetch.agent.HOST = row.proxy;
        EXPECT_EQ(fetch.Run(transport), 0);
        ASSERT_EQ(transport.requests.size(), 2U);
        EXPECT_TRUE(transport.requests[1].starts_with(row.request)) << transport.requests[1];
    }
}

}  // namespace
}  // namespace gleanwork::test
