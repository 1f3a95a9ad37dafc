#pragma once

#include <cstdint>
#include <string_view>

#include "net/SourceLog.h"
#include "net/SourceResult.h"

namespace gleanwork {

// Reads the local file that `url` names, each CR LF pair read as one LF, up
// to the first zero byte. Logs "Reading file: " and the path to `log` (none:
// nothing is logged) first. A relative path is relative to the installation
// folder. A file that cannot be read, or holds more than `maxBytes` bytes,
// gives no text and a failure whose error line, logged, names the full path
// and the reason.
SourceResult ReadFileSource(std::string_view url, std::uint64_t maxBytes, SourceLog* log);

}  // namespace gleanwork
