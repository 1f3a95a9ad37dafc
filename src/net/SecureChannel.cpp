#include "net/SecureChannel.h"

#include "net/ResponseHead.h"
#include "net/TlsStream.h"
#include "net/UrlSplit.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";
// A proxy's answer to CONNECT is a short head; a longer one is no answer.
constexpr std::size_t kLongestTunnelHead = std::size_t{64} << 10;

// Reads the proxy's answer up to the end of its head, one byte at a time so
// that nothing of the tunnel is taken with it. Returns its status line.
std::string ReadTunnelHead(StreamSocket& socket) {
    std::string head;
    char byte = 0;
    int error = 0;
    while (!head.ends_with(kHeadEnd) && head.size() < kLongestTunnelHead &&
           socket.Receive({&byte, 1}, error) == 1) {
        head.push_back(byte);
    }
    if (!head.ends_with(kHeadEnd)) {
        return {};
    }
    return head.substr(0, head.find("\r\n"));
}

// The proxy's refusal of a tunnel to the route's origin, or no failure.
SourceFailure OpenTunnel(StreamSocket& socket, const RequestRoute& route) {
    const std::string authority = HostField(route.originHost, route.originPort, 0);
    socket.Send("CONNECT " + authority + " HTTP/1.0\r\nHost: " + authority + "\r\n" +
                ProxyAuthorizationLine(route) + "\r\n");
    const std::string statusLine = ReadTunnelHead(socket);
    if (StatusCode(statusLine).starts_with('2')) {
        return {};
    }
    return {SourceFailureKind::TunnelRefused, "Proxy refused the tunnel to " + authority + ": " +
                                                  (statusLine.empty() ? "no answer" : statusLine)};
}

}  // namespace

SourceFailure OpenSecureChannel(std::unique_ptr<StreamSocket>& socket, const RequestRoute& route,
                                const HttpLimits& limits) {
    if (route.proxied) {
        SourceFailure refused = OpenTunnel(*socket, route);
        if (refused.Failed()) {
            socket.reset();
            return refused;
        }
    }
    std::string failure;
    socket = StartTls(std::move(socket), route.originHost, route.originPort, failure);
    if (socket) {
        return {};
    }
    // A handshake that a stop cut short is no failure of the server's.
    if (limits.Stopped()) {
        return {SourceFailureKind::Stopped, ""};
    }
    return {SourceFailureKind::Tls,
            "Secure connection to " + route.originHost + " failed: " + failure};
}

}  // namespace gleanwork
