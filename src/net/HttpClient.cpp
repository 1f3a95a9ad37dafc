#include "net/HttpClient.h"

#include <poll.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

#include "base/ErrorLine.h"
#include "base/ReadyWait.h"
#include "net/Base64.h"
#include "net/HostResolver.h"
#include "net/ReplyText.h"
#include "net/ResponseHead.h"
#include "net/RetryAfter.h"
#include "net/SecureChannel.h"
#include "net/SocketLibrary.h"
#include "net/StandardError.h"
#include "net/TcpTransport.h"
#include "net/UrlResolve.h"
#include "net/UrlSplit.h"

namespace gleanwork {

namespace {

// Requests per fetch: the first and up to four redirects.
constexpr int kMostAttempts = 5;

constexpr std::string_view kFormType = "application/x-www-form-urlencoded";

bool IsPost(const HttpRequest& request) {
    return !request.body.empty() || request.method == "POST";
}

// Whether a POST answered with `statusCode` repeats at the redirect's
// target: only 307 and 308 say so; every other redirect leads to a GET.
bool RepeatsPost(int statusCode) {
    return statusCode == 307 || statusCode == 308;
}

// The request along `route`, its head lines ended by CR LF, to go in one
// send: a line per send would leave every line after the first waiting
// for the server's acknowledgement of the one before. The web credentials go
// along when `withCredentials`, the proxy's only to the proxy itself (never
// through a tunnel); the cookies are those of `origin`. A POST's body
// follows its head.
std::string RequestMessage(const HttpRequest& request, const RequestRoute& route, bool post,
                           bool withCredentials, const CookieOrigin& origin) {
    std::string head = (post ? "POST " : "GET ") + OnOneLine(route.target) + " HTTP/1.0\r\n";
    head.append("Host: ").append(route.hostField).append("\r\n");
    if (!route.secure) {
        head.append(ProxyAuthorizationLine(route));
    }
    if (withCredentials) {
        const WebCredentials& credentials = request.credentials;
        const std::string pair = credentials.user + ":" + credentials.password;
        head.append("Authorization: Basic ").append(EncodeBase64(pair)).append("\r\n");
    }
    head.append("User-agent: ").append(OnOneLine(request.userAgent)).append("\r\n");
    if (request.cookies != nullptr) {
        const std::string cookies = request.cookies->HeaderFor(origin);
        if (!cookies.empty()) {
            head.append("Cookie: ").append(OnOneLine(cookies)).append("\r\n");
        }
    }
    if (post) {
        const std::string& type = request.contentType;
        head.append("Content-Type: ")
            .append(type.empty() ? std::string(kFormType) : OnOneLine(type))
            .append("\r\nContent-Length: ")
            .append(std::to_string(request.body.size()))
            .append("\r\n");
    }
    head.append("\r\n");
    if (post) {
        head.append(request.body);
    }
    return head;
}

SourceFailureKind ConnectFailure(int error) {
    switch (error) {
        case ECONNREFUSED:
            return SourceFailureKind::ConnectRefused;
        case ETIMEDOUT:
            return SourceFailureKind::ConnectTimedOut;
        default:
            return SourceFailureKind::ConnectFailed;
    }
}

// One fetch: its limits, with the deadline of the whole fetch, and what it
// has come to so far.
class HttpFetch {
public:
    HttpFetch(const HttpRequest& request, SourceLog* log, Transport& transport)
        : request_(request),
          log_(log),
          transport_(transport),
          limits_(request.limits),
          post_(IsPost(request)) {}

    HttpResult Run();

private:
    // Makes one request for the result's final URL. Returns the target of a
    // reply that redirects; none when the fetch ends here.
    std::optional<std::string> Attempt();
    // Receives until the peer closes the connection, the head and the body
    // into the result; a failed receive ends the reply with what had
    // arrived. False when the fetch must end: stopped, out of time, or the
    // reply outgrew the source limit (or its head said it would).
    bool Receive(StreamSocket& socket);
    // Reads the head of the reply received (see Attempt), keeping its
    // cookies for `origin`, and reports a failure status (unless the reply is
    // to be tried again) or a body cut short.
    std::optional<std::string> ReadHead(const CookieOrigin& origin);
    // Whether the reply with head `lines` is to be tried again after the
    // wait it asks for (see HttpRequest); logs what it asked for.
    bool RetryWanted(const std::vector<std::string_view>& lines);
    // Waits before trying a reply again; false when the fetch must end.
    bool WaitToRetry();
    // Whether a failed step ended the fetch for a reason of its own (a stop,
    // the time limit, reported here); otherwise the caller reports the
    // step's failure.
    bool EndedByLimits();
    // Logs `failure` (a stop is not logged) and keeps it: the first one
    // stands, unless a later one gives no page, which ends the fetch.
    void Fail(SourceFailure failure);
    void Log(std::string_view line) const;

