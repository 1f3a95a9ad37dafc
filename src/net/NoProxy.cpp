#include "net/NoProxy.h"

#include <arpa/inet.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

// The bytes of an IP address (4 for IPv4, 16 for IPv6) and their count.
struct IpAddress {
    std::array<std::uint8_t, 16> bytes{};
    int bits = 0;
};

std::optional<IpAddress> ReadIpAddress(std::string_view text) {
    const std::string address(text);
    IpAddress ip;
    if (::inet_pton(AF_INET, address.c_str(), ip.bytes.data()) == 1) {
        ip.bits = 32;
    } else if (::inet_pton(AF_INET6, address.c_str(), ip.bytes.data()) == 1) {
        ip.bits = 128;
    } else {
        return std::nullopt;
    }
    return ip;
}

// Whether `host` lies in the network `entry` ("address" or "address/bits").
bool AddressMatches(const IpAddress& host, std::string_view entry) {
    const std::size_t slash = entry.find('/');
    const std::optional<IpAddress> network = ReadIpAddress(entry.substr(0, slash));
    if (!network || network->bits != host.bits) {
        return false;
    }
    int bits = host.bits;
    if (slash != std::string_view::npos) {
        const std::string_view count = entry.substr(slash + 1);
        if (count.empty() || count.find_first_not_of("0123456789") != std::string_view::npos ||
            ReadDecimal(count) > host.bits) {
            return false;
        }
        bits = static_cast<int>(ReadDecimal(count));
    }
    for (int bit = 0; bit < bits; ++bit) {
        const int mask = 0x80 >> (bit % 8);
        if ((host.bytes[bit / 8] & mask) != (network->bytes[bit / 8] & mask)) {
            return false;
        }
    }
    return true;
}

bool NameMatches(std::string_view host, std::string_view entry) {
    if (entry.starts_with('.')) {
        entry.remove_prefix(1);
    }
    if (entry.ends_with('.')) {
        entry.remove_suffix(1);
    }
    const std::string name = LowerCase(entry);
    return !name.empty() && (host == name || (host.size() > name.size() && host.ends_with(name) &&
                                              host[host.size() - name.size() - 1] == '.'));
}

}  // namespace

bool NoProxyMatches(std::string_view list, std::string_view host) {
    list = TrimWhitespace(list);
    if (list == "*") {
        return true;
    }
    if (host.starts_with('[') && host.ends_with(']')) {
        host = host.substr(1, host.size() - 2);
    }
    std::string name = LowerCase(host);
    if (name.ends_with('.')) {
        name.pop_back();
    }
    const std::optional<IpAddress> address = ReadIpAddress(name);
    while (!list.empty()) {
        const std::size_t end = std::min(list.find_first_of(", \t"), list.size());
        const std::string_view entry = list.substr(0, end);
        list.remove_prefix(std::min(end + 1, list.size()));
        if (!entry.empty() &&
            (address ? AddressMatches(*address, entry) : NameMatches(name, entry))) {
            return true;
        }
    }
    return false;
}

}  // namespace gleanwork
