#include "net/FileSource.h"

#include <cerrno>
#include <cstring>

#include "base/SystemReason.h"
#include "storage/FileContent.h"
#include "storage/InstallFolder.h"

namespace gleanwork {

namespace {

// Turns every CR LF pair from `from` on into a single LF, in place, moving
// the runs between pairs as whole blocks.
void JoinCrLfPairs(std::string& text, std::size_t from) {
    std::size_t pair = text.find("\r\n", from);
    if (pair == std::string::npos) {
        return;
    }
    std::size_t out = pair;
    while (pair != std::string::npos) {
        const std::size_t runStart = pair + 1;  // the LF of the pair begins the next run
        pair = text.find("\r\n", runStart);
        const std::size_t runEnd = pair == std::string::npos ? text.size() : pair;
        std::memmove(text.data() + out, text.data() + runStart, runEnd - runStart);
        out += runEnd - runStart;
    }
    text.resize(out);
}

}  // namespace

int ReadFileSource(const SourceContext& context, std::string& text) {
    context.LogLine("Reading file: " + context.agent.URL);
    const std::size_t start = text.size();
    const std::string path = InInstallFolder(context.agent.URL);
    int error = 0;
    if (!AppendFileContent(path, text, &error, context.limits.maxSourceBytes)) {
        const std::string reason =
            error == EFBIG
                ? "larger than " + std::to_string(context.limits.maxSourceBytes) + " bytes"
                : SystemReason(error);
        context.LogLine("ERROR: Cannot read " + path + ": " + reason);
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
