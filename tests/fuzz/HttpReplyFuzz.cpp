// Arbitrary reply bytes through the HTTP client. The reply parts alone:
// ReadHeaderLine, FindHeader and ParseResponseHead over the input. Then whole
// fetches through a transport that serves the input: its first byte chooses
// how many bytes each receive takes (a power of two up to 2^15, or 2^20) and
// whether the reply ends in a failed receive; the rest holds the replies of successive connections,
// separated by kNextReply. The agent names a proxy by its address, so a
// redirect target never leads to a name lookup.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "net/HttpClient.h"
#include "net/ResponseHead.h"

namespace gleanwork::fuzz {

namespace {

constexpr std::string_view kNextReply = "\n#NEXT#\n";
constexpr int kMostAttempts = 5;

// True when `part` lies inside `whole` (a view into it).
bool IsViewInto(std::string_view part, std::string_view whole) {
    return part.empty() ||
           (std::less_equal<>()(whole.data(), part.data()) &&
            std::less_equal<>()(part.data() + part.size(), whole.data() + whole.size()));
}

void CheckReplyParts(std::string_view reply) {
    std::string_view rest = reply;
    std::vector<std::string_view> lines;
    std::string rebuilt;
    for (std::string_view line = ReadHeaderLine(rest); !line.empty(); line = ReadHeaderLine(rest)) {
        FUZZ_CHECK(line.find("\r\n") == std::string_view::npos);
        lines.push_back(line);
        rebuilt.append(line).append("\r\n");
    }
    FUZZ_CHECK(reply.starts_with(rebuilt));
    for (const std::string_view name : {"Location", "", "Content-Type"}) {
        const std::string_view value = FindHeader(name, lines);
        FUZZ_CHECK(value.empty() || std::any_of(lines.begin(), lines.end(), [&](auto line) {
                       return IsViewInto(value, line);
                   }));
    }

    AgentDefinition agent;
    std::string redirect = "unchanged";
    SourceContext context{agent, nullptr, redirect, HttpLimits()};
    std::string body(reply);
    const bool isRedirect = ParseResponseHead(context, body);
    FUZZ_CHECK(reply.ends_with(body) && body.size() <= reply.size());
    FUZZ_CHECK(isRedirect ? reply.find(redirect) != std::string_view::npos
                          : redirect == "unchanged");
}

struct ServedReplies {
    std::deque<std::string> replies;
    std::size_t chunk = 1;
    bool failLast = false;  // the last receive fails instead of seeing the end
    int opened = 0;
    std::string lastReply;
    std::vector<std::string> requests;
};

class ServedStream final : public StreamSocket {
public:
    ServedStream(ServedReplies& served, std::string reply)
        : served_(served), reply_(std::move(reply)) {}

    bool Connect(const sockaddr_in&) override { return true; }
    void Send(std::string_view bytes) override { served_.requests.back().append(bytes); }
    std::ptrdiff_t Receive(std::span<char> buffer, int& error) override {
        FUZZ_CHECK(!buffer.empty());
        if (at_ == reply_.size()) {
            error = 104;
            return served_.failLast ? -1 : 0;
        }
        const std::size_t count = std::min({buffer.size(), served_.chunk, reply_.size() - at_});
        std::memcpy(buffer.data(), reply_.data() + at_, count);
        at_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }

private:
    ServedReplies& served_;
    std::string reply_;
    std::size_t at_ = 0;
};

class ServingTransport final : public Transport {
public:
    explicit ServingTransport(ServedReplies& served) : served_(served) {}

    std::unique_ptr<StreamSocket> OpenStream(const HttpLimits&) override {
        ++served_.opened;
        served_.lastReply.clear();
        if (!served_.replies.empty()) {
            served_.lastReply = std::move(served_.replies.front());
            served_.replies.pop_front();
        }
        served_.requests.emplace_back();
        return std::make_unique<ServedStream>(served_, served_.lastReply);
    }

private:
    ServedReplies& served_;
};

ServedReplies ReadReplies(std::string_view input) {
    ServedReplies served;
    if (input.empty()) {
        return served;
    }
    const auto control = static_cast<unsigned char>(input.front());
    served.chunk = std::size_t{1} << (control & 0x80 ? 20 : control & 0x0F);
    served.failLast = (control & 0x40) != 0;
    input.remove_prefix(1);
    for (;;) {
        const std::size_t end = input.find(kNextReply);
        served.replies.emplace_back(input.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        input.remove_prefix(end + kNextReply.size());
    }
    return served;
}

// A request is its lines, each ended by a bare line feed, and an empty line.
void CheckRequest(std::string_view request) {
    const std::string_view firstLine = request.substr(0, request.find('\n'));
    FUZZ_CHECK(firstLine.starts_with("GET ") && firstLine.ends_with(" HTTP/1.0"));
    FUZZ_CHECK(request.ends_with("\n\n"));
    const auto lines = std::count(request.begin(), request.end(), '\n');
    FUZZ_CHECK(lines == 4);  // request, authorization, user agent, end
    FUZZ_CHECK(request.find('\r') == std::string_view::npos);
}

void CheckFetch(std::string_view input) {
    ServedReplies served = ReadReplies(input);
    ServingTransport transport(served);
    AgentDefinition agent;
    agent.HOST = "127.0.0.1";
    agent.PORT = "8080";
    agent.URL = "http://fuzz.invalid/start";
    agent.WEBUSER = "user";
    agent.WEBPASS = "pass";
    std::string redirect;
    HttpLimits limits;
    limits.receiveChunk = served.chunk;
    SourceContext context{agent, nullptr, redirect, limits};
    std::string text = "old text";

    const std::int64_t got = FetchHttp(context, text, transport);
    FUZZ_CHECK(served.opened >= 1 && served.opened <= kMostAttempts);
    FUZZ_CHECK(got == static_cast<std::int64_t>(text.size()));
    FUZZ_CHECK(std::string_view(served.lastReply).ends_with(text));
    for (const std::string& request : served.requests) {
        CheckRequest(request);
    }
}

}  // namespace

void FuzzHttpReply(std::string_view input) {
    CheckReplyParts(input);
    CheckFetch(input);
}

}  // namespace gleanwork::fuzz
