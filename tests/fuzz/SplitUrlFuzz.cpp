// Arbitrary URLs through SplitUrl: the host, the port text and the path put
// back together give the URL (without its "http://"), the path always begins
// with "/", and the port is only set when the URL names one.
#include "FuzzFrame.h"
#include "net/UrlSplit.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(SplitUrl) {
    constexpr int kUnset = -12345;
    std::string host = "old host";
    int port = kUnset;
    const std::string path = SplitUrl(input, host, port);
    const std::string_view url = input.substr(input.starts_with("http://") ? 7 : 0);
    FUZZ_CHECK(path.starts_with('/') && url.starts_with(host));
    FUZZ_CHECK(host.find_first_of("/:") == std::string::npos);
    const std::size_t slash = url.find('/');
    FUZZ_CHECK(slash == std::string_view::npos ? path == "/" : url.substr(slash) == path);
    const std::string_view hostPart = url.substr(0, slash);
    FUZZ_CHECK(hostPart.size() == host.size()
                   ? port == kUnset
                   : hostPart[host.size()] == ':' && port != kUnset && port != 0);
}

}  // namespace gleanwork::fuzz
