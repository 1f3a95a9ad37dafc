#include "watch/AlertWebhook.h"

#include "net/UrlSplit.h"
#include "watch/AlertJson.h"

namespace gleanwork {

namespace {

// How the log names the webhook at `url`: by its host alone, since the rest
// of a webhook's address is often its secret.
std::string WebhookName(const std::string& url) {
    std::string host;
    int port = 0;
    SplitUrl(url, host, port);
    return "Alert webhook at " + host.substr(host.find_last_of('@') + 1);
}

}  // namespace

AlertDelivery DeliverByWebhook(const std::string& url, AlertEvent event, const AlertRun& run,
                               const WebPost& post) {
    if (!IsWebUrl(url)) {
        return {false, "Alert webhook not sent: its address begins with no http:// or https://"};
    }
    if (!post) {
        return {false, WebhookName(url) + " not sent: this program cannot post to it"};
    }
    const WebPostResult result = post(url, "application/json", AlertJson(event, run));
    if (result.status == 0) {
        return {false, WebhookName(url) + " could not be reached: " + result.failure};
    }
    if (result.status < 200 || result.status > 299) {
        return {false, WebhookName(url) + " refused the alert with HTTP status " +
                           std::to_string(result.status)};
    }
    return {true, ""};
}

}  // namespace gleanwork
