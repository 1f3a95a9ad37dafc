#include <gtest/gtest.h>

#include <string>

#include "net/UrlResolve.h"

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

}  // namespace
}  // namespace gleanwork::test
