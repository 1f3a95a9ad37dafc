#pragma once

#include <cstdint>
#include <string>

#include "net/SourceContext.h"
#include "net/Transport.h"

namespace gleanwork {

// Fetches the agent's http:// URL into `text` with HTTP/1.0 GET requests,
// through the agent's proxy when it names one, following up to five
// redirects. `text` ends up holding the body of the last reply, byte for
// byte. Returns the number of bytes of that body, or -1 when the fetch
// failed (after logging why).
std::int64_t FetchHttp(SourceContext& context, std::string& text);

// The same over the stream connections of `transport`.
std::int64_t FetchHttp(SourceContext& context, std::string& text, Transport& transport);

}  // namespace gleanwork
