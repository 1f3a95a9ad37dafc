#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/FileDescriptor.h"

namespace gleanwork::test {

// What the server does on one connection once it has read the request.
struct ScriptedReply {
    enum class Ending {
        Close,  // close the connection after the last piece
        Reset,  // abort it, so that the client's next receive fails
        Hold,   // keep it open until the client closes it or the server stops
    };

    std::vector<std::string> pieces;     // sent in order, one send each
    std::chrono::milliseconds pause{0};  // between two pieces
    Ending ending = Ending::Close;
};

// "http://127.0.0.1:" and `port`, followed by `path`.
std::string LoopbackUrl(int port, std::string_view path = "/");

// A reply made of `text` sent whole, then closed.
inline ScriptedReply Reply(std::string text) {
    return {{std::move(text)}};
}

// A TCP server on a port of its own on 127.0.0.1 that answers one connection
// after another with the next scripted reply and records the bytes of each
// request (up to its blank line, and the body its Content-Length announces). Once the replies run
// out, further connections are closed at once.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<ScriptedReply> replies);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Replaces the replies still to come (for replies that name the server).
    void Script(std::vector<ScriptedReply> replies);
    int Port() const { return port_; }
    std::string Url(std::string_view path = "/") const { return LoopbackUrl(port_, path); }
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Answer(int connection, const ScriptedReply& reply);

    int port_ = 0;
    FileDescriptor listener_;
    mutable std::mutex mutex_;
    std::vector<ScriptedReply> replies_;
    std::vector<std::string> requests_;
    int connection_ = -1;  // the one being answered
    bool stopping_ = false;
    std::thread thread_;
};

// A port on 127.0.0.1 that refuses every connection while the object lives.
class RefusingPort {
public:
    RefusingPort();
    int Port() const { return port_; }
    std::string Url() const { return LoopbackUrl(port_); }

private:
    int port_ = 0;
    FileDescriptor socket_;
};

}  // namespace gleanwork::test
