#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <netinet/in.h>

#include "net/Base64.h"
#include "net/HostResolver.h"
#include "net/ResponseHead.h"
#include "net/UrlSplit.h"
#include "storage/AgentDefinition.h"

namespace gleanwork::test {
namespace {

using ::testing::ElementsAre;

struct Split {
    std::string host = "before";
    int port = 1234;
    std::string path;
};

Split SplitOf(std::string_view url) {
    Split split;
    split.path = SplitUrl(url, split.host, split.port);
    return split;
}

TEST(HttpUrlSplit, TakesHostPortAndPathApart) {
    struct Case {
        std::string url, host;
        int port;
        std::string path;
    };
    // The port stays as it was (1234) when the URL names none.
    for (const Case& expected :
         {Case{"http://example.org:8080/a/b?x=1#f", "example.org", 8080, "/a/b?x=1#f"},
          Case{"http://example.org", "example.org", 1234, "/"},
          Case{"HTTP://h/p", "HTTP", 80, "//h/p"}, Case{"", "", 1234, "/"}}) {
        const Split split = SplitOf(expected.url);
        EXPECT_EQ(split.host, expected.host) << expected.url;
        EXPECT_EQ(split.port, expected.port) << expected.url;
        EXPECT_EQ(split.path, expected.path) << expected.url;
    }
}

TEST(HttpUrlSplit, EmptyZeroOrWordPortsGiveTheDefault) {
    EXPECT_EQ(SplitOf("http://h:/").port, 80);
    EXPECT_EQ(SplitOf("http://h:abc/").port, 80);
    EXPECT_EQ(SplitOf("http://h:0").port, 80);
    EXPECT_EQ(SplitOf("http://h:81x:9/").port, 81);
    EXPECT_EQ(SplitOf("http://h:99999999999999/").port, 2147483647);
    EXPECT_EQ(ReadPort("  -12"), -12);
    EXPECT_EQ(ReadPort("letters"), 0);
}

TEST(HttpBase64, EncodesEveryPaddingCase) {
    EXPECT_EQ(EncodeBase64(""), "");
    EXPECT_EQ(EncodeBase64("f"), "Zg==");
    EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
    EXPECT_EQ(EncodeBase64("foo"), "Zm9v");
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeBase64(std::string("\0\xff\xfe", 3)), "AP/+");
    EXPECT_EQ(EncodeBase64(std::string(300, 'x')).size(), 400U);
}

TEST(HttpResponseHead, ReadsCrLfLinesOnly) {
    std::string_view text = "first\r\nsecond\nthird";
    EXPECT_EQ(ReadHeaderLine(text), "first");
    EXPECT_EQ(text, "second\nthird");
    EXPECT_EQ(ReadHeaderLine(text), "");
    EXPECT_EQ(text, "second\nthird");
}

TEST(HttpResponseHead, FindsTheFirstNameInAnyCase) {
    const std::vector<std::string_view> lines = {"HTTP/1.0 302 Found", "Locatio: no",
                                                 "Location:x",         "location: first",
                                                 "Location: second",   "Empty:"};
    EXPECT_EQ(FindHeader("Location", lines), "");
    EXPECT_EQ(FindHeader("Missing", lines), "");
    EXPECT_EQ(FindHeader("Empty", lines), "");
    EXPECT_EQ(FindHeader("HTTP/1.0 302 Found", lines), "");
    const std::vector<std::string_view> spaced = {"Location: first", "Location: second"};
    EXPECT_EQ(FindHeader("Location", spaced), "first");
}

struct Parsed {
    bool redirect;
    std::string text;
    std::string redirectUrl;
};

Parsed Parse(std::string text) {
    const AgentDefinition agent;
    std::string redirectUrl = "old";
    SourceContext context{agent, nullptr, redirectUrl, {}};
    const bool redirect = ParseResponseHead(context, text);
    return {redirect, text, redirectUrl};
}

TEST(HttpResponseHead, RemovesTheHeadAndSpotsRedirects) {
    const Parsed ok = Parse("HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody\r\n\r\nrest");
    EXPECT_FALSE(ok.redirect);
    EXPECT_EQ(ok.text, "body\r\n\r\nrest");
    EXPECT_EQ(ok.redirectUrl, "old");

    const Parsed moved = Parse("HTTP/1.1 301 Moved\r\nLocation: http://h/n\r\n\r\n");
    EXPECT_TRUE(moved.redirect);
    EXPECT_EQ(moved.text, "");
    EXPECT_EQ(moved.redirectUrl, "http://h/n");

    const Parsed noLocation = Parse("X 3\r\n\r\nbody");
    EXPECT_TRUE(noLocation.redirect);
    EXPECT_EQ(noLocation.redirectUrl, "");

    EXPECT_FALSE(Parse("HTTP/1.0\r\n\r\nb").redirect);
    EXPECT_FALSE(Parse("HTTP/1.0  302\r\n\r\nb").redirect);
    EXPECT_EQ(Parse("\r\nbody").text, "body");
    EXPECT_EQ(Parse("no line end").text, "no line end");
}

TEST(HttpResolver, TakesDottedAddressesAndRefusesUnknownNames) {
    std::vector<SocketAddress> addresses;
    const auto first = [&addresses] {
        return *reinterpret_cast<const sockaddr_in*>(&addresses.at(0).storage);
    };
    EXPECT_EQ(ResolveHost(addresses, "127.0.0.1", 8080), 1);
    EXPECT_EQ(first().sin_family, AF_INET);
    EXPECT_EQ(ntohl(first().sin_addr.s_addr), 0x7F000001U);
    EXPECT_EQ(ntohs(first().sin_port), 8080);
    EXPECT_EQ(ResolveHost(addresses, "127.0.0.1", 65536), 1);
    EXPECT_EQ(first().sin_port, 0);
    auto& address = addresses;

    testing::internal::CaptureStderr();
    EXPECT_EQ(ResolveHost(address, "name.invalid", 80), 0);
    EXPECT_EQ(ResolveHost(address, std::string("127.0.0.1\0.invalid", 18), 80), 0);
    testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace gleanwork::test
