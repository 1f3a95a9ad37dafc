#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The address of the page that `reference` (a link as a page writes it)
// names on the page at `base`, resolved as a URL reference; a file path as
// the base resolves against its folder. The address keeps no "#fragment":
// it names a part of a page, never what is fetched.
std::string ResolvePageAddress(std::string_view base, std::string_view reference);

}  // namespace gleanwork
