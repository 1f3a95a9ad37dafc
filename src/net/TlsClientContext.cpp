#include "net/TlsClientContext.h"

#include <openssl/x509.h>

#include <cstdlib>
#include <map>
#include <utility>

namespace gleanwork {

namespace {

// Contexts kept for different trusted certificates (tests and users rarely
// change them during a run), and servers whose sessions one keeps; beyond
// these, all are let go at once, and connections made from them live on.
constexpr std::size_t kMostContexts = 8;
constexpr std::size_t kMostSessions = 1024;

// The value of the environment variable `name`, or "" when it is not set,
// told apart from one set empty.
std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string("=") + value;
}

}  // namespace

std::shared_ptr<TlsClientContext> TlsClientContext::ForDefaultPaths() {
    using TrustPaths = std::pair<std::string, std::string>;
    static std::mutex guard;
    static std::map<TrustPaths, std::shared_ptr<TlsClientContext>> made;
    TrustPaths paths{EnvironmentValue(X509_get_default_cert_file_env()),
                     EnvironmentValue(X509_get_default_cert_dir_env())};
    const std::lock_guard lock(guard);
    if (const auto found = made.find(paths); found != made.end()) {
        return found->second;
    }
    std::shared_ptr<TlsClientContext> context = Make();
    if (context) {
        if (made.size() >= kMostContexts) {
            made.clear();
        }
        made.emplace(std::move(paths), context);
    }
    return context;
}

std::shared_ptr<TlsClientContext> TlsClientContext::Make() {
    Context context(SSL_CTX_new(TLS_client_method()));
    if (!context || SSL_CTX_set_default_verify_paths(context.get()) != 1 ||
        SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION) != 1) {
        return nullptr;
    }
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    // A server that ends an HTTP/1.0 reply by closing the connection often
    // skips the TLS closing message.
    SSL_CTX_set_options(context.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Sessions are kept here, by server, not in OpenSSL's cache.
    SSL_CTX_set_session_cache_mode(context.get(),
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    return std::make_shared<TlsClientContext>(std::move(context));
}

TlsConnection TlsClientContext::NewConnection(const std::string& server) {
    TlsConnection connection(SSL_new(context_.get()));
    if (!connection) {
        return connection;
    }
    const std::lock_guard lock(sessionsGuard_);
    if (const auto found = sessions_.find(server); found != sessions_.end()) {
        SSL_set_session(connection.get(), found->second.get());
    }
    return connection;
}

void TlsClientContext::EndConnection(const std::string& server, SSL* connection) {
    if (SSL_is_init_finished(connection) != 1) {
        return;  // a handshake that failed, the server's verification perhaps
    }
    Session session(SSL_get1_session(connection));
    // Ended without a closing message of its own, the connection would have
    // its session marked as no longer to be resumed when it is freed (a rule
    // that TLS 1.1 and later dropped). A fatal alert marks it, and stays.
    SSL_set_shutdown(connection, SSL_get_shutdown(connection) | SSL_SENT_SHUTDOWN);
    if (!session || SSL_SESSION_is_resumable(session.get()) != 1) {
        return;
    }
    const std::lock_guard lock(sessionsGuard_);
    if (sessions_.size() >= kMostSessions && !sessions_.contains(server)) {
        sessions_.clear();
    }
    sessions_[server] = std::move(session);
}

}  // namespace gleanwork
