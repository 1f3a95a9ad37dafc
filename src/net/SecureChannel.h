#pragma once

#include <memory>
#include <string>

#include "net/SourceContext.h"
#include "net/Transport.h"

namespace gleanwork {

// Turns `socket`, connected to the origin server or (with `throughProxy`)
// to a proxy, into a TLS stream to `host` at `port`: through a proxy, it
// first asks for a tunnel with CONNECT. False after one "ERROR: " line in
// the context's log when the proxy refuses the tunnel or the handshake
// fails; `socket` is then gone.
bool OpenSecureChannel(const SourceContext& context, std::unique_ptr<StreamSocket>& socket,
                       const std::string& host, int port, bool throughProxy);

}  // namespace gleanwork
