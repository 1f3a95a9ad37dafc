#include <gtest/gtest.h>
#include <netinet/in.h>

#include "net/HostResolver.h"
#include "net/UrlSplit.h"

namespace gleanwork::test {
namespace {

TEST(HttpUrlSplit, TakesHostPortAndPathApart) {
    struct Case {
        std::string url, host;
        int port;  // stays 1234 when the URL names none
        std::string path;
    };
    for (const Case& expected :
         {Case{"http://example.org:8080/a?x=1#f", "example.org", 8080, "/a?x=1#f"},
          Case{"http://example.org", "example.org", 1234, "/"},
          Case{"HTTP://h/p", "HTTP", 80, "//h/p"}, Case{"", "", 1234, "/"},
          Case{"http://h:/", "h", 80, "/"}, Case{"http://h:abc/", "h", 80, "/"},
          Case{"http://h:0", "h", 80, "/"}, Case{"http://h:81x:9/", "h", 81, "/"},
          Case{"http://h:99999999999999/", "h", 2147483647, "/"}}) {
        std::string host = "before";
        int port = 1234;
        EXPECT_EQ(SplitUrl(expected.url, host, port), expected.path) << expected.url;
        EXPECT_EQ(host, expected.host) << expected.url;
        EXPECT_EQ(port, expected.port) << expected.url;
    }
    EXPECT_EQ(ReadPort("  -12"), -12);
    EXPECT_EQ(ReadPort("letters"), 0);
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
    testing::internal::CaptureStderr();
    EXPECT_EQ(ResolveHost(addresses, std::string("127.0.0.1\0.invalid", 18), 80), 0);
    testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace gleanwork::test
