#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "base/FileDescriptor.h"
#include "net/TcpTransport.h"

namespace gleanwork::test {
namespace {

// A peer that aborts the connection as soon as it takes it, before the
// request is sent: a failed receive, not a failed connect nor an empty reply.
TEST(TcpTransport, ResetRightAfterConnectIsAFailedReceive) {
    const FileDescriptor listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    ASSERT_EQ(::bind(listener.Get(), generic, size), 0);
    ASSERT_EQ(::listen(listener.Get(), 1), 0);
    ASSERT_EQ(::getsockname(listener.Get(), generic, &size), 0);
    TcpTransport transport;
    const auto stream = transport.OpenStream(HttpLimits{});
    SocketAddress target;
    std::memcpy(&target.storage, &address, sizeof address);
    target.size = sizeof address;
    ASSERT_TRUE(stream && stream->Connect({&target, 1}));

    FileDescriptor peer(::accept(listener.Get(), nullptr, nullptr));
    const linger abort{1, 0};
    ASSERT_EQ(::setsockopt(peer.Get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
    peer.Reset();
    stream->Send("GET / HTTP/1.0\n\n");
    std::array<char, 64> buffer{};
    int error = 0;
    EXPECT_EQ(stream->Receive(buffer, error), -1);
    EXPECT_EQ(error, ECONNRESET);
}

}  // namespace
}  // namespace gleanwork::test
