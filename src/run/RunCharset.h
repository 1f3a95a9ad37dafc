#pragma once

#include <string>
#include <string_view>

#include "net/SourceLog.h"

namespace gleanwork {

// Turns the `text` of one page as read (a reply whose Content-Type was
// `contentType`, empty for a file) into the text that the agent's CHARSET
// `setting` asks for (see DecodePage), and logs to `log` (which may be
// null) the one line that says what was converted. An empty setting leaves
// the text as received and logs nothing.
void ApplyCharset(std::string& text, std::string_view contentType, std::string_view setting,
                  SourceLog* log);

}  // namespace gleanwork
