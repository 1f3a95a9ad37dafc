#include "net/TcpTransport.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "base/FileDescriptor.h"
#include "base/ReadyWait.h"

namespace gleanwork {

namespace {

// The errno value that stands for a wait that did not end ready.
int WaitError(WaitResult result) {
    switch (result) {
        case WaitResult::Stopped:
            return ECANCELED;
        case WaitResult::TimedOut:
            return ETIMEDOUT;
        default:
            return errno;
    }
}

// True for the errors of a connection that was made and then reset, as
// opposed to one that could not be made (refused, unreachable, timed out).
bool IsResetOfMadeConnection(int error) {
    return error == ECONNRESET || error == EPIPE;
}

// Once the connect has completed, a reset is a failed send or receive, as on
// a blocking socket: the stream keeps the first error of the connection, and
// a receive that then finds the connection ended reports that error instead
// of a clean close.
class TcpStream final : public StreamSocket {
public:
    TcpStream(FileDescriptor fd, const HttpLimits& limits) : fd_(std::move(fd)), limits_(limits) {}

    // Each address gets an equal share of the time left, so that one that
    // never answers leaves time for the next. A stop or the end of the
    // fetch's time ends the attempts.
    int Connect(std::span<const SocketAddress> addresses) override {
        const Clock::time_point deadline = limits_.WaitEnd(limits_.connect);
        int error = ECANCELED;  // only a stop leaves no address tried
        for (std::size_t at = 0; at < addresses.size() && !limits_.Stopped(); ++at) {
            const auto share =
                (deadline - Clock::now()) / static_cast<Clock::rep>(addresses.size() - at);
            error = ConnectTo(addresses[at], Clock::now() + share, at > 0);
            if (error == 0) {
                return 0;
            }
        }
        return error;
    }

    void Send(std::string_view bytes) override {
        while (!bytes.empty() && connectionError_ == 0) {
            const ssize_t sent = ::send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(sent));
            } else if (sent < 0 && errno == EINTR) {
                continue;
            } else if (sent < 0 && errno == EAGAIN &&
                       WaitReady(fd_.Get(), POLLOUT, limits_.WaitEnd(limits_.receive),
                                 limits_.stop) == WaitResult::Ready) {
                continue;
            } else {
                connectionError_ = sent < 0 && errno != EAGAIN ? errno : ETIMEDOUT;
            }
        }
    }

    std::ptrdiff_t Receive(std::span<char> buffer, int& error) override {
        const auto deadline = limits_.WaitEnd(limits_.receive);
        for (;;) {
            const ssize_t received = ::recv(fd_.Get(), buffer.data(), buffer.size(), 0);
            if (received == 0 && connectionError_ != 0) {
                error = connectionError_;
                return -1;
            }
            if (received >= 0) {
                return received;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN) {
                error = errno;
                return -1;
            }
            if (const WaitResult waited = WaitReady(fd_.Get(), POLLIN, deadline, limits_.stop);
                waited != WaitResult::Ready) {
                error = WaitError(waited);
                return -1;
            }
        }
    }

private:
    using Clock = HttpLimits::Clock;

    // Connects to `address` on the socket made when the stream opened, or on
    // a new one after an attempt that failed or for another family. Returns
    // 0 or the errno value of the failure.
    int ConnectTo(const SocketAddress& address, Clock::time_point deadline, bool fresh) {
        if (fresh || family_ != address.Family()) {
            family_ = address.Family();
            fd_.Reset(::socket(family_, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            if (!fd_.IsOpen()) {
                return errno;
            }
        }
        SendAtOnce();
        if (::connect(fd_.Get(), address.Get(), address.size) == 0) {
            return 0;
        }
        if (errno != EINPROGRESS) {
            return errno;
        }
        if (const WaitResult waited = WaitReady(fd_.Get(), POLLOUT, deadline, limits_.stop);
            waited != WaitResult::Ready) {
            return WaitError(waited);
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd_.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            return errno;
        }
        if (IsResetOfMadeConnection(error)) {
            connectionError_ = error;
            return 0;
        }
        return error;
    }

    // Every send is a whole message (the request, or a piece of the TLS
    // handshake): none waits for the acknowledgement of the one before.
    void SendAtOnce() {
        const int on = 1;
        ::setsockopt(fd_.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }

    FileDescriptor fd_;
    HttpLimits limits_;
    int family_ = AF_INET;
    int connectionError_ = 0;
};

}  // namespace

std::unique_ptr<StreamSocket> TcpTransport::OpenStream(const HttpLimits& limits) {
    FileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.IsOpen()) {
        return nullptr;
    }
    return std::make_unique<TcpStream>(std::move(fd), limits);
}

}  // namespace gleanwork
