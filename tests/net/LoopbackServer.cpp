#include "net/LoopbackServer.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace gleanwork::test {

namespace {

// A TCP socket bound to a free port of 127.0.0.1, listening with `backlog`
// unless it is negative; sets `port`.
FileDescriptor BindLoopback(int& port, int backlog) {
    FileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (!fd.IsOpen() || ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        (backlog >= 0 && ::listen(fd.Get(), backlog) != 0)) {
        throw std::runtime_error("cannot bind a loopback socket");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Whether `request` holds its head and as much body as its Content-Length
// announces.
bool WholeRequest(const std::string& request) {
    const std::size_t crlf = request.find("\r\n\r\n");
    const std::size_t lf = request.find("\n\n");
    if (crlf == std::string::npos && lf == std::string::npos) {
        return false;
    }
    const std::size_t body = crlf != std::string::npos ? crlf + 4 : lf + 2;
    const std::string field = "\r\nContent-Length: ";
    const std::size_t length = request.find(field);
    return length >= body ||
           request.size() >= body + std::stoul(request.substr(length + field.size()));
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<ScriptedReply> replies)
    : listener_(BindLoopback(port_, 16)), replies_(std::move(replies)) {
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        ::shutdown(connection_, SHUT_RDWR);
    }
    ::shutdown(listener_.Get(), SHUT_RDWR);  // wakes the accept
    thread_.join();
}

std::string LoopbackUrl(int port, std::string_view path) {
    return "http://127.0.0.1:" + std::to_string(port) + std::string(path);
}

void LoopbackServer::Script(std::vector<ScriptedReply> replies) {
    const std::lock_guard lock(mutex_);
    replies_ = std::move(replies);
}

std::vector<std::string> LoopbackServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackServer::Serve() {
    for (;;) {
        FileDescriptor connection(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        std::optional<ScriptedReply> reply;
        {
            const std::lock_guard lock(mutex_);
            if (stopping_ || !connection.IsOpen()) {
                return;
            }
            connection_ = connection.Get();
            if (!replies_.empty()) {
                reply = std::move(replies_.front());
                replies_.erase(replies_.begin());
            }
        }
        if (reply) {
            Answer(connection.Get(), *reply);
        }
        const std::lock_guard lock(mutex_);
        connection_ = -1;
    }
}

void LoopbackServer::Answer(int connection, const ScriptedReply& reply) {
    std::string request;
    std::vector<char> buffer(1 << 16);
    for (ssize_t got = 1; got > 0 && !WholeRequest(request);) {
        got = ::recv(connection, buffer.data(), buffer.size(), 0);
        request.append(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    for (const std::string& piece : reply.pieces) {
        std::this_thread::sleep_for(&piece == &reply.pieces.front() ? std::chrono::milliseconds(0)
                                                                    : reply.pause);
        ::send(connection, piece.data(), piece.size(), MSG_NOSIGNAL);
    }
    if (reply.ending == ScriptedReply::Ending::Reset) {
        const linger abort{1, 0};
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    while (reply.ending == ScriptedReply::Ending::Hold &&
           ::recv(connection, buffer.data(), buffer.size(), 0) > 0) {
    }
}

RefusingPort::RefusingPort() : socket_(BindLoopback(port_, -1)) {}

}  // namespace gleanwork::test
