#include "net/FileSource.h"

#include <algorithm>
#include <cstring>

#include "storage/FileContent.h"

namespace gleanwork {

namespace {

// Turns every CR LF pair from `from` on into a single LF, in place.
void JoinCrLfPairs(std::string& text, std::size_t from) {
    const auto first = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                   std::begin("\r\n"), std::end("\r\n") - 1);
    if (first == text.end()) {
        return;
    }
    auto out = first;
    for (auto in = first; in != text.end(); ++in) {
        if (*in == '\r' && in + 1 != text.end() && in[1] == '\n') {
            continue;
        }
        *out++ = *in;
    }
    text.erase(out, text.end());
}

}  // namespace

int ReadFileSource(const SourceContext& context, std::string& text) {
    context.LogLine("Reading file: " + context.agent.URL);
    const std::size_t start = text.size();
    if (!AppendFileContent(context.agent.URL, text)) {
        return 0;
    }
    const std::size_t zero = text.find('\0', start);
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    JoinCrLfPairs(text, start);
    return 1;
}

}  // namespace gleanwork
