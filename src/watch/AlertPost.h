#pragma once

#include "watch/AlertWebhook.h"

namespace gleanwork {

// The WebPost of alert webhooks: a POST through the HTTP client, which
// follows redirects as it does for any request and gives up after the time
// that an alert command may take.
WebPost HttpWebPost();

}  // namespace gleanwork
