#include <gtest/gtest.h>
#include <netinet/in.h>

#include "net/HostResolver.h"

namespace gleanwork::test {
namespace {

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
