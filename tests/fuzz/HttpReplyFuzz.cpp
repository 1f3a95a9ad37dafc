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
#include "support/ScriptedTransport.h"

namespace gleanwork::fuzz {

namespace {

constexpr std::string_view kNextReply = "\n#NEXT#\n";
constexpr std::size_t kMostAttempts = 5;

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

// Fills `served` from the input: its control byte, then the replies.
void ReadReplies(std::string_view input, test::ScriptedTransport& served) {
    if (input.empty()) {
        return;
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
}

// A request is its lines, each ended by CR LF, and an empty line. A request
// for a tunnel (a redirect to https://) is followed by the TLS handshake.
void CheckRequest(std::string_view request) {
    if (request.starts_with("CONNECT ")) {
        return;
    }
    const std::string_view firstLine = request.substr(0, request.find("\r\n"));
    FUZZ_CHECK(firstLine.starts_with("GET ") && firstLine.ends_with(" HTTP/1.0"));
    FUZZ_CHECK(request.ends_with("\r\n\r\n"));
    const auto lines = std::count(request.begin(), request.end(), '\n');
    FUZZ_CHECK(lines == 5);  // request, host, authorization, user agent, end
    FUZZ_CHECK(std::count(request.begin(), request.end(), '\r') == lines);
}

void CheckFetch(std::string_view input) {
    test::ScriptedTransport served;
    ReadReplies(input, served);
    AgentDefinition agent;
    agent.HOST = "127.0.0.1";
    agent.PORT = "8080";
    agent.URL = "http://fuzz.invalid/start";
    agent.WEBUSER = "user";
    agent.WEBPASS = "pass";
    std::string redirect;
    HttpLimits limits;
    limits.receiveChunk = served.chunk;
    CookieJar cookies;  // every Set-Cookie of the replies goes through it
    SourceContext context{agent, nullptr, redirect, limits, &cookies};
    std::string text = "old text";

    const std::int64_t got = FetchHttp(context, text, served);
    FUZZ_CHECK(!served.requests.empty() && served.requests.size() <= kMostAttempts);
    if (got < 0) {
        FUZZ_CHECK(served.requests.back().starts_with("CONNECT "));
        return;
    }
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
