#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The address that `reference` names when it is read relative to `base`, as
// RFC 3986 (section 5.2) resolves URI references: an absolute reference
// stands as it is (its dot segments removed); "//host/x" keeps the base's
// scheme; "/x" keeps its scheme and host; "x" replaces the base's last
// segment; "?q" keeps its path; an empty one is the base without its
// fragment. A base without a scheme, such as a local file path, works too:
// the result is then a path of the same kind.
std::string ResolveUrl(std::string_view base, std::string_view reference);

}  // namespace gleanwork
