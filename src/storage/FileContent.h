#pragma once

#include <string>

namespace gleanwork {

// Appends the bytes of the regular file at `path` to `content`. Anything that
// is not a regular file (a folder, a pipe, a device) counts as unreadable, so
// a reader never blocks or loops on it. Returns true when the whole file was
// read; on false `content` is unchanged.
bool AppendFileContent(const std::string& path, std::string& content);

}  // namespace gleanwork
