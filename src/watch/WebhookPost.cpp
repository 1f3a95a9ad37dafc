#include "watch/WebhookPost.h"

#include "net/HttpClient.h"

namespace gleanwork {

WebPostResult PostWithHttpClient(const std::string& url, const std::string& contentType,
                                 const std::string& body) {
    HttpRequest request;
    request.url = url;
    request.method = "POST";
    request.body = body;
    request.contentType = contentType;
    request.userAgent = "Gleanwork/1.0";
    const HttpResult result = FetchHttp(request, nullptr);
    if (result.statusCode == 0) {
        return {0, result.failure.reason.empty() ? "no reply came" : result.failure.reason};
    }
    return {result.statusCode, {}};
}

AlertChannels DefaultAlertChannels() {
    AlertChannels channels;
    channels.post = PostWithHttpClient;
    return channels;
}

}  // namespace gleanwork
