#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "net/Transport.h"

namespace gleanwork::test {

// A transport without a network: each connection is served the next reply of
// a list (an empty one when the list is used up), handed over in chunks of a
// chosen size, and the bytes sent on each connection are recorded.
class ScriptedTransport final : public Transport {
public:
    std::unique_ptr<StreamSocket> OpenStream(const HttpLimits&) override;

    bool canOpen = true;
    std::deque<std::string> replies;
    std::size_t chunk = 1 << 20;
    bool failLast = false;              // a reply ends in a failed receive
    std::vector<std::string> requests;  // the bytes sent on each connection
    std::vector<int> sends;             // the sends that carried them
    std::string lastReply;              // the reply of the latest connection
};

class ScriptedStream final : public StreamSocket {
public:
    ScriptedStream(ScriptedTransport& transport, std::string reply)
        : transport_(transport), reply_(std::move(reply)) {}

    int Connect(std::span<const SocketAddress>) override { return 0; }
    void Send(std::string_view bytes) override {
        transport_.requests.back().append(bytes);
        ++transport_.sends.back();
    }

    std::ptrdiff_t Receive(std::span<char> buffer, int& error) override {
        if (buffer.empty()) {
            std::abort();  // a receive into no room could never end
        }
        if (at_ == reply_.size()) {
            error = ECONNRESET;
            return transport_.failLast ? -1 : 0;
        }
        const std::size_t count = std::min({buffer.size(), transport_.chunk, reply_.size() - at_});
        std::memcpy(buffer.data(), reply_.data() + at_, count);
        at_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }

private:
    ScriptedTransport& transport_;
    std::string reply_;
    std::size_t at_ = 0;
};

inline std::unique_ptr<StreamSocket> ScriptedTransport::OpenStream(const HttpLimits&) {
    if (!canOpen) {
        return nullptr;
    }
    lastReply.clear();
    if (!replies.empty()) {
        lastReply = std::move(replies.front());
        replies.pop_front();
    }
    requests.emplace_back();
    sends.push_back(0);
    return std::make_unique<ScriptedStream>(*this, lastReply);
}

}  // namespace gleanwork::test
