#include "net/HttpClient.h"

#include <memory>
#include <vector>

#include "net/Base64.h"
#include "net/HostResolver.h"
#include "net/ReplyText.h"
#include "net/RequestRoute.h"
#include "net/ResponseHead.h"
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

// Sends the request head of `route`, each line ended by CR LF, in one send:
// a line per send would leave every line after the first waiting for the
// server's acknowledgement of the one before. The agent's credentials go
// along when `withCredentials`, the proxy's only to the proxy itself (never
// through a tunnel).
void SendRequest(const SourceContext& context, StreamSocket& socket, const RequestRoute& route,
                 bool withCredentials) {
    const AgentDefinition& agent = context.agent;
    std::string request = "GET " + OnOneLine(route.target) + " HTTP/1.0\r\n";
    request.append("Host: ").append(route.hostField).append("\r\n");
    if (!route.secure) {
        request.append(ProxyAuthorizationLine(route));
    }
    if (withCredentials) {
        context.LogLine("Sending authentication information...");
        const std::string credentials = agent.WEBUSER + ":" + agent.WEBPASS;
        request.append("Authorization: Basic ").append(EncodeBase64(credentials)).append("\r\n");
    }
    request.append("User-agent: ").append(OnOneLine(agent.USERAGENT)).append("\r\n");
    if (context.cookies != nullptr) {
        const std::string cookies = context.cookies->HeaderFor(context.origin);
        if (!cookies.empty()) {
            request.append("Cookie: ").append(OnOneLine(cookies)).append("\r\n");
        }
    }
    request.append("\r\n");
    socket.Send(request);
}

// Whether a failed step ended the fetch for a reason of its own (a stop, the
// time limit, reported here); otherwise the caller reports the step's failure.
bool EndedByLimits(const SourceContext& context) {
    if (context.limits.Stopped()) {
        return true;
    }
    if (HttpLimits::Clock::now() < context.limits.fetchDeadline) {
        return false;
    }
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(context.limits.fetch).count();
    context.LogLine("ERROR: The fetch took longer than " + std::to_string(seconds) + " seconds");
    return true;
}

// Receives until the peer closes the connection, the head into `head` and
// the body into `text`; a failed receive is logged and ends the reply with
// what had arrived. False when the fetch must end: stopped, out of time, or
// the reply outgrew the source limit (or its head said it would).
bool ReceiveReply(const SourceContext& context, StreamSocket& socket, std::string& head,
                  std::string& text) {
    ReplyText reply(head, text, context.limits.maxSourceBytes);
    for (;;) {
        int error = 0;
        const std::ptrdiff_t received =
            socket.Receive(reply.Space(context.limits.receiveChunk), error);
        if (received > 0) {
            if (!reply.Commit(static_cast<std::size_t>(received))) {
                context.LogLine("ERROR: The source is larger than " +
                                std::to_string(context.limits.maxSourceBytes) + " bytes");
                return false;
            }
            continue;
        }
        if (received < 0 && EndedByLimits(context)) {
            return false;
        }
        if (received < 0) {
            context.LogLine("ERROR: Socket read failed with code " + std::to_string(error));
        }
        break;
    }
    reply.Finish();
    return true;
}

// Empties `text` and gives its memory back: what a failed fetch leaves.
std::int64_t Failed(std::string& text) {
    std::string().swap(text);
    return -1;
}

void ReportFailure(const SourceContext& context, const std::string& logLine,
                   std::string_view standardError) {
    context.LogLine(logLine);
    WriteStandardError(standardError);
}

}  // namespace

std::int64_t FetchHttp(SourceContext& context, std::string& text) {
    TcpTransport transport;
    return FetchHttp(context, text, transport);
}

std::int64_t FetchHttp(SourceContext& context, std::string& text, Transport& transport) {
    if (const int code = StartSocketLibrary(); code != 0) {
        const std::string message = "ERROR: Initializing Winsock - " + std::to_string(code);
        ReportFailure(context, message, message);
        return -1;
    }
    context.limits.fetchDeadline = HttpLimits::Clock::now() + context.limits.fetch;
    const AgentDefinition& agent = context.agent;
    std::string url = agent.URL;
    context.redirects = 0;
    // The agent's credentials go only to the origin of its own address: not
    // to another host, another port, or over http:// after https://.
    const bool hasCredentials = !agent.WEBUSER.empty() && IsWebUrl(context.homeUrl);
    const RequestRoute home = RouteRequest(agent, std::string(context.homeUrl));
    for (int attempt = 1;; ++attempt) {
        text.clear();
        std::unique_ptr<StreamSocket> socket = transport.OpenStream(context.limits);
        if (!socket) {
            ReportFailure(context, "ERROR: socket() failed", "ERROR: socket() failed\n");
            return -1;
        }
        const RequestRoute route = RouteRequest(agent, url);
        context.origin = CookieOriginOf(url);
        std::vector<SocketAddress> addresses;
        if (ResolveHost(addresses, route.host, route.port, context.limits) == 0) {
            if (!EndedByLimits(context)) {
                context.LogLine("ERROR: Unable to resolve IP address for host: " + route.host);
            }
            return -1;
        }
        context.LogLine("Contacting host: " + route.host + " (port " + std::to_string(route.port) +
                        ")...");
        if (!socket->Connect(addresses)) {
            if (!EndedByLimits(context)) {
                WriteStandardError("ERROR: connect() failed");
                context.LogLine("ERROR: Failed to connect");
            }
            return -1;
        }
        if (route.secure && !OpenSecureChannel(context, socket, route)) {
            return -1;
        }
        context.LogLine("Accessing URL - " + route.target);
        SendRequest(context, *socket, route, hasCredentials && SameOrigin(route, home));
        std::string head;
        if (!ReceiveReply(context, *socket, head, text)) {
            return Failed(text);
        }
        socket.reset();
        if (!ParseResponseHead(context, head)) {
            return BodyIsWhole(context, head, text.size()) ? static_cast<std::int64_t>(text.size())
                                                           : Failed(text);
        }
        if (attempt == kMostAttempts) {
            context.LogLine("ERROR: Too many redirects: the last of " +
                            std::to_string(kMostAttempts) + " replies redirects again");
            return Failed(text);
        }
        if (!context.redirectUrl.empty()) {
            context.redirectUrl = ResolveUrl(url, context.redirectUrl);
        }
        url = context.redirectUrl;
        ++context.redirects;
    }
}

}  // namespace gleanwork
