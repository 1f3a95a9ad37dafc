// Arbitrary reply bytes through whole fetches of the HTTP client, over a
// transport that serves the input. Its first byte chooses how many
// bytes each receive takes (a power of two up to 2^15, or 2^20) and whether
// the reply ends in a failed receive; the rest holds the replies of
// successive connections, separated by kNextReply. The request names a proxy
// by its address, so a redirect target never leads to a name lookup.
#include <algorithm>

#include "FuzzFrame.h"
#include "base/TextScan.h"
#include "net/HttpClient.h"
#include "support/ScriptedTransport.h"

namespace gleanwork::fuzz {

constexpr std::string_view kNextReply = "\n#NEXT#\n";

struct LastLine : SourceLog {
    void LogLine(std::string_view line) override { last = line; }
    std::string last;
};

FUZZ_TARGET(HttpReply) {
    test::ScriptedTransport served;
    if (!input.empty()) {
        const auto control = static_cast<unsigned char>(input.front());
        served.chunk = std::size_t{1} << (control & 0x80 ? 20 : control & 0x0F);
        served.failLast = (control & 0x40) != 0;
        for (std::string_view rest = input.substr(1);;) {
            const std::size_t end = rest.find(kNextReply);
            served.replies.emplace_back(rest.substr(0, end));
            if (end == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(end + kNextReply.size());
        }
    }
    HttpRequest asked;
    asked.route.proxy = "127.0.0.1";
    asked.url = "http://fuzz.invalid/start";
    asked.credentials = {"user", "", asked.url};
    asked.limits.receiveChunk = served.chunk;
    CookieJar cookies;  // every Set-Cookie of the replies goes through it
    asked.cookies = &cookies;
    LastLine log;
    const HttpResult got = FetchHttp(asked, &log, served);
    FUZZ_CHECK(!served.requests.empty() && served.requests.size() <= 5);
    // A handshake the reply cannot pass, a cut-off body, one redirect too many.
    if (!got.failure.GavePage()) {
        FUZZ_CHECK(got.body.empty() && log.last == "ERROR: " + got.failure.reason);
        return;
    }
    FUZZ_CHECK(std::string_view(served.lastReply).ends_with(got.body));
    FUZZ_CHECK(got.redirects.size() + 1 == served.requests.size());
    for (const std::string& request : served.requests) {
        if (request.starts_with("CONNECT ")) {
            continue;  // the tunnel's request, then the TLS handshake
        }
        // The request line, host, credentials (only to the agent's own
        // origin), user agent, cookies and the end, each with CR LF.
        FUZZ_CHECK(request.starts_with("GET ") && request.ends_with("\r\n\r\n"));
        const bool credentials = request.find("\r\nAuthorization: ") != std::string::npos;
        const bool cookieLine = request.find("\r\nCookie: ") != std::string::npos;
        const auto lines = std::count(request.begin(), request.end(), '\n');
        FUZZ_CHECK(lines == 4 + credentials + cookieLine &&
                   std::count(request.begin(), request.end(), '\r') == lines);
        const bool toOrigin =
            request.starts_with("GET http://") &&
            LowerCase(request).find("\r\nhost: fuzz.invalid\r\n") != std::string::npos;
        FUZZ_CHECK(!credentials || toOrigin);
    }
}

}  // namespace gleanwork::fuzz
