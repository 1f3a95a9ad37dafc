#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "net/HttpLimits.h"

namespace gleanwork {

// One address of a host: IPv4 or IPv6, with its port.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t size = 0;

    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&storage); }
    int Family() const { return storage.ss_family; }
};

// One stream connection as the HTTP client uses it: connect once, send the
// request, receive until the peer closes.
class StreamSocket {
public:
    virtual ~StreamSocket() = default;

    // Connects to the first of `addresses` that takes the connection, trying
    // each in turn. Returns 0, or when none was reached in time the errno
    // value of the last attempt (ECONNREFUSED, ETIMEDOUT, ECANCELED for a
    // stop, ...).
    virtual int Connect(std::span<const SocketAddress> addresses) = 0;

    // Sends `bytes`, as many as the peer takes; a failure is not reported.
    virtual void Send(std::string_view bytes) = 0;

    // Receives at most `buffer.size()` bytes. Returns how many arrived, 0 when
    // the peer closed the connection, or -1 with `error` set when the receive
    // failed or nothing arrived in time.
    virtual std::ptrdiff_t Receive(std::span<char> buffer, int& error) = 0;
};

// Makes the stream connections of one fetch. Tests and fuzzers put their own
// in place of the system's sockets.
class Transport {
public:
    virtual ~Transport() = default;

    // A new, unconnected stream that keeps to `limits`; none when no socket
    // can be created.
    virtual std::unique_ptr<StreamSocket> OpenStream(const HttpLimits& limits) = 0;
};

}  // namespace gleanwork
