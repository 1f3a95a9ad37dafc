#include "net/LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <stdexcept>

namespace gleanwork::test {

namespace {

constexpr std::size_t kLongestRequest = std::size_t{64} << 20;

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A TCP socket bound to a free port of 127.0.0.1; sets `port`.
FileDescriptor BindLoopback(int& port) {
    FileDescriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address = LoopbackAddress(0);
    socklen_t size = sizeof address;
    if (!fd.IsOpen() || ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("cannot bind a loopback socket");
    }
    port = ntohs(address.sin_port);
    return fd;
}

void SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

}  // namespace

ScriptedReply Reply(std::string text) {
    return ScriptedReply{{std::move(text)}};
}

LoopbackServer::LoopbackServer(std::vector<ScriptedReply> replies) : replies_(std::move(replies)) {
    listener_ = BindLoopback(port_);
    int pipeEnds[2];
    if (::listen(listener_.Get(), 16) != 0 || ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot start the loopback server");
    }
    wakeRead_.Reset(pipeEnds[0]);
    wakeWrite_.Reset(pipeEnds[1]);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    const char stop = 's';
    static_cast<void>(::write(wakeWrite_.Get(), &stop, 1));
    thread_.join();
}

std::string LoopbackServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void LoopbackServer::Script(std::vector<ScriptedReply> replies) {
    const std::lock_guard lock(mutex_);
    replies_ = std::move(replies);
}

std::vector<std::string> LoopbackServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

// Waits until `fd` can be read; false when the server is asked to stop.
bool LoopbackServer::WaitReadable(int fd) const {
    pollfd entries[2] = {{fd, POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
    while (::poll(entries, 2, -1) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return (entries[1].revents & POLLIN) == 0;
}

void LoopbackServer::Serve() {
    for (;;) {
        if (!WaitReadable(listener_.Get())) {
            return;
        }
        const FileDescriptor connection(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        std::optional<ScriptedReply> reply;
        {
            const std::lock_guard lock(mutex_);
            if (!replies_.empty()) {
                reply = std::move(replies_.front());
                replies_.erase(replies_.begin());
            }
        }
        if (connection.IsOpen() && reply) {
            Answer(connection.Get(), *reply);
        }
    }
}

std::string LoopbackServer::ReadRequest(int connection) const {
    std::string request;
    char buffer[4096];
    while (request.find("\n\n") == std::string::npos &&
           request.find("\r\n\r\n") == std::string::npos && request.size() < kLongestRequest &&
           WaitReadable(connection)) {
        const ssize_t received = ::recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(received));
    }
    return request;
}

void LoopbackServer::Answer(int connection, const ScriptedReply& reply) {
    std::string request = ReadRequest(connection);
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    for (std::size_t at = 0; at < reply.pieces.size(); ++at) {
        if (at > 0 && reply.pause.count() > 0) {
            std::this_thread::sleep_for(reply.pause);
        }
        SendAll(connection, reply.pieces[at]);
    }
    if (reply.ending == ScriptedReply::Ending::Reset) {
        const linger abort{1, 0};
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else if (reply.ending == ScriptedReply::Ending::Hold) {
        char buffer[4096];
        while (WaitReadable(connection) && ::recv(connection, buffer, sizeof buffer, 0) > 0) {
        }
    }
}

RefusingPort::RefusingPort() {
    socket_ = BindLoopback(port_);
}

FullListener::FullListener() {
    socket_ = BindLoopback(port_);
    queued_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = LoopbackAddress(port_);
    if (::listen(socket_.Get(), 0) != 0 ||
        ::connect(queued_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0) {
        throw std::runtime_error("cannot fill a loopback listener");
    }
}

}  // namespace gleanwork::test
