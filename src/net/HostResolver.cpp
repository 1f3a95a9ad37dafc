#include "net/HostResolver.h"

#include <netdb.h>
#include <netinet/in.h>

#include <cstring>

#include "base/OwnedHandle.h"
#include "net/StandardError.h"

namespace gleanwork {

namespace {

std::uint16_t NetworkPort(int port) {
    const bool valid = port >= 0 && port <= 0xFFFF;
    return htons(static_cast<std::uint16_t>(valid ? port : 0));
}

void ReportLookupFailure(int code, const std::string& host) {
    const std::string diagnostic = std::to_string(code) + " is the error. Make sure '" + host +
                                   "' is listed in the hosts file.";
    WriteStandardError("ERROR: gethostbyname() failed - " + diagnostic + ".");
}

SocketAddress WithPort(const addrinfo& entry, int port) {
    SocketAddress address;
    address.size =
        static_cast<socklen_t>(std::min<std::size_t>(entry.ai_addrlen, sizeof address.storage));
    std::memcpy(&address.storage, entry.ai_addr, address.size);
    if (entry.ai_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = NetworkPort(port);
    } else {
        reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = NetworkPort(port);
    }
    return address;
}

}  // namespace

int ResolveHost(std::vector<SocketAddress>& addresses, const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    // A name with a zero byte in it would be looked up cut short.
    const bool plainName = host.find('\0') == std::string::npos;
    const int code = plainName ? ::getaddrinfo(host.c_str(), nullptr, &hints, &found) : EAI_NONAME;
    const OwnedHandle<addrinfo, ::freeaddrinfo> list(found);
    addresses.clear();
    for (const addrinfo* entry = list.get(); code == 0 && entry != nullptr;
         entry = entry->ai_next) {
        if (entry->ai_family == AF_INET || entry->ai_family == AF_INET6) {
            addresses.push_back(WithPort(*entry, port));
        }
    }
    if (addresses.empty()) {
        ReportLookupFailure(code, host);
        return 0;
    }
    return 1;
}

}  // namespace gleanwork
