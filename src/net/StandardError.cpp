#include "net/StandardError.h"

#include <atomic>
#include <cstdio>

namespace gleanwork {

namespace {

std::atomic<bool> lineOpen{false};

}  // namespace

void WriteStandardError(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    if (!text.empty()) {
        lineOpen.store(text.back() != '\n');
    }
}

void EndStandardErrorLine() {
    if (lineOpen.exchange(false)) {
        WriteStandardError("\n");
    }
}

}  // namespace gleanwork
