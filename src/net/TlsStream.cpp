#include "net/TlsStream.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <span>
#include <vector>

#include "base/SystemReason.h"
#include "net/TlsClientContext.h"

namespace gleanwork {

namespace {

bool IsIpAddress(const std::string& host) {
    in6_addr address{};  // room for either family
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// The name sent for SNI (what SSL_set_tlsext_host_name does, without its cast).
bool SetServerName(SSL* ssl, const std::string& name) {
    return SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                    const_cast<char*>(name.c_str())) == 1;
}

// What one receive from the inner stream may bring.
constexpr std::size_t kInboxSize = std::size_t{256} << 10;

class TlsStream final : public StreamSocket {
public:
    explicit TlsStream(std::unique_ptr<StreamSocket> inner) : inner_(std::move(inner)) {}
    // The session agreed is kept for the next connection to the server.
    ~TlsStream() override {
        if (context_ && ssl_) {
            context_->EndConnection(server_, ssl_.get());
        }
    }
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // Runs the handshake with `serverName` on `port`, resuming the session
    // agreed with it last; empty when it succeeded, else why it failed.
    std::string Handshake(const std::string& serverName, int port);

    int Connect(std::span<const SocketAddress> addresses) override {
        return inner_->Connect(addresses);
    }

    void Send(std::string_view bytes) override {
        while (!bytes.empty()) {
            const int sent = SSL_write(ssl_.get(), bytes.data(), ChunkSize(bytes.size()));
            if (sent <= 0) {
                ERR_clear_error();
                break;
            }
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        SendPending();
    }

    std::ptrdiff_t Receive(std::span<char> buffer, int& error) override {
        const int received = SSL_read(ssl_.get(), buffer.data(), ChunkSize(buffer.size()));
        if (received > 0) {
            return received;
        }
        const int reason = SSL_get_error(ssl_.get(), received);
        ERR_clear_error();
        if (reason == SSL_ERROR_ZERO_RETURN) {
            return 0;
        }
        error = innerError_ != 0 ? innerError_ : EPROTO;
        return -1;
    }

private:
    static int ChunkSize(std::size_t size) {
        return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
    }

    static BIO_METHOD* InnerMethod();
    static int ReadInner(BIO* bio, char* data, int size);
    static int WriteInner(BIO* bio, const char* data, int size);
    // TLS asks whether the inner stream has ended when a read gives nothing:
    // only then is a peer that closed without TLS's closing message at its end.
    static long ControlInner(BIO* bio, int command, long, void*) {
        const auto* stream = static_cast<const TlsStream*>(BIO_get_data(bio));
        const bool ended = stream != nullptr && stream->innerEnded_;
        return command == BIO_CTRL_FLUSH || (command == BIO_CTRL_EOF && ended) ? 1 : 0;
    }

    std::string Failure();
    // Sends what TLS has written since the last send, in one piece.
    void SendPending();

    std::unique_ptr<StreamSocket> inner_;
    std::vector<char> inbox_ = std::vector<char>(kInboxSize);
    std::string outbox_;
    std::span<const char> unread_;
    std::shared_ptr<TlsClientContext> context_;
    std::string server_;
    TlsConnection ssl_;
    int innerError_ = 0;
    bool innerEnded_ = false;
};

// TLS reads and writes the inner stream through this BIO, so that every
// wait of the handshake and of the transfer is one of the inner stream's.
BIO_METHOD* TlsStream::InnerMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "stream");
        BIO_meth_set_read(made, ReadInner);
        BIO_meth_set_write(made, WriteInner);
        BIO_meth_set_ctrl(made, ControlInner);
        return made;
    }();
    return method;
}

// Serves TLS from what the last receive of the inner stream brought, and
// receives again, as much as has arrived, only once that is used up: a few
// large receives cost the system far less than two small ones per record.
int TlsStream::ReadInner(BIO* bio, char* data, int size) {
    auto& stream = *static_cast<TlsStream*>(BIO_get_data(bio));
    if (stream.unread_.empty()) {
        stream.SendPending();
        int error = 0;
        const std::ptrdiff_t received = stream.inner_->Receive(stream.inbox_, error);
        if (received < 0) {
            stream.innerError_ = error;
            return -1;
        }
        stream.innerEnded_ = received == 0;
        stream.unread_ = std::span(stream.inbox_).first(static_cast<std::size_t>(received));
    }
    const std::size_t count =
        std::min(stream.unread_.size(), static_cast<std::size_t>(std::max(size, 0)));
    std::copy_n(stream.unread_.begin(), count, data);
    stream.unread_ = stream.unread_.subspan(count);
    return static_cast<int>(count);
}

// What TLS writes waits in the outbox until TLS reads or the stream sends:
// the last flight of the handshake then goes out with the request, in one
// segment, and the server reads both at once.
int TlsStream::WriteInner(BIO* bio, const char* data, int size) {
    auto& stream = *static_cast<TlsStream*>(BIO_get_data(bio));
    stream.outbox_.append(data, static_cast<std::size_t>(std::max(size, 0)));
    return size;
}

void TlsStream::SendPending() {
    if (!outbox_.empty()) {
        inner_->Send(outbox_);
        outbox_.clear();
    }
}

std::string TlsStream::Handshake(const std::string& serverName, int port) {
    context_ = TlsClientContext::ForDefaultPaths();
    if (!context_) {
        return Failure();
    }
    server_ = serverName + " " + std::to_string(port);
    // No read-ahead: TLS reads each record, header and rest, from the inbox.
    // (With read-ahead in a large buffer, OpenSSL moves what is left of it to
    // its front before every record.)
    ssl_ = context_->NewConnection(server_);
    BIO* bio = BIO_new(InnerMethod());
    if (!ssl_ || bio == nullptr) {
        BIO_free(bio);
        return Failure();
    }
    BIO_set_data(bio, this);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl_.get(), bio, bio);
    const bool named =
        IsIpAddress(serverName)
            ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_.get()), serverName.c_str()) == 1
            : SetServerName(ssl_.get(), serverName) &&
                  SSL_set1_host(ssl_.get(), serverName.c_str()) == 1;
    if (!named || SSL_connect(ssl_.get()) != 1) {
        SendPending();  // the alert that says why, if any
        return Failure();
    }
    return {};
}

// Why the handshake failed: the certificate's fault, the inner stream's,
// or TLS's own.
std::string TlsStream::Failure() {
    const long verified = ssl_ ? SSL_get_verify_result(ssl_.get()) : X509_V_OK;
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (verified != X509_V_OK) {
        return X509_verify_cert_error_string(verified);
    }
    if (innerError_ != 0) {
        return SystemReason(innerError_);
    }
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return reason != nullptr ? reason : "the server closed the connection";
}

}  // namespace

std::unique_ptr<StreamSocket> StartTls(std::unique_ptr<StreamSocket> inner,
                                       const std::string& serverName, int port,
                                       std::string& failure) {
    auto stream = std::make_unique<TlsStream>(std::move(inner));
    failure = stream->Handshake(serverName, port);
    if (!failure.empty()) {
        return nullptr;
    }
    return stream;
}

}  // namespace gleanwork
