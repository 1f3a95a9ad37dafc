#include "net/UrlSplit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHttpPrefix = "http://";

}  // namespace

int ReadPort(std::string_view text) {
    return static_cast<int>(std::clamp<std::int64_t>(
        ReadDecimal(text), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::string SplitUrl(std::string_view url, std::string& host, int& port) {
    if (url.starts_with(kHttpPrefix)) {
        url.remove_prefix(kHttpPrefix.size());
    }
    const std::size_t slash = url.find('/');
    const std::string_view hostPart = url.substr(0, slash);
    const std::size_t colon = hostPart.find(':');
    host.assign(hostPart.substr(0, colon));
    if (colon != std::string_view::npos) {
        const int named = ReadPort(hostPart.substr(colon + 1));
        port = named == 0 ? kHttpPort : named;
    }
    if (slash == std::string_view::npos) {
        return "/";
    }
    return std::string(url.substr(slash));
}

}  // namespace gleanwork
