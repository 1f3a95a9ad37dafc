#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <string>
#include <thread>

#include "storage/FileDescriptor.h"

namespace gleanwork::test {

// Answers one HTTP request on 127.0.0.1 with a fixed reply, on a thread of
// its own, so that a caller that blocks the user-interface thread while it
// fetches still gets its answer. Every wait is bounded: a server that nobody
// calls gives up after a few seconds.
class LocalHttpServer {
public:
    explicit LocalHttpServer(std::string reply) : reply_(std::move(reply)) {
        listener_.Reset(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener_.Get(), 1);
        ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LocalHttpServer() { Finish(); }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    unsigned Port() const { return port_; }

    // The request as received; waits until the server is done.
    const std::string& Request() {
        Finish();
        return request_;
    }

private:
    static constexpr int kWaitMs = 5000;

    static bool WaitReadable(int fd) {
        pollfd entry{fd, POLLIN, 0};
        return ::poll(&entry, 1, kWaitMs) == 1;
    }

    void Finish() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Serve() {
        if (!WaitReadable(listener_.Get())) {
            return;
        }
        const FileDescriptor connection(::accept(listener_.Get(), nullptr, nullptr));
        std::string chunk(4096, '\0');
        while (!HeadersComplete() && WaitReadable(connection.Get())) {
            const ssize_t got = ::recv(connection.Get(), chunk.data(), chunk.size(), 0);
            if (got <= 0) {
                break;
            }
            request_.append(chunk, 0, static_cast<std::size_t>(got));
        }
        std::size_t sent = 0;
        while (sent < reply_.size()) {
            const ssize_t put =
                ::send(connection.Get(), reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
            if (put <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(put);
        }
    }

    bool HeadersComplete() const {
        return request_.find("\n\n") != std::string::npos ||
               request_.find("\r\n\r\n") != std::string::npos;
    }

    std::string reply_;
    std::string request_;
    FileDescriptor listener_;
    unsigned port_ = 0;
    std::thread thread_;
};

}  // namespace gleanwork::test
