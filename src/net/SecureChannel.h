#pragma once

#include <memory>

#include "net/HttpLimits.h"
#include "net/RequestRoute.h"
#include "net/SourceResult.h"
#include "net/Transport.h"

namespace gleanwork {

// Turns `socket`, connected to the host that `route` contacts, into a TLS
// stream to the route's origin: through a proxy, it first asks for a tunnel
// with CONNECT (with the proxy's credentials, when it has any). Returns no
// failure, or why the proxy refused the tunnel or the handshake failed (a
// stop of `limits` that cut the handshake short is a stop); `socket` is then
// gone.
SourceFailure OpenSecureChannel(std::unique_ptr<StreamSocket>& socket, const RequestRoute& route,
                                const HttpLimits& limits);

}  // namespace gleanwork
