#pragma once

#include <cstdint>
#include <string>

#include "net/SourceContext.h"
#include "net/Transport.h"

namespace gleanwork {

// Fetches the agent's http:// URL into `text` with HTTP/1.0 GET requests,
// through the agent's proxy when it names one, following redirects for up
// to five requests. The agent's credentials go only to the origin of the
// context's home address. `text` ends up holding the body of the last
// reply, byte for byte. Returns the number of bytes of that body, or -1,
// with `text` empty, when the fetch failed (after logging why): also when
// the fifth reply redirects again, or the body is shorter than the head
// announced.
std::int64_t FetchHttp(SourceContext& context, std::string& text);

// The same over the stream connections of `transport`.
std::int64_t FetchHttp(SourceContext& context, std::string& text, Transport& transport);

}  // namespace gleanwork
