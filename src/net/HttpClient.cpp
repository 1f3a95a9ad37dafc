#include "net/HttpClient.h"

#include <algorithm>
#include <memory>

#include "net/Base64.h"
#include "net/HostResolver.h"
#include "net/ReplyText.h"
#include "net/ResponseHead.h"
#include "net/SocketLibrary.h"
#include "net/StandardError.h"
#include "net/TcpTransport.h"
#include "net/UrlSplit.h"

namespace gleanwork {

namespace {

constexpr int kMostAttempts = 5;

// A request field as it goes on its line: a line break in it (a redirect
// target can carry one) would start a line of its own, so it goes as a space.
std::string OnOneLine(std::string_view field) {
    std::string line(field);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

// Sends the request head, one line per send, each ended by a bare line feed.
void SendRequest(const SourceContext& context, StreamSocket& socket, std::string_view target) {
    const AgentDefinition& agent = context.agent;
    socket.Send("GET " + OnOneLine(target) + " HTTP/1.0\n");
    if (!agent.WEBUSER.empty()) {
        context.LogLine("Sending authentication information...");
        const std::string credentials = agent.WEBUSER + ":" + agent.WEBPASS;
        socket.Send("Authorization: Basic " + EncodeBase64(credentials) + "\n");
    }
    socket.Send("User-agent: " + OnOneLine(agent.USERAGENT) + "\n");
    if (context.cookies != nullptr) {
        const std::string cookies = context.cookies->HeaderFor(context.origin);
        if (!cookies.empty()) {
            socket.Send("Cookie: " + OnOneLine(cookies) + "\n");
        }
    }
    socket.Send("\n");
}

// Receives until the peer closes the connection; a failed receive is logged
// and ends the reply with what had arrived.
void ReceiveReply(const SourceContext& context, StreamSocket& socket, std::string& text) {
    ReplyText reply(text);
    for (;;) {
        int error = 0;
        const std::ptrdiff_t received =
            socket.Receive(reply.Space(context.limits.receiveChunk), error);
        if (received > 0) {
            reply.Commit(static_cast<std::size_t>(received));
            continue;
        }
        if (received < 0) {
            context.LogLine("ERROR: Socket read failed with code " + std::to_string(error));
        }
        break;
    }
    reply.Finish();
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
    const AgentDefinition& agent = context.agent;
    std::string host = agent.HOST;
    std::string target = agent.URL;
    const int startingPort = agent.PORT.empty() ? kHttpPort : ReadPort(agent.PORT);
    int port = startingPort;
    context.redirects = 0;
    for (int attempt = 0; attempt < kMostAttempts; ++attempt) {
        text.clear();
        std::unique_ptr<StreamSocket> socket = transport.OpenStream(context.limits);
        if (!socket) {
            ReportFailure(context, "ERROR: socket() failed", "ERROR: socket() failed\n");
            return -1;
        }
        context.origin = CookieOriginOf(target);
        if (agent.HOST.empty()) {
            // A URL that names no port means the starting one, also after a
            // redirect from a URL that named another.
            port = startingPort;
            target = SplitUrl(target, host, port);
        }
        sockaddr_in address{};
        if (ResolveHost(address, host, port) == 0) {
            context.LogLine("ERROR: Unable to resolve IP address for host: " + host);
            return -1;
        }
        context.LogLine("Contacting host: " + host + " (port " + std::to_string(port) + ")...");
        if (!socket->Connect(address)) {
            WriteStandardError("ERROR: connect() failed");
            context.LogLine("ERROR: Failed to connect");
            return -1;
        }
        context.LogLine("Accessing URL - " + target);
        SendRequest(context, *socket, target);
        ReceiveReply(context, *socket, text);
        socket.reset();
        if (!ParseResponseHead(context, text)) {
            break;
        }
        target = context.redirectUrl;
        ++context.redirects;
    }
    return static_cast<std::int64_t>(text.size());
}

}  // namespace gleanwork
