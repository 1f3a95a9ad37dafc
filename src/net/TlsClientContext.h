#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "base/OwnedHandle.h"

namespace gleanwork {

using TlsConnection = OwnedHandle<SSL, SSL_free>;

// A TLS client context that verifies every server against one set of
// trusted certificates (TLS 1.2 or later), and the last session agreed with
// each server, so that the next connection to that server resumes it and
// skips the full handshake. Loading the certificates and making the context
// costs far more than a handshake, so one context serves every connection
// and thread of the process that trusts the same certificates.
class TlsClientContext {
public:
    // The context for OpenSSL's default verify paths as the environment names
    // them now (SSL_CERT_FILE and SSL_CERT_DIR, else the system's store),
    // made on first use; none when it cannot be made (OpenSSL's error queue
    // says why).
    static std::shared_ptr<TlsClientContext> ForDefaultPaths();

    // A new connection that verifies its server's certificate, set to
    // resume the session last kept under `server` (the name or address that
    // the certificate must hold, and the port). None when it cannot be made.
    TlsConnection NewConnection(const std::string& server);

    // Ends `connection`, done with `server`, without a closing message, and
    // keeps the session it agreed last for the next connection, when its
    // handshake finished (and so verified the server) and no fatal alert
    // ended it.
    void EndConnection(const std::string& server, SSL* connection);

    using Context = OwnedHandle<SSL_CTX, SSL_CTX_free>;
    explicit TlsClientContext(Context context) : context_(std::move(context)) {}

private:
    using Session = OwnedHandle<SSL_SESSION, SSL_SESSION_free>;

    static std::shared_ptr<TlsClientContext> Make();

    Context context_;
    std::mutex sessionsGuard_;
    std::unordered_map<std::string, Session> sessions_;
};

}  // namespace gleanwork
