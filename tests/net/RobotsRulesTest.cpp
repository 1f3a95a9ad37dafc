// What robots.txt files allow, and what a failed fetch of one means.
#include <gtest/gtest.h>

#include "net/RobotsRules.h"
#include "support/CaseFile.h"

namespace gleanwork::test {
namespace {

const CaseFile kRobotsCases = ReadCaseFile(GLEANWORK_TEST_DATA "/net/robots.txt",
                                           {"robots", "agent", "allowed", "refused", "delay"});

TEST(RobotsCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(kRobotsCases.errors, std::vector<std::string>());
}

class RobotsCase : public ::testing::TestWithParam<Case> {};

TEST_P(RobotsCase, AllowsAndRefusesItsPaths) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    const RobotsRules rules = RobotsRules::Parse(expected.Text("robots"), expected.Text("agent"));
    for (const std::string& path : expected.Lines("allowed")) {
        EXPECT_TRUE(rules.Allows(path)) << path;
    }
    for (const std::string& path : expected.Lines("refused")) {
        EXPECT_FALSE(rules.Allows(path)) << path;
    }
    const auto delay = rules.CrawlDelay();
    EXPECT_EQ(delay ? std::to_string(delay->count()) : "", expected.Text("delay"));
}

INSTANTIATE_TEST_SUITE_P(Cases, RobotsCase, ::testing::ValuesIn(kRobotsCases.cases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

TEST(RobotsRules, AFailedFetchAllowsAllOnlyWhenTheFileIsMissing) {
    const std::string_view file = "User-agent: *\nDisallow: /x\n";
    EXPECT_FALSE(RobotsRules::ForReply(200, file, "").Allows("/x"));
    EXPECT_TRUE(RobotsRules::ForReply(200, file, "").Allows("/y"));
    for (const int status : {301, 404, 410}) {
        EXPECT_TRUE(RobotsRules::ForReply(status, file, "").Allows("/x")) << status;
    }
    for (const int status : {0, 500, 503}) {
        EXPECT_FALSE(RobotsRules::ForReply(status, file, "").Allows("/y")) << status;
    }
}

TEST(RobotsRules, LivesAtTheRootOfItsOrigin) {
    EXPECT_EQ(RobotsTxtUrl("https://shop.test:8443/a/b?c"), "https://shop.test:8443/robots.txt");
    EXPECT_EQ(RobotsTxtUrl("https://shop.test:443"), "https://shop.test/robots.txt");
    EXPECT_EQ(RobotsTxtUrl("http://[::1]:8080/x"), "http://[::1]:8080/robots.txt");
}

}  // namespace
}  // namespace gleanwork::test
