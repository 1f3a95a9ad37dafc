#include "watch/AlertPost.h"

#include <cstdint>

#include "net/HttpClient.h"
#include "watch/AlertCommand.h"

namespace gleanwork {

namespace {

// What a webhook's reply may hold; the alert reads its status alone.
constexpr std::uint64_t kMostReplyBytes = std::uint64_t{1} << 20;

}  // namespace

WebPost HttpWebPost() {
    return [](const std::string& url, const std::string& contentType, const std::string& body) {
        HttpRequest request;
        request.url = url;
        request.method = "POST";
        request.body = body;
        request.contentType = contentType;
        request.limits.fetch = kAlertCommandLimit;
        request.limits.maxSourceBytes = kMostReplyBytes;
        const HttpResult result = FetchHttp(request, nullptr);
        return WebPostResult{result.statusCode, result.failure.reason};
    };
}

}  // namespace gleanwork
