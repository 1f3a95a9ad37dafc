#pragma once

#include <cstdint>
#include <string>

#include "net/SourceContext.h"

namespace gleanwork {

// Fetches the agent's http:// URL into `text` (emptied first), following up
// to five redirects. Returns the length of the body left in `text`, or -1
// when the fetch failed (after logging why).
std::int64_t FetchHttp(SourceContext& context, std::string& text);

}  // namespace gleanwork
