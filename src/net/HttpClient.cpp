#include "net/HttpClient.h"

namespace gleanwork {

std::int64_t FetchHttp(SourceContext& context, std::string& text) {
    text.clear();
    context.LogLine("ERROR: Failed to connect");
    return -1;
}

}  // namespace gleanwork
