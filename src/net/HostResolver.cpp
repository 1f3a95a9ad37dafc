#include "net/HostResolver.h"

#include <netdb.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

#include "net/LeavableCall.h"
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

// One name lookup's outcome, shared with the thread that looks it up.
struct Lookup {
    int code = EAI_NONAME;
    std::unique_ptr<addrinfo, AddressListDeleter> list;
};

}  // namespace

int ResolveHost(sockaddr_in& address, const std::string& host, int port, const HttpLimits& limits) {
    auto lookup = std::make_shared<Lookup>();
    // A name with a zero byte in it would be looked up cut short.
    if (host.find('\0') == std::string::npos) {
        const WaitResult waited = RunLeavable(
            [lookup, host] {
                addrinfo hints{};
                hints.ai_family = AF_INET;
                hints.ai_socktype = SOCK_STREAM;
                addrinfo* found = nullptr;
                lookup->code = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
                lookup->list.reset(found);
            },
            limits.fetchDeadline, limits.stop);
        if (waited != WaitResult::Ready) {
            return 0;  // the fetch reports a stop or its time running out
        }
    }
    if (lookup->code != 0 || lookup->list == nullptr) {
        ReportLookupFailure(lookup->code, host);
        return 0;
    }
    std::memcpy(&address, lookup->list->ai_addr, sizeof address);
    address.sin_port = NetworkPort(port);
    return 1;
}

}  // namespace gleanwork
