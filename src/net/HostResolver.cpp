#include "net/HostResolver.h"

#include <netdb.h>
#include <netinet/in.h>

#include <cstring>

#include "base/ErrorLine.h"
#include "base/LeavableCall.h"
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
    WriteStandardError(ErrorLine("gethostbyname() failed - " + diagnostic + "."));
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

// One name lookup's outcome, shared with the thread that looks it up.
struct Lookup {
    int code = EAI_NONAME;
    OwnedHandle<addrinfo, ::freeaddrinfo> list;

    // Looks `host` up; with `flags` AI_NUMERICHOST, only reads an address.
    void Run(const std::string& host, int flags) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = flags;
        addrinfo* found = nullptr;
        code = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
        list.reset(found);
    }
};

}  // namespace

int ResolveHost(std::vector<SocketAddress>& addresses, const std::string& host, int port,
                const HttpLimits& limits) {
    addresses.clear();
    auto lookup = std::make_shared<Lookup>();
    // A name with a zero byte in it would be looked up cut short. An
    // address is read at once; only a name is looked up on a thread of its
    // own, which the fetch can leave waiting.
    if (host.find('\0') == std::string::npos) {
        lookup->Run(host, AI_NUMERICHOST);
        if (lookup->code != 0 &&
            RunLeavable([lookup, host] { lookup->Run(host, 0); }, limits.fetchDeadline,
                        limits.stop) != WaitResult::Ready) {
            return 0;  // the fetch reports a stop or its time running out
        }
    }
    for (const addrinfo* entry = lookup->list.get(); lookup->code == 0 && entry != nullptr;
         entry = entry->ai_next) {
        if (entry->ai_family == AF_INET || entry->ai_family == AF_INET6) {
            addresses.push_back(WithPort(*entry, port));
        }
    }
    if (addresses.empty()) {
        ReportLookupFailure(lookup->code, host);
        return 0;
    }
    return 1;
}

}  // namespace gleanwork
