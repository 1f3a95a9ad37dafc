#include "net/UrlSplit.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHttpPrefix = "http://";
constexpr std::string_view kHttpsPrefix = "https://";

// Where the port of a host part begins (at its ":"), past the brackets of an
// IPv6 address; npos when it names none.
std::size_t PortColon(std::string_view hostPart) {
    const std::size_t close = hostPart.starts_with('[') ? hostPart.find(']') : 0;
    if (close == std::string_view::npos) {
        return hostPart.find(':');
    }
    return hostPart.find(':', close);
}

}  // namespace

int ReadPort(std::string_view text) {
    return static_cast<int>(std::clamp<std::int64_t>(
        ReadDecimal(text), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool IsHttpsUrl(std::string_view url) {
    return url.starts_with(kHttpsPrefix);
}

bool IsWebUrl(std::string_view url) {
    return url.starts_with(kHttpPrefix) || IsHttpsUrl(url);
}

int SchemePort(std::string_view url) {
    return IsHttpsUrl(url) ? kHttpsPort : kHttpPort;
}

std::string SplitUrl(std::string_view url, std::string& host, int& port) {
    const int schemePort = SchemePort(url);
    for (const std::string_view prefix : {kHttpPrefix, kHttpsPrefix}) {
        if (url.starts_with(prefix)) {
            url.remove_prefix(prefix.size());
            break;
        }
    }
    const std::size_t pathStart = url.find_first_of("/?#");
    std::string_view hostPart = url.substr(0, pathStart);
    // A user name and password before the host are no part of where it is.
    hostPart.remove_prefix(std::min(hostPart.rfind('@') + 1, hostPart.size()));
    const std::size_t colon = PortColon(hostPart);
    std::string_view name = hostPart.substr(0, colon);
    if (name.size() >= 2 && name.starts_with('[') && name.ends_with(']')) {
        name = name.substr(1, name.size() - 2);
    }
    host.assign(name);
    if (colon != std::string_view::npos) {
        const int named = ReadPort(hostPart.substr(colon + 1));
        port = named == 0 ? schemePort : named;
    }
    if (pathStart == std::string_view::npos) {
        return "/";
    }
    const std::string_view path = url.substr(pathStart);
    return path.starts_with('/') ? std::string(path) : std::string("/").append(path);
}

std::string WithoutUserInfo(std::string_view url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) {
        return std::string(url);
    }
    const std::size_t hostPart = scheme + 3;
    const std::size_t at = url.substr(0, url.find_first_of("/?#", hostPart)).rfind('@');
    if (at == std::string_view::npos || at < hostPart) {
        return std::string(url);
    }
    return std::string(url.substr(0, hostPart)).append(url.substr(at + 1));
}

std::string OnOneLine(std::string_view field) {
    std::string line(field);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

std::string HostField(const std::string& host, int port, int schemePort) {
    std::string field = OnOneLine(host);
    if (host.find(':') != std::string::npos) {
        field = std::string("[").append(field).append("]");
    }
    if (port != schemePort) {
        field.append(":").append(std::to_string(port));
    }
    return field;
}

}  // namespace gleanwork
