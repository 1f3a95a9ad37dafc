#pragma once

#include <string>
#include <vector>

#include "net/HttpLimits.h"
#include "net/Transport.h"

namespace gleanwork {

// Fills `addresses` with the IPv4 and IPv6 addresses of `host` (a dotted
// address, an IPv6 address or a name), in the resolver's order, each with
// `port`. Returns 1, or 0 after writing the resolver's diagnostic to the
// standard error stream when the host has no address. A port outside 0 to
// 65535 names no service; the addresses then get port 0, which no
// connection can reach. The lookup is left, giving 0 without a diagnostic,
// when the fetch's deadline passes or its stop signal is raised.
int ResolveHost(std::vector<SocketAddress>& addresses, const std::string& host, int port,
                const HttpLimits& limits = {});

}  // namespace gleanwork
