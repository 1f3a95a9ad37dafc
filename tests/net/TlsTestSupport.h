#pragma once

#include <sys/types.h>

#include <string>
#include <thread>

#include "storage/FileDescriptor.h"

namespace gleanwork::test {

// Makes NAME.pem and NAME.key in `folder` with the openssl command: a CA
// when `issuer` is empty, else a server certificate for `alternativeNames`
// ("IP:127.0.0.1,DNS:localhost") signed by the CA `issuer`, valid for `days`
// (-1 gives one that has expired). False when the command failed.
bool MakeCertificate(const std::string& folder, const std::string& name,
                     const std::string& issuer = "", const std::string& alternativeNames = "",
                     int days = 1);

// `openssl s_server -HTTP` on a free port of `address` ("127.0.0.1" or
// "::1"), serving each file of `folder` as a whole reply; `options` name its
// certificates. Port() is 0 when it did not start.
class TlsServer {
public:
    TlsServer(const std::string& folder, const std::string& address, const std::string& options);
    ~TlsServer();
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    int Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// A proxy on 127.0.0.1 that takes one CONNECT request and relays its tunnel
// to the port it names on 127.0.0.1.
class TunnelProxy {
public:
    TunnelProxy();
    ~TunnelProxy();
    TunnelProxy(const TunnelProxy&) = delete;
    TunnelProxy& operator=(const TunnelProxy&) = delete;

    int Port() const { return port_; }
    // Waits until the tunnel has closed; returns the request head it read.
    const std::string& Request();

private:
    void Serve();

    FileDescriptor listener_;
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

}  // namespace gleanwork::test
