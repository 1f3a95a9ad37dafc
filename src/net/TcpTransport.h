#pragma once

#include "net/Transport.h"

namespace gleanwork {

// Stream connections over the system's TCP sockets, IPv4 and IPv6. Each connect and
// each wait for data keeps to its limit; no signal is raised when the peer
// has gone. Holds no state, so one object can serve any number of threads.
class TcpTransport final : public Transport {
public:
    std::unique_ptr<StreamSocket> OpenStream(const HttpLimits& limits) override;
};

}  // namespace gleanwork