    const HttpRequest& request_;
    SourceLog* log_;
    Transport& transport_;
    HttpLimits limits_;
    std::optional<RequestRoute> home_;  // of the credentials' origin, when they go anywhere
    bool post_;                         // the next request is a POST
    int retries_ = 0;
    std::chrono::seconds retryWait_{0};  // before the next try, when it is wanted
    bool retryWanted_ = false;
    HttpResult result_;
};

HttpResult HttpFetch::Run() {
    if (const int code = StartSocketLibrary(); code != 0) {
        const std::string reason = "Initializing Winsock - " + std::to_string(code);
        Fail({SourceFailureKind::SocketLibrary, reason});
        WriteStandardError(ErrorLine(reason));
        return std::move(result_);
    }
    limits_.fetchDeadline = HttpLimits::Clock::now() + limits_.fetch;
    const WebCredentials& credentials = request_.credentials;
    if (!credentials.user.empty() && IsWebUrl(credentials.originUrl)) {
        home_ = RouteRequest(request_.route, credentials.originUrl);
    }
    result_.finalUrl = request_.url;
    for (int attempt = 1;; ++attempt) {
        const std::optional<std::string> target = Attempt();
        if (retryWanted_ && WaitToRetry()) {
            --attempt;
            continue;
        }
        if (!target) {
            break;
        }
        if (attempt == kMostAttempts) {
            Fail({SourceFailureKind::TooManyRedirects, "Too many redirects: the last of " +
                                                           std::to_string(kMostAttempts) +
                                                           " replies redirects again"});
            break;
        }
        post_ = post_ && RepeatsPost(result_.statusCode);
        result_.finalUrl = target->empty() ? "" : ResolveUrl(result_.finalUrl, *target);
        result_.redirects.push_back(result_.finalUrl);
    }
    if (!result_.failure.GavePage()) {
        std::string().swap(result_.body);  // gives its memory back
    }
    return std::move(result_);
}

std::optional<std::string> HttpFetch::Attempt() {
    result_.statusCode = 0;
    result_.statusLine.clear();
    result_.head.clear();
    result_.body.clear();
    std::unique_ptr<StreamSocket> socket = transport_.OpenStream(limits_);
    if (!socket) {
        Fail({SourceFailureKind::NoSocket, "socket() failed"});
        WriteStandardError(ErrorLine("socket() failed\n"));
        return std::nullopt;
    }
    const std::string& url = result_.finalUrl;
    const RequestRoute route = RouteRequest(request_.route, url);
    const CookieOrigin origin = CookieOriginOf(url);
    std::vector<SocketAddress> addresses;
    if (ResolveHost(addresses, route.host, route.port, limits_) == 0) {
        if (!EndedByLimits()) {
            Fail({SourceFailureKind::NameNotResolved,
                  "Unable to resolve IP address for host: " + route.host});
        }
        return std::nullopt;
    }
    Log("Contacting host: " + route.host + " (port " + std::to_string(route.port) + ")...");
    if (const int error = socket->Connect(addresses); error != 0) {
        if (!EndedByLimits()) {
            WriteStandardError(ErrorLine("connect() failed"));
            Fail({ConnectFailure(error), "Failed to connect"});
        }
        return std::nullopt;
    }
    if (route.secure) {
        if (SourceFailure failure = OpenSecureChannel(socket, route, limits_); failure.Failed()) {
            Fail(std::move(failure));
            return std::nullopt;
        }
    }
    Log("Accessing URL - " + route.target);
    const bool withCredentials = home_ && SameOrigin(route, *home_);
    if (withCredentials) {
        Log("Sending authentication information...");
    }
    if (post_) {
        Log("Posting " + std::to_string(request_.body.size()) + " bytes");
    }
    socket->Send(RequestMessage(request_, route, post_, withCredentials, origin));
    if (!Receive(*socket)) {
        return std::nullopt;
    }
    socket.reset();
    return ReadHead(origin);
}

bool HttpFetch::Receive(StreamSocket& socket) {
    ReplyText reply(result_.head, result_.body, limits_.maxSourceBytes);
    for (;;) {
        int error = 0;
        const std::ptrdiff_t received = socket.Receive(reply.Space(limits_.receiveChunk), error);
        if (received > 0) {
            if (!reply.Commit(static_cast<std::size_t>(received))) {
                Fail({SourceFailureKind::TooLarge, "The source is larger than " +
                                                       std::to_string(limits_.maxSourceBytes) +
                                                       " bytes"});
                return false;
            }
            continue;
        }
        if (received < 0 && EndedByLimits()) {
            return false;
        }
        if (received < 0) {
            Fail({error == ETIMEDOUT ? SourceFailureKind::ReceiveTimedOut
                                     : SourceFailureKind::ReceiveFailed,
                  "Socket read failed with code " + std::to_string(error)});
        }
        break;
    }
    reply.Finish();
    return true;
}

std::optional<std::string> HttpFetch::ReadHead(const CookieOrigin& origin) {
    const std::vector<std::string_view> lines = HeaderLines(result_.head);
    result_.statusLine.assign(lines.empty() ? std::string_view() : lines.front());
    result_.statusCode = StatusNumber(result_.statusLine);
    if (request_.cookies != nullptr) {
        StoreCookies(*request_.cookies, lines, origin);
    }
    retryWanted_ = RetryWanted(lines);
    if (result_.statusCode >= 400 && !retryWanted_) {
        Fail({SourceFailureKind::HttpStatus, result_.statusLine});
    }
    if (StatusCode(result_.statusLine).starts_with('3')) {
        return std::string(FindHeader("Location", lines));
    }
    if (const std::optional<std::uint64_t> length =
            UnmetLength(result_.head, result_.body.size())) {
        Fail({SourceFailureKind::CutShort, "The reply ended after " +
                                               std::to_string(result_.body.size()) + " of the " +
                                               std::to_string(*length) + " bytes it announced"});
    }
    return std::nullopt;
}

bool HttpFetch::RetryWanted(const std::vector<std::string_view>& lines) {
    if (!request_.honourRetryAfter) {
        return false;
    }
    const RetryDecision decision = DecideRetry(result_.statusCode, FindHeader("Retry-After", lines),
                                               retries_, std::time(nullptr), kLongestRetryWait);
    if (!decision.note.empty()) {
        Log(decision.note);
    }
    retryWait_ = decision.wait;
    return decision.retry;
}

bool HttpFetch::WaitToRetry() {
    retryWanted_ = false;
    ++retries_;
    if (WaitReady(-1, POLLIN, limits_.WaitEnd(retryWait_), limits_.stop) == WaitResult::TimedOut &&
        HttpLimits::Clock::now() < limits_.fetchDeadline) {
        return true;
    }
    if (!EndedByLimits()) {
        Fail({SourceFailureKind::HttpStatus, result_.statusLine});
    }
    return false;
}

bool HttpFetch::EndedByLimits() {
    if (limits_.Stopped()) {
        Fail({SourceFailureKind::Stopped, ""});
        return true;
    }
    if (HttpLimits::Clock::now() < limits_.fetchDeadline) {
        return false;
    }
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(limits_.fetch).count();
    Fail({SourceFailureKind::FetchTimedOut,
          "The fetch took longer than " + std::to_string(seconds) + " seconds"});
    return true;
}

void HttpFetch::Fail(SourceFailure failure) {
    if (failure.kind != SourceFailureKind::Stopped && log_ != nullptr) {
        log_->LogError(failure.reason);
    }
    if (!result_.failure.Failed() || !failure.GavePage()) {
        result_.failure = std::move(failure);
    }
}

void HttpFetch::Log(std::string_view line) const {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

}  // namespace

HttpResult FetchHttp(const HttpRequest& request, SourceLog* log) {
    TcpTransport transport;
    return FetchHttp(request, log, transport);
}

HttpResult FetchHttp(const HttpRequest& request, SourceLog* log, Transport& transport) {
    return HttpFetch(request, log, transport).Run();
}

}  // namespace gleanwork
