#pragma once

#include <string>

#include "watch/AlertDispatch.h"

namespace gleanwork {

// Posts `body` as `contentType` to the http:// or https:// `url` with the
// program's HTTP client and its usual time limits: the WebPost of alerts.
WebPostResult PostWithHttpClient(const std::string& url, const std::string& contentType,
                                 const std::string& body);

// The channels of a run's alerts: webhooks posted with the HTTP client.
AlertChannels DefaultAlertChannels();

}  // namespace gleanwork
