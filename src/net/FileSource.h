#pragma once

#include <string>

#include "net/SourceContext.h"

namespace gleanwork {

// Appends the local file named by the agent's URL to `text`, each CR LF pair
// read as one LF, up to the first zero byte. Logs "Reading file: " and the
// path first. A relative path is relative to the installation folder. Returns
// 1 when the file could be read (even if empty), else 0 after an "ERROR: "
// line naming the full path and the reason.
int ReadFileSource(const SourceContext& context, std::string& text);

}  // namespace gleanwork
