#pragma once

#include <cstdint>
#include <string>

namespace gleanwork {

// Appends the bytes of the regular file at `path` to `content`. Anything that
// is not a regular file (a folder, a pipe, a device) counts as unreadable, so
// a reader never blocks or loops on it. Returns true when the whole file was
// read; on false `content` is unchanged and `error` (when given) holds the
// system's reason: EINVAL for what is no regular file, EFBIG for a file of
// more than `maxBytes`.
bool AppendFileContent(const std::string& path, std::string& content, int* error = nullptr,
                       std::uint64_t maxBytes = UINT64_MAX);

}  // namespace gleanwork
