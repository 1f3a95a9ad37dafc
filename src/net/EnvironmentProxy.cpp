#include "net/EnvironmentProxy.h"

#include <array>
#include <cstdlib>

#include "base/TextScan.h"
#include "net/NoProxy.h"
#include "net/UrlSplit.h"

namespace gleanwork {

namespace {

constexpr int kDefaultProxyPort = 1080;
constexpr int kLastPort = 65535;

constexpr std::array<const char*, 4> kHttpsVariables = {"https_proxy", "HTTPS_PROXY", "all_proxy",
                                                        "ALL_PROXY"};
constexpr std::array<const char*, 3> kHttpVariables = {"http_proxy", "all_proxy", "ALL_PROXY"};

// `text` with its percent-escapes decoded.
std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 2 < text.size() && DigitValue(text[at + 1], 16) >= 0 &&
            DigitValue(text[at + 2], 16) >= 0) {
            decoded.push_back(static_cast<char>(DigitValue(text[at + 1], 16) * 16 +
                                                DigitValue(text[at + 2], 16)));
            at += 2;
        } else {
            decoded.push_back(text[at]);
        }
    }
    return decoded;
}

// Reads "host[:port]" of a proxy into `proxy`; false with `proxy.problem`
// set when it is unusable.
bool ReadProxyAddress(std::string_view address, EnvironmentProxy& proxy) {
    std::string_view port;
    if (address.starts_with('[')) {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos) {
            proxy.problem = "an IPv6 address without its \"]\"";
            return false;
        }
        proxy.host = address.substr(1, close - 1);
        port = address.substr(close + 1);
    } else {
        const std::size_t colon = address.find(':');
        proxy.host = address.substr(0, colon);
        port = address.substr(std::min(colon, address.size()));
    }
    if (proxy.host.empty()) {
        proxy.problem = "no host";
        return false;
    }
    proxy.port = kDefaultProxyPort;
    if (port.empty()) {
        return true;
    }
    port.remove_prefix(1);  // the ":"
    const bool digits = !port.empty() && port.size() <= 5 &&
                        port.find_first_not_of("0123456789") == std::string_view::npos;
    proxy.port = digits ? static_cast<int>(ReadDecimal(port)) : 0;
    if (proxy.port < 1 || proxy.port > kLastPort) {
        proxy.problem = "no valid port";
        return false;
    }
    return true;
}

// Reads the proxy URL `value` into `proxy`.
void ReadProxyUrl(std::string_view value, EnvironmentProxy& proxy) {
    const std::size_t scheme = value.find("://");
    if (scheme != std::string_view::npos) {
        if (LowerCase(value.substr(0, scheme)) != "http") {
            proxy.problem = "a " + std::string(value.substr(0, scheme)) +
                            ":// proxy, and only http:// proxies are supported";
            return;
        }
        value.remove_prefix(scheme + 3);
    }
    value = value.substr(0, value.find_first_of("/?#"));
    const std::size_t at = value.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view credentials = value.substr(0, at);
        const std::size_t colon = credentials.find(':');
        proxy.user = PercentDecoded(credentials.substr(0, colon));
        if (colon != std::string_view::npos) {
            proxy.password = PercentDecoded(credentials.substr(colon + 1));
        }
        value.remove_prefix(at + 1);
    }
    proxy.use = ReadProxyAddress(value, proxy);
}

// The value of the first of `names` that is set and not empty.
template <std::size_t N>
std::optional<std::pair<std::string, std::string>> FirstSet(const std::array<const char*, N>& names,
                                                            const EnvironmentReader& environment) {
    for (const char* name : names) {
        std::optional<std::string> value = environment(name);
        if (value && !TrimWhitespace(*value).empty()) {
            return std::pair{std::string(name), std::string(TrimWhitespace(*value))};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

EnvironmentProxy ProxyFromEnvironment(std::string_view url, const EnvironmentReader& environment) {
    EnvironmentProxy proxy;
    const auto named = IsHttpsUrl(url) ? FirstSet(kHttpsVariables, environment)
                                       : FirstSet(kHttpVariables, environment);
    if (!named) {
        return proxy;
    }
    std::optional<std::string> noProxy = environment("no_proxy");
    if (!noProxy) {
        noProxy = environment("NO_PROXY");
    }
    std::string host;
    int port = 0;
    SplitUrl(url, host, port);
    if (noProxy && NoProxyMatches(*noProxy, host)) {
        return proxy;
    }
    proxy.variable = named->first;
    ReadProxyUrl(named->second, proxy);
    return proxy;
}

}  // namespace gleanwork
