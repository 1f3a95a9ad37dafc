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

// A reply made of `text` sent whole, then closed.
ScriptedReply Reply(std::string text);

// A TCP server on 127.0.0.1, on a port of its own, that answers one
// connection after another with the next scripted reply and records the
// exact bytes of each request (up to and including its blank line). Once the
// replies run out, further connections are closed at once.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<ScriptedReply> replies);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Replaces the replies still to come (for replies that name the server).
    void Script(std::vector<ScriptedReply> replies);

    int Port() const { return port_; }
    // "http://127.0.0.1:" and the port, followed by `path`.
    std::string Url(std::string_view path = "/") const;
    // The requests read so far, in order.
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Answer(int connection, const ScriptedReply& reply);
    std::string ReadRequest(int connection) const;
    bool WaitReadable(int fd) const;

    std::vector<ScriptedReply> replies_;
    FileDescriptor listener_;
    FileDescriptor wakeRead_;
    FileDescriptor wakeWrite_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 that takes no connection: one waits in its queue, and
// a further one is never answered, so that connecting hangs.
class FullListener {
public:
    FullListener();
    int Port() const { return port_; }

private:
    FileDescriptor socket_;
    FileDescriptor queued_;
    int port_ = 0;
};

// A port on 127.0.0.1 that refuses every connection, for as long as the
// object lives.
class RefusingPort {
public:
    RefusingPort();
    int Port() const { return port_; }

private:
    FileDescriptor socket_;
    int port_ = 0;
};

}  // namespace gleanwork::test
