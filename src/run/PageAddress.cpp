#include "run/PageAddress.h"

#include <algorithm>

#include "net/UrlResolve.h"

namespace gleanwork {

std::string ResolvePageAddress(std::string_view base, std::string_view reference) {
    std::string address = ResolveUrl(base, reference);
    address.erase(std::min(address.find('#'), address.size()));
    return address;
}

}  // namespace gleanwork
