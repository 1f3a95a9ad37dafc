#pragma once

#include <netinet/in.h>

#include <string>

#include "net/SourceContext.h"

namespace gleanwork {

// Fills `address` with the first IPv4 address of `host` (a dotted address or
// a name) and `port`. Returns 1, or 0 after writing the resolver's diagnostic
// to the standard error stream when the host has no IPv4 address. A port
// outside 0 to 65535 names no service; the address then gets port 0, which
// no connection can reach. The lookup is left, giving 0 without a diagnostic,
// when the fetch's deadline passes or its stop signal is raised.
int ResolveHost(sockaddr_in& address, const std::string& host, int port,
                const HttpLimits& limits = {});

}  // namespace gleanwork
