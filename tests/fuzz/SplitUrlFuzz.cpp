// Arbitrary URLs through SplitUrl: past the scheme and any user name and
// password, the host (in brackets or not) and the port text put back
// together give the host part, the path is the rest of the URL (a "/" put
// before a bare query or fragment), and the port is only set when the URL
// names one.
#include "FuzzFrame.h"
#include "net/UrlSplit.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(SplitUrl) {
    constexpr int kUnset = -12345;
    std::string host = "old host";
    int port = kUnset;
    const std::string path = SplitUrl(input, host, port);
    std::string_view url = input;
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (url.starts_with(scheme)) {
            url.remove_prefix(scheme.size());
            break;
        }
    }
    const std::size_t pathStart = url.find_first_of("/?#");
    const std::string_view rest = url.substr(std::min(pathStart, url.size()));
    FUZZ_CHECK(path == (rest.starts_with('/') ? "" : "/") + std::string(rest));
    std::string_view hostPart = url.substr(0, pathStart);
    hostPart.remove_prefix(std::min(hostPart.rfind('@') + 1, hostPart.size()));
    FUZZ_CHECK(host.find_first_of("/?#@") == std::string::npos);
    const std::string bracketed = "[" + host + "]";
    const std::string_view named = hostPart.starts_with(bracketed) ? bracketed : host;
    FUZZ_CHECK(hostPart.starts_with(named));
    const std::string_view portPart = hostPart.substr(named.size());
    FUZZ_CHECK(portPart.empty() ? port == kUnset
                                : portPart[0] == ':' && port != kUnset && port != 0);
}

}  // namespace gleanwork::fuzz
