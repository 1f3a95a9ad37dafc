#include "net/HostResolver.h"

#include <netdb.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

#include "net/StandardError.h"

namespace gleanwork {

namespace {

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

std::uint16_t NetworkPort(int port) {
    const bool valid = port >= 0 && port <= 0xFFFF;
    return htons(static_cast<std::uint16_t>(valid ? port : 0));
}

void ReportLookupFailure(int code, const std::string& host) {
    const std::string diagnostic = std::to_string(code) + " is the error. Make sure '" + host +
                                   "' is listed in the hosts file.";
    WriteStandardError("ERROR: gethostbyname() failed - " + diagnostic + ".");
}

}  // namespace

int ResolveHost(sockaddr_in& address, const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    // A name with a zero byte in it would be looked up cut short.
    const bool plainName = host.find('\0') == std::string::npos;
    const int code = plainName ? ::getaddrinfo(host.c_str(), nullptr, &hints, &found) : EAI_NONAME;
    const std::unique_ptr<addrinfo, AddressListDeleter> list(found);
    if (code != 0 || list == nullptr) {
        ReportLookupFailure(code, host);
        return 0;
    }
    std::memcpy(&address, list->ai_addr, sizeof address);
    address.sin_port = NetworkPort(port);
    return 1;
}

}  // namespace gleanwork
