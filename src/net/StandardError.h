#pragma once

#include <cstdio>
#include <string_view>

namespace gleanwork {

// Writes `text` to the standard error stream as it stands, in one piece.
inline void WriteStandardError(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace gleanwork
