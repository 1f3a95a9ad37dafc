#pragma once

#include "net/HttpRequest.h"
#include "net/HttpResult.h"
#include "net/SourceLog.h"
#include "net/Transport.h"

namespace gleanwork {

// Fetches `request` with HTTP/1.0 requests, through its proxy when it names
// one, following redirects for up to five requests. Logs each step, and
// each failure as an error line, to `log` (none: nothing is logged) as it
// goes. A reply whose status is 400 or above, or whose last receive failed,
// is kept with that failure; the fifth reply redirecting again, or a body
// shorter than its head announced, gives no page.
HttpResult FetchHttp(const HttpRequest& request, SourceLog* log);

// The same over the stream connections of `transport`.
HttpResult FetchHttp(const HttpRequest& request, SourceLog* log, Transport& transport);

}  // namespace gleanwork
