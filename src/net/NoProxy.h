#pragma once

#include <string_view>

namespace gleanwork {

// Whether the no_proxy list `list` names `host` (from a URL; an IPv6
// address with or without its brackets), as curl reads the list: entries
// separated by commas or white space; "*" alone matches every host; a name
// (a leading or trailing "." dropped, letters in any case) matches that host
// and every host under it, so "shop.test" and ".shop.test" both match
// "shop.test" and "www.shop.test" but not "myshop.test"; an IP address
// matches that address, and one with "/bits" every address whose first bits
// are the same. Ports play no part: the host matches on any port, and an
// entry with a port matches nothing.
bool NoProxyMatches(std::string_view list, std::string_view host);

}  // namespace gleanwork
