#pragma once

#include <functional>
#include <string>

#include "watch/Alert.h"
#include "watch/AlertRule.h"

namespace gleanwork {

// What posting a body to a URL came to.
struct WebPostResult {
    int status = 0;       // the HTTP status of the reply; 0 when none came
    std::string failure;  // why no reply came
};

// Posts `body`, of the media type `contentType`, to `url`.
using WebPost = std::function<WebPostResult(const std::string& url, const std::string& contentType,
                                            const std::string& body)>;

// Posts the alert as JSON (AlertJson) to the webhook `url` through `post`.
// Only http:// and https:// URLs are posted to; delivered when the reply's
// status is a success (2xx). An empty `post` delivers nothing. Reasons name
// the webhook by its host, never by its whole address.
AlertDelivery DeliverByWebhook(const std::string& url, AlertEvent event, const AlertRun& run,
                               const WebPost& post);

}  // namespace gleanwork
