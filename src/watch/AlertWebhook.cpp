#include "watch/AlertWebhook.h"

#include "net/UrlSplit.h"
#include "watch/AlertJson.h"

namespace gleanwork {

namespace {

// How the log names the webhook at the http:// or https:// `url`: by its
// host alone, since the rest of a webhook's address (a user and password, a
// token in its path) is often its secret.
std::string WebhookName(const std::string& url) {
    const std::size_t start = url.find("://") + 3;
    std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
    authority.erase(0, authority.find_last_of('@') + 1);  // npos + 1: nothing
    std::string host;
    int port = 0;
    SplitUrl(authority, host, port);
    return "Alert webhook at " + host;
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
