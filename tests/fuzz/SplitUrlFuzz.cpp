// Arbitrary URLs through SplitUrl: the host, the port text and the path put
// back together give the URL (without its "http://"), the path always begins
// with "/", and the port is only set when the URL names one.
#include <string>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "net/UrlSplit.h"

namespace gleanwork::fuzz {

void FuzzSplitUrl(std::string_view input) {
    constexpr int kUnset = -12345;
    std::string host = "old host";
    int port = kUnset;
    const std::string path = SplitUrl(input, host, port);

    std::string_view url = input;
    if (url.starts_with("http://")) {
        url.remove_prefix(7);
    }
    FUZZ_CHECK(path.starts_with('/'));
    FUZZ_CHECK(host.find('/') == std::string::npos && host.find(':') == std::string::npos);
    FUZZ_CHECK(url.starts_with(host));
    const std::size_t slash = url.find('/');
    FUZZ_CHECK(slash == std::string_view::npos ? path == "/" : url.substr(slash) == path);
    const std::string_view hostPart = url.substr(0, slash);
    if (hostPart.size() == host.size()) {
        FUZZ_CHECK(port == kUnset);
    } else {
        FUZZ_CHECK(hostPart[host.size()] == ':');
        FUZZ_CHECK(port != kUnset && port != 0);
    }
}

}  // namespace gleanwork::fuzz
