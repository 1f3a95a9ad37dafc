#pragma once

#include <memory>
#include <string>

#include "net/Transport.h"

namespace gleanwork {

// Starts TLS over `inner`, a connected stream, to the server `serverName`
// (a host name, sent for SNI, or an IP address) on `port`. The server's
// certificate chain must lead to a certificate of OpenSSL's default verify
// paths (the system's store, or SSL_CERT_FILE and SSL_CERT_DIR) and name
// `serverName`. A session agreed with the same server and port before, under
// the same trusted certificates, is resumed when the server still takes it.
// Every wait goes through `inner`, with its limits. Returns the secure
// stream, or none with `failure` saying why the handshake failed
// ("certificate has expired", "hostname mismatch", ...).
std::unique_ptr<StreamSocket> StartTls(std::unique_ptr<StreamSocket> inner,
                                       const std::string& serverName, int port,
                                       std::string& failure);

}  // namespace gleanwork
