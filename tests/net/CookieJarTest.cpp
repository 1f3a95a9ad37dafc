#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "net/CookieDate.h"
#include "net/CookieJar.h"
#include "support/CaseFile.h"

namespace gleanwork {
namespace {

TEST(CookieJarTest, SendsCookiesWhereTheyBelong) {
    std::vector<std::string> errors;
    const test::Table rows =
        test::ReadTable(GLEANWORK_TEST_DATA "/net/cookies.txt", "send", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 4U) << row.front();
        SCOPED_TRACE(row[0] + " -> " + row[2]);
        CookieJar jar;
        for (std::size_t at = 0; at <= row[1].size();) {
            const std::size_t end = std::min(row[1].find('|', at), row[1].size());
            jar.Store(row[1].substr(at, end - at), CookieOriginOf(row[0]));
            at = end + 1;
        }
        EXPECT_EQ(jar.HeaderFor(CookieOriginOf(row[2])), row[3]);
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
