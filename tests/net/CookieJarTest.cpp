// Which cookies go back where: each row stores Set-Cookie values received
// from one address and asks for the Cookie header of a request to another.

#include <gtest/gtest.h>

#include <vector>

#include "net/CookieDate.h"
#include "net/CookieJar.h"

namespace gleanwork {
namespace {

struct CookieCase {
    std::string_view from;
    std::vector<std::string_view> setCookies;
    std::string_view to;
    std::string_view header;
};

TEST(CookieJarTest, SendsCookiesWhereTheyBelong) {
    const CookieCase cases[] = {
        {"http://shop.test/a/list", {"s=1"}, "http://shop.test/a/item?x=1", "s=1"},
        {"http://shop.test/a/list", {"s=1"}, "http://shop.test/b", ""},
        {"http://shop.test/a/list", {"s=1"}, "http://www.shop.test/a/", ""},
        {"http://shop.test/", {"s=1; Domain=.Shop.Test"}, "http://www.shop.test/", "s=1"},
        {"http://shop.test/", {"s=1; Domain=other.test"}, "http://other.test/", ""},
        {"http://shop.test/", {"s=1; Path=/ab"}, "http://shop.test/abc", ""},
        {"http://shop.test/", {"s=1; Path=/ab"}, "http://shop.test/ab/c", "s=1"},
        {"http://shop.test/", {"s=1; Secure"}, "http://shop.test/", ""},
        {"http://shop.test/", {"s=1; Secure"}, "https://shop.test/", "s=1"},
        {"http://SHOP.test:8080/", {" a = b ; HttpOnly"}, "http://shop.test/", "a=b"},
        {"http://shop.test/", {"a=1", "b=2; Path=/x", "a=3"}, "http://shop.test/x/y", "b=2; a=3"},
        {"http://shop.test/", {"a=1", "a=; Max-Age=0"}, "http://shop.test/", ""},
        {"http://shop.test/",
         {"a=1", "a=2; Expires=Thu, 01 Jan 1970 00:00:01 GMT"},
         "http://shop.test/",
         ""},
        {"http://shop.test/",
         {"a=1; Expires=Fri, 31-Dec-2199 23:59:59 GMT"},
         "http://shop.test/",
         "a=1"},
        {"http://shop.test/", {"novalue", "=x", ""}, "http://shop.test/", ""},
        {"http://10.0.0.1/", {"a=1; Domain=0.0.1"}, "http://10.0.0.1/", ""},
    };
    for (const CookieCase& row : cases) {
        SCOPED_TRACE(std::string(row.from) + " -> " + std::string(row.to));
        CookieJar jar;
        for (const std::string_view setCookie : row.setCookies) {
            jar.Store(setCookie, CookieOriginOf(row.from));
        }
        EXPECT_EQ(jar.HeaderFor(CookieOriginOf(row.to)), row.header);
    }
}

TEST(CookieJarTest, KeepsABoundedNumberOfCookies) {
    CookieJar jar;
    const CookieOrigin origin = CookieOriginOf("http://shop.test/");
    for (std::size_t i = 0; i <= CookieJar::kMostCookies; ++i) {
        jar.Store("c" + std::to_string(i) + "=1", origin);
    }
    const std::string header = jar.HeaderFor(origin);
    EXPECT_EQ(header.find("c0="), std::string::npos);
    EXPECT_NE(header.find("; c1000=1"), std::string::npos);
}

TEST(CookieJarTest, ReadsDatesTheLenientWay) {
    EXPECT_EQ(ParseCookieDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
    EXPECT_EQ(ParseCookieDate("Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
    EXPECT_EQ(ParseCookieDate("Sun Nov  6 08:49:37 1994"), 784111777);
    EXPECT_EQ(ParseCookieDate("Sun, 32 Nov 1994 08:49:37 GMT"), std::nullopt);
    EXPECT_EQ(ParseCookieDate("Sun, 06 Nov 1994"), std::nullopt);
}

}  // namespace
}  // namespace gleanwork
