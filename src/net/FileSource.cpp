#include "net/FileSource.h"

#include <cerrno>
#include <cstring>

#include "base/SystemReason.h"
#include "storage/FileContent.h"
#include "storage/InstallFolder.h"

namespace gleanwork {

namespace {

// Turns every CR LF pair into a single LF, in place, moving the runs
// between pairs as whole blocks.
void JoinCrLfPairs(std::string& text) {
    std::size_t pair = text.find("\r\n");
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

SourceResult ReadFileSource(std::string_view url, std::uint64_t maxBytes, SourceLog* log) {
    if (log != nullptr) {
        log->LogLine("Reading file: " + std::string(url));
    }
    SourceResult result;
    const std::string path = InInstallFolder(std::string(url));
    int error = 0;
    if (!AppendFileContent(path, result.text, &error, maxBytes)) {
        const bool tooLarge = error == EFBIG;
        const std::string reason =
            tooLarge ? "larger than " + std::to_string(maxBytes) + " bytes" : SystemReason(error);
        result.failure = {tooLarge ? SourceFailureKind::TooLarge : SourceFailureKind::Unreadable,
                          "Cannot read " + path + ": " + reason};
        if (log != nullptr) {
            log->LogError(result.failure.reason);
        }
        return result;
    }
    const std::size_t zero = result.text.find('\0');
    if (zero != std::string::npos) {
        result.text.resize(zero);
    }
    JoinCrLfPairs(result.text);
    return result;
}

}  // namespace gleanwork
