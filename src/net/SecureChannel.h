#pragma once

#include <memory>
#include <string>

#include "net/RequestRoute.h"
#include "net/SourceContext.h"
#include "net/Transport.h"

namespace gleanwork {

// Turns `socket`, connected to the host that `route` contacts, into a TLS
// stream to the route's origin: through a proxy, it first asks for a tunnel
// with CONNECT (with the proxy's credentials, when it has any). False after
// one "ERROR: " line in the context's log when the proxy refuses the tunnel
// or the handshake fails; `socket` is then gone.
bool OpenSecureChannel(const SourceContext& context, std::unique_ptr<StreamSocket>& socket,
                       const RequestRoute& route);

}  // namespace gleanwork
